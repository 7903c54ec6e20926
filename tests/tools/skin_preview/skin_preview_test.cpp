// brindle-skin-preview run as a whole, as a skin designer runs it: on the
// embedded skin, on skin container files, with a licence file, and with
// command lines and files it must refuse. The program and the build's skin
// container are copied beside this test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "setup/file_utils.h"
#include "setup/paths.h"
#include "tests/setup/child_process.h"
#include "tests/setup/scratch_folder.h"
#include "tests/tools/skin_preview/png_reader.h"
#include "tools/skin_preview/host_snapshot.h"

namespace {

using skin_preview_test::ReadPicture;

struct ExpectedPicture {
  const wchar_t* file;
  int width;
  int height;
};

// Every picture and the size of its window.
constexpr ExpectedPicture kPictures[] = {
    {L"main-install.png", 670, 680},    {L"main-install-unticked.png", 670, 680},
    {L"main-uninstall.png", 670, 330},  {L"progress.png", 670, 300},
    {L"success-install.png", 670, 320}, {L"success-uninstall.png", 670, 400},
};

// Areas of the install page (client pixels, right and bottom exclusive).
constexpr RECT kAgreementBox = {48, 480, 48 + 220, 480 + 27};
constexpr RECT kInstallButton = {670 - 195, 680 - 96, 670 - 195 + 140, 680 - 96 + 37};
constexpr RECT kLicenceBox = {55, 305, 55 + 560, 305 + 170};

std::wstring Beside(const std::wstring& file_name) {
  const std::wstring self = GetModulePath();
  return self.substr(0, self.find_last_of(L'\\') + 1) + file_name;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// The preview's exit code; -1 when it did not end within a minute, -2 when it
// did not start.
long RunPreview(const std::wstring& arguments) {
  ChildProcess preview(Beside(L"brindle-skin-preview.exe"), arguments);
  if (!preview.Started()) return -2;
  return preview.WaitExit(60000);
}

// Names of the files in `folder` (none when it does not exist).
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

// One run of the preview into the folder "pictures" (made by the preview) of
// its own scratch folder.
class PreviewRun {
 public:
  // `options`: the command line after the output folder.
  explicit PreviewRun(const std::wstring& options) : folder_(scratch_.Join(L"pictures")) {
    exit_code_ = RunPreview(Quoted(folder_) + options);
  }

  long exit_code() const { return exit_code_; }
  const std::wstring& folder() const { return folder_; }
  Picture Read(const wchar_t* file) const {
    Picture picture;
    EXPECT_TRUE(ReadPicture(folder_ + L"\\" + file, picture)) << "cannot decode a picture";
    return picture;
  }

 private:
  ScratchFolder scratch_;
  std::wstring folder_;
  long exit_code_ = -1;
};

// The run on the embedded skin, shared by the tests that compare with it.
const PreviewRun& EmbeddedSkinRun() {
  static const PreviewRun run(L"");
  return run;
}

// Pixel differences of two pictures of one size, counted inside each of
// `areas` and outside all of them.
struct Differences {
  std::vector<int> inside;
  int outside = 0;
};

Differences Compare(const Picture& a, const Picture& b, const std::vector<RECT>& areas) {
  Differences differences;
  differences.inside.assign(areas.size(), 0);
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (a.At(x, y) == b.At(x, y)) continue;
      const POINT point = {x, y};
      bool in_area = false;
      for (size_t i = 0; i < areas.size(); ++i) {
        if (PtInRect(&areas[i], point)) {
          ++differences.inside[i];
          in_area = true;
        }
      }
      if (!in_area) ++differences.outside;
    }
  }
  return differences;
}

TEST(SkinPreview, WritesEveryWindowAtItsSizeWithAnOpaqueCardAndClearCorners) {
  const PreviewRun& run = EmbeddedSkinRun();
  ASSERT_EQ(run.exit_code(), 0);
  EXPECT_EQ(FilesIn(run.folder()).size(), std::size(kPictures));
  for (const ExpectedPicture& expected : kPictures) {
    SCOPED_TRACE(std::string(expected.file, expected.file + wcslen(expected.file)));
    const Picture picture = run.Read(expected.file);
    ASSERT_EQ(picture.width, expected.width);
    ASSERT_EQ(picture.height, expected.height);
    const int right = picture.width - 1;
    const int bottom = picture.height - 1;
    // The soft shadow lies outside the card; the corners are clear of it.
    for (const POINT corner :
         {POINT{0, 0}, POINT{right, 0}, POINT{0, bottom}, POINT{right, bottom}}) {
      EXPECT_EQ(AlphaOf(picture.At(corner.x, corner.y)), 0) << corner.x << "," << corner.y;
    }
    EXPECT_EQ(AlphaOf(picture.At(picture.width / 2, picture.height / 2)), 255);
  }
}

