// tools/skin/build_skin.py, the container builder that both build trees run: what it writes
// passes the checker, and what it refuses leaves no output. Each case works in its own scratch
// folder, removed afterwards.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"
#include "tests/resources/skin_bytes.h"
#include "tools/skin/skin_check.h"
#include "tools/skin/skin_container.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDescription = R"({
  "cfg": {
    "Window": {
      "Button": {"id": 1001, "size": [-195, -96, 140, 37],
                 "normal": {"bi": 100, "bg": [0, 0, 4, 4], "mg": [1, 1, 1, 1]},
                 "Text": {"normal": {"ft": 101, "al": 37, "cr": 16777215, "tx": "立即\"体验\"\\"}}}
    }
  },
  "res": {"images": [{"id": 100, "name": "sheet.png"}],
          "fonts": [{"id": 101, "name": "fonts/bold.json"}]}
})";

class BuildSkin : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "brindle-skin-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::create_directories(dir_ / "skin" / "fonts");
    Write("skin.json", kDescription);
    Write("sheet.png", skin_bytes::PngHeaderBytes(8, 4, 8, 6));
    Write("fonts/bold.json", "{ \"Weight\": 700 }\n");
  }

  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / "skin" / name, std::ios::binary) << bytes;
  }

  // Runs the builder on the scratch skin; its exit code (-1 when it did not exit normally).
  int Run() {
    const std::string command = std::string("'") + BRINDLE_PYTHON + "' '" + BRINDLE_BUILD_SKIN +
                                "' '" + (dir_ / "skin").string() + "' '" + Output().string() +
                                "' 2>'" + (dir_ / "stderr").string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path Output() const { return dir_ / "skin.uir"; }

  std::string Read(const fs::path& path) const {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  std::string Errors() const { return Read(dir_ / "stderr"); }

  fs::path dir_;
};

TEST_F(BuildSkin, WritesTheCompactDescriptionAndTheRecords) {
  ASSERT_EQ(Run(), 0) << Errors();
  SkinContainer skin;
  std::string error;
  ASSERT_TRUE(ParseSkinContainer(Read(Output()), skin, error)) << error;

  JsonValue description;
  ASSERT_TRUE(JsonReader().parse(kDescription, description));
  EXPECT_EQ(skin.text, JsonWriter().write(description) + std::string(1, '\0'));
  ASSERT_EQ(skin.records.size(), 2u);
  EXPECT_EQ(skin.records.at(100), skin_bytes::PngHeaderBytes(8, 4, 8, 6));
  EXPECT_EQ(skin.records.at(101), "{\"Weight\":700}\n");

  const SkinReport report = CheckSkin(skin);
  EXPECT_TRUE(report.problems.empty()) << report.problems.front();
  EXPECT_EQ(report.drawn_entries, 1);
}

TEST_F(BuildSkin, RefusesBrokenSkinsWithoutWritingAnything) {
  const std::string description = kDescription;
  auto with = [&](const std::string& from, const std::string& to) {
    std::string text = description;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  };
  struct Case {
    const char* name;
    const char* file;
    std::string bytes;
    const char* error;
  };
  const Case cases[] = {
      {"listed record missing", "skin.json", with("sheet.png", "missing.png"), "record file"},
      {"palette sheet", "sheet.png", skin_bytes::PngHeaderBytes(8, 4, 8, 3), "colour type 3"},
      {"sheet not a PNG", "sheet.png", "GIF89a", "not a PNG file"},
      {"rectangle outside the sheet", "skin.json", with("[0, 0, 4, 4]", "[6, 0, 4, 4]"),
       "does not lie inside the 8 x 4 image 100"},
      {"margins too wide", "skin.json", with("[1, 1, 1, 1]", "[3, 1, 3, 1]"), "margins"},
      {"rectangle without image", "skin.json", with("\"bi\": 100, ", ""), "never read"},
      {"unknown font", "skin.json", with("\"ft\": 101", "\"ft\": 105"), "names font 105"},
      {"unicode escape", "skin.json", with("立即", "\\u7acb\\u5373"), "\\u escapes"},
      {"duplicate key", "skin.json", with("\"id\": 1001,", "\"id\": 1001, \"id\": 1002,"),
       "duplicate key \"id\""},
      {"real number", "skin.json", with("\"cr\": 16777215", "\"cr\": 1.5"), "real number"},
      {"not JSON", "skin.json", with("\"cfg\": {", "\"cfg\" {"), "line 2"},
      {"id listed twice", "skin.json", with("\"id\": 101", "\"id\": 100"), "listed twice"},
      {"unknown font field", "fonts/bold.json", "{\"Wieght\": 700}", "LOGFONTW field"},
      {"rectangle outside a scaled sheet", "skin.json",
       with("\"sheet.png\"}", "\"sheet.png\", \"scale\": 2}"),
       "does not lie inside the 4 x 2 image 100"},
      {"sides not multiples of the scale", "skin.json",
       with("\"sheet.png\"}", "\"sheet.png\", \"scale\": 3}"), "not a multiple of its scale 3"},
      {"scale too large", "skin.json", with("\"sheet.png\"}", "\"sheet.png\", \"scale\": 6}"),
       "from 1 to 5"},
      {"face name too long", "fonts/bold.json", "{\"FaceName\": \"" + std::string(32, 'a') + "\"}",
       "at most 31 characters"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Write(c.file, c.bytes);
    EXPECT_EQ(Run(), 1);
    EXPECT_NE(Errors().find(c.error), std::string::npos) << Errors();
    EXPECT_FALSE(fs::exists(Output()));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2)
        << "only the skin folder and the captured messages";
  }
}

// A sheet rendered at 192 and at 144 DPI beside the 8 x 4 one: 16 x 8 and 12 x 6 pixels.
TEST_F(BuildSkin, ChecksTheSheetsRenderedAtOtherDpis) {
  const std::string images = R"("images": [{"id": 100, "name": "sheet.png"},)"
                             R"( {"id": 110, "name": "sheet-144.png", "base": 100, "dpi": 144},)"
                             R"( {"id": 111, "name": "sheet-192.png", "base": 100, "dpi": 192}])";
  auto described = [&](const std::string& from, const std::string& to) {
    std::string text = kDescription;
    text.replace(text.find(R"("images": [{"id": 100, "name": "sheet.png"}])"),
                 std::string(R"("images": [{"id": 100, "name": "sheet.png"}])").size(), images);
    const size_t at = from.empty() ? std::string::npos : text.find(from);
    EXPECT_TRUE(from.empty() || at != std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  };
  struct Case {
    const char* name;
    const char* file;
    std::string bytes;
    const char* error;  // null: built
  };
  const Case cases[] = {
      {"both renderings", "skin.json", described("", ""), nullptr},
      {"a pixel wide: rounding", "sheet-192.png", skin_bytes::PngHeaderBytes(17, 8, 8, 6), nullptr},
      {"two pixels wide", "sheet-192.png", skin_bytes::PngHeaderBytes(18, 8, 8, 6),
       "18 x 8 at 192 DPI; image 100 (8 x 4) scaled is 16 x 8"},
      {"rendered at 96 DPI's size", "sheet-144.png", skin_bytes::PngHeaderBytes(8, 4, 8, 6),
       "scaled is 12 x 6"},
      {"palette rendering", "sheet-192.png", skin_bytes::PngHeaderBytes(16, 8, 8, 3),
       "colour type 3"},
      {"dpi 96", "skin.json", described("\"dpi\": 144", "\"dpi\": 96"),
       "dpi 96: a rendering's DPI is 97 to 480"},
      {"dpi without base", "skin.json", described("\"base\": 100, \"dpi\": 144", "\"dpi\": 144"),
       "both an integer"},
      {"unknown base", "skin.json",
       described("\"base\": 100, \"dpi\": 144", "\"base\": 7, \"dpi\": 144"),
       "base 7 is no 96-DPI image"},
      {"same dpi twice", "skin.json", described("\"dpi\": 192", "\"dpi\": 144"),
       "has a rendering at 144 DPI already"},
      {"entry names a rendering", "skin.json", described("\"bi\": 100", "\"bi\": 111"),
       "image 111 is not a 96-DPI image"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Write("skin.json", described("", ""));
    Write("sheet-144.png", skin_bytes::PngHeaderBytes(12, 6, 8, 6));
    Write("sheet-192.png", skin_bytes::PngHeaderBytes(16, 8, 8, 6));
    Write(c.file, c.bytes);
    if (!c.error) {
      ASSERT_EQ(Run(), 0) << Errors();
      SkinContainer skin;
      std::string error;
      ASSERT_TRUE(ParseSkinContainer(Read(Output()), skin, error)) << error;
      EXPECT_EQ(skin.records.size(), 4u);
      const SkinReport report = CheckSkin(skin);
      EXPECT_TRUE(report.problems.empty()) << report.problems.front();
      continue;
    }
    EXPECT_EQ(Run(), 1);
    EXPECT_NE(Errors().find(c.error), std::string::npos) << Errors();
    EXPECT_FALSE(fs::exists(Output()));
  }
}

}  // namespace
