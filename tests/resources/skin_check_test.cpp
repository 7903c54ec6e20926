// Checks of skin containers on crafted skins: one sound skin, then one broken rule per case.
#include "tools/skin/skin_check.h"

#include <gtest/gtest.h>

#include <string>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"
#include "tests/resources/skin_bytes.h"

namespace {

using skin_bytes::PngHeaderBytes;
using skin_bytes::Records;

// An 8 x 4 sheet, a button with a nine-grid background and a text style with a font, a check
// box whose entry draws only a foreground.
constexpr const char* kSoundDescription = R"({
  "cfg": {"Window": {
    "Button": {"normal": {"bi": 100, "bg": [0, 0, 4, 4], "mg": [1, 1, 1, 1]}, "focused": {"bi": 0},
               "Text": {"normal": {"ft": 101, "al": 37, "cr": 0}}},
    "Box": {"normal": {"fi": 100, "fg": [4, 0, 4, 4], "al": 8, "of": [2, 0]}}}},
  "res": {"images": [{"id": 100, "name": "sheet"}], "fonts": [{"id": 101, "name": "bold"}]}
})";

// The description in the writer's compact form with the terminating NUL.
std::string Compact(const std::string& json) {
  JsonValue value;
  JsonReader reader;
  EXPECT_TRUE(reader.parse(json.c_str(), value)) << reader.message();
  return JsonWriter().write(value) + std::string(1, '\0');
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

Records SoundRecords() { return {{100, PngHeaderBytes(8, 4, 8, 6)}, {101, "{\"Weight\":700}\n"}}; }

SkinReport Check(const std::string& text, const Records& records) {
  SkinContainer skin;
  std::string error;
  EXPECT_TRUE(ParseSkinContainer(skin_bytes::Container(text, records), skin, error)) << error;
  return CheckSkin(skin);
}

TEST(SkinCheck, SoundSkinHasNoProblems) {
  const SkinReport report = Check(Compact(kSoundDescription), SoundRecords());
  EXPECT_TRUE(report.problems.empty()) << report.problems.front();
  EXPECT_EQ(report.drawn_entries, 2);
}

TEST(SkinCheck, ReportsEachBrokenRule) {
  const std::string sound = Compact(kSoundDescription);
  auto with = [](const std::string& from, const std::string& to) {
    return Compact(Replace(kSoundDescription, from, to));
  };
  auto records_with = [](uint32_t id, const std::string& bytes) {
    Records records = SoundRecords();
    for (auto& record : records) {
      if (record.first == id) {
        record.second = bytes;
      }
    }
    return records;
  };
  struct Case {
    const char* name;
    std::string text;
    Records records;
    const char* problem;
  };
  const Case cases[] = {
      {"blanks in the description", std::string(kSoundDescription) + "\n" + std::string(1, '\0'),
       SoundRecords(), "compact form"},
      {"no NUL", sound.substr(0, sound.size() - 1), SoundRecords(), "one NUL"},
      {"no line feed", Replace(sound, "\n", ""), SoundRecords(), "line feed"},
      {"does not parse", "{\"cfg\":" + std::string(1, '\0'), SoundRecords(), "does not parse"},
      {"no cfg", Compact(R"({"res": {}})"), {}, "no object \"cfg\""},
      {"no res", Compact(R"({"cfg": {}})"), {}, "no object \"res\""},
      {"listed record missing", sound, {SoundRecords()[0]}, "record 101 is missing"},
      {"record listed nowhere", sound,
       [] {
         Records records = SoundRecords();
         records.emplace_back(102, "x");
         return records;
       }(),
       "record 102 is listed in no"},
      {"record twice", sound,
       [] {
         Records records = SoundRecords();
         records.push_back(records[1]);
         return records;
       }(),
       "occurs more than once"},
      {"palette sheet", sound, records_with(100, PngHeaderBytes(8, 4, 8, 3)), "colour type 3"},
      {"16-bit sheet", sound, records_with(100, PngHeaderBytes(8, 4, 16, 6)), "bit depth 16"},
      {"sheet not a PNG", sound, records_with(100, "GIF89a"), "not a PNG file"},
      {"font not compact", sound, records_with(101, "{\"Weight\": 700}\n"), "compact form"},
      {"font without line feed", sound, records_with(101, "{\"Weight\":700}"), "compact form"},
      {"font not an object", sound, records_with(101, "[700]\n"), "not a JSON object"},
      {"background past the right edge", with("[0, 0, 4, 4]", "[5, 0, 4, 4]"), SoundRecords(),
       "cfg/Window/Button/normal/bg [5,0,4,4] does not lie inside the 8 x 4 image 100"},
      {"foreground past the bottom", with("[4, 0, 4, 4]", "[4, 1, 4, 4]"), SoundRecords(),
       "cfg/Window/Box/normal/fg [4,1,4,4] does not lie inside"},
      {"empty rectangle", with("[0, 0, 4, 4]", "[0, 0, 0, 4]"), SoundRecords(),
       "does not lie inside"},
      {"negative origin", with("[0, 0, 4, 4]", "[-1, 0, 4, 4]"), SoundRecords(),
       "does not lie inside"},
      {"rectangle of three", with("[0, 0, 4, 4]", "[0, 0, 4]"), SoundRecords(),
       "is not [x, y, w, h]"},
      {"margins wider than the picture", with("[1, 1, 1, 1]", "[3, 1, 2, 1]"), SoundRecords(),
       "mg [3,1,2,1] are not four margins that fit [0,0,4,4]"},
      {"negative margin", with("[1, 1, 1, 1]", "[1, -1, 1, 1]"), SoundRecords(), "margins"},
      {"background without image", with("\"bi\": 100, ", ""), SoundRecords(),
       "cfg/Window/Button/normal/bg is never read"},
      {"foreground without image", with("\"fi\": 100, ", ""), SoundRecords(),
       "cfg/Window/Box/normal/of is never read"},
      {"unknown image", with("\"bi\": 100", "\"bi\": 7"), SoundRecords(), "names image 7"},
      {"unknown font", with("\"ft\": 101", "\"ft\": 103"), SoundRecords(), "names font 103"},
      {"rectangle outside a scaled sheet",
       with("\"name\": \"sheet\"}", "\"name\": \"sheet\", \"scale\": 2}"), SoundRecords(),
       "cfg/Window/Button/normal/bg [0,0,4,4] does not lie inside the 4 x 2 image 100"},
      {"sides not multiples of the scale",
       with("\"name\": \"sheet\"}", "\"name\": \"sheet\", \"scale\": 3}"), SoundRecords(),
       "not a multiple of its scale 3"},
      {"scale out of range", with("\"name\": \"sheet\"}", "\"name\": \"sheet\", \"scale\": 0}"),
       SoundRecords(), "\"scale\" is an integer from 1 to 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SkinReport report = Check(c.text, c.records);
    ASSERT_FALSE(report.problems.empty());
    bool found = false;
    for (const std::string& problem : report.problems) {
      found = found || problem.find(c.problem) != std::string::npos;
    }
    EXPECT_TRUE(found) << "first problem: " << report.problems.front();
  }
}

// The 8 x 4 sheet rendered again at 144 and 192 DPI (12 x 6 and 16 x 8).
TEST(SkinCheck, RenderingsAtOtherDpis) {
  const std::string images = R"("images": [{"id": 100, "name": "sheet"},)"
                             R"( {"id": 110, "name": "s144", "base": 100, "dpi": 144},)"
                             R"( {"id": 111, "name": "s192", "base": 100, "dpi": 192}])";
  auto text = [&](const std::string& from, const std::string& to) {
    std::string json =
        Replace(kSoundDescription, R"("images": [{"id": 100, "name": "sheet"}])", images);
    return Compact(from.empty() ? json : Replace(json, from, to));
  };
  auto records = [](uint32_t width_192) {
    Records all = SoundRecords();
    all.emplace_back(110, PngHeaderBytes(12, 6, 8, 6));
    all.emplace_back(111, PngHeaderBytes(width_192, 8, 8, 6));
    return all;
  };
  for (uint32_t width : {15u, 16u, 17u}) {
    const SkinReport sound = Check(text("", ""), records(width));
    EXPECT_TRUE(sound.problems.empty()) << width << ": " << sound.problems.front();
  }
  const struct {
    const char* name;
    std::string text;
    Records records;
    const char* problem;
  } cases[] = {
      {"two pixels wide", text("", ""), records(18),
       "res/images[2]: image 111 is 18 x 8; its base scaled to 192 DPI is 16 x 8"},
      {"dpi 96", text("\"dpi\": 144", "\"dpi\": 96"), records(16), "dpi 96 is not 97 to 480"},
      {"base without dpi", text(", \"dpi\": 144", ""), records(16), "needs both"},
      {"unknown base", text("\"base\": 100, \"dpi\": 144", "\"base\": 7, \"dpi\": 144"),
       records(16), "base 7 is no usable 96-DPI"},
      {"rendering of a rendering",
       text("\"base\": 100, \"dpi\": 192", "\"base\": 110, \"dpi\": 192"), records(16),
       "base 110 is no usable 96-DPI"},
      {"same dpi twice", text("\"dpi\": 192", "\"dpi\": 144"), records(16),
       "has a rendering at 144 DPI already"},
      {"entry names a rendering", text("\"bi\": 100", "\"bi\": 111"), records(16),
       "names image 111, which is no usable 96-DPI"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const SkinReport report = Check(c.text, c.records);
    bool found = false;
    for (const std::string& problem : report.problems) {
      found = found || problem.find(c.problem) != std::string::npos;
    }
    EXPECT_TRUE(found) << (report.problems.empty() ? "no problem" : report.problems.front());
  }
}

}  // namespace