TEST(SkinPreview, UntickingTheAgreementChangesOnlyTheBoxAndTheInstallButton) {
  const PreviewRun& run = EmbeddedSkinRun();
  ASSERT_EQ(run.exit_code(), 0);
  const Picture ticked = run.Read(L"main-install.png");
  const Picture unticked = run.Read(L"main-install-unticked.png");
  ASSERT_EQ(ticked.pixels.size(), unticked.pixels.size());
  const Differences differences = Compare(ticked, unticked, {kAgreementBox, kInstallButton});
  EXPECT_EQ(differences.outside, 0);
  EXPECT_GT(differences.inside[0], 0) << "the agreement box still looks ticked";
  EXPECT_GT(differences.inside[1], 0) << "the install button is not grayed";
}

TEST(SkinPreview, TheBuildsSkinFileGivesTheEmbeddedSkinsPictures) {
  const PreviewRun& embedded = EmbeddedSkinRun();
  ASSERT_EQ(embedded.exit_code(), 0);
  const PreviewRun from_file(L" --skin " + Quoted(Beside(L"skin.uir")));
  ASSERT_EQ(from_file.exit_code(), 0);
  for (const ExpectedPicture& expected : kPictures) {
    EXPECT_EQ(from_file.Read(expected.file).pixels, embedded.Read(expected.file).pixels)
        << "differs: " << std::string(expected.file, expected.file + wcslen(expected.file));
  }
}

TEST(SkinPreview, ASkinWithoutWindowsDrawsTransparentWindows) {
  // A whole container: magic, the text's length, the text, no records.
  const std::string text = "{\"cfg\":{}}";
  std::string container = ".uir";
  container += static_cast<char>(text.size());
  container += std::string(3, '\0');
  container += text;
  container += std::string(4, '\0');
  ScratchFolder scratch;
  const std::wstring skin = scratch.Join(L"bare.uir");
  ASSERT_TRUE(WriteWholeFile(skin, container));

  const PreviewRun run(L" --skin " + Quoted(skin));
  ASSERT_EQ(run.exit_code(), 0);
  for (const ExpectedPicture& expected : kPictures) {
    const Picture picture = run.Read(expected.file);
    EXPECT_EQ(picture.width, expected.width);
    EXPECT_EQ(picture.height, expected.height);
    int visible = 0;
    for (uint32_t pixel : picture.pixels) visible += AlphaOf(pixel) != 0;
    EXPECT_EQ(visible, 0) << std::string(expected.file, expected.file + wcslen(expected.file));
  }
}

TEST(SkinPreview, ALicenceFileChangesOnlyTheLicenceBox) {
  const PreviewRun& embedded = EmbeddedSkinRun();
  ASSERT_EQ(embedded.exit_code(), 0);
  ScratchFolder scratch;
  const std::wstring licence = scratch.Join(L"licence.txt");
  ASSERT_TRUE(WriteWholeFile(licence, "Licence \xe8\xae\xb8\xe5\x8f\xaf\nSecond line\n"));

  const PreviewRun run(L" --licence " + Quoted(licence));
  ASSERT_EQ(run.exit_code(), 0);
  const Differences differences =
      Compare(embedded.Read(L"main-install.png"), run.Read(L"main-install.png"), {kLicenceBox});
  EXPECT_EQ(differences.outside, 0);
  EXPECT_GT(differences.inside[0], 0);
}

TEST(SkinPreview, RefusesWhatItCannotUseAndWritesNoPicture) {
  ScratchFolder scratch;
  const std::wstring damaged = scratch.Join(L"damaged.uir");
  ASSERT_TRUE(WriteWholeFile(damaged, "not a skin container"));
  const std::wstring occupied = scratch.Join(L"occupied");
  ASSERT_TRUE(WriteWholeFile(occupied, "a file where the folder should go"));
  struct Case {
    const char* what;
    std::wstring options;
    long exit_code;
  };
  const Case cases[] = {
      {"missing skin file", L" --skin " + Quoted(scratch.Join(L"missing.uir")), 1},
      {"damaged skin file", L" --skin " + Quoted(damaged), 1},
      {"missing licence file", L" --licence " + Quoted(scratch.Join(L"missing.txt")), 1},
      {"option without value", L" --skin", 2},
      {"unknown option", L" --colour red", 2},
  };
  for (const Case& c : cases) {
    const PreviewRun run(c.options);
    EXPECT_EQ(run.exit_code(), c.exit_code) << c.what;
    EXPECT_TRUE(FilesIn(run.folder()).empty()) << c.what;
  }
  EXPECT_EQ(RunPreview(L""), 2) << "no output folder";
  EXPECT_EQ(RunPreview(Quoted(occupied)), 1) << "output folder taken by a file";
}

}  // namespace
