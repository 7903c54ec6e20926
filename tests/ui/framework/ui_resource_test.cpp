// UIResource on containers built here: loading and refusal, path lookup, the
// typed getters, state entries and text styles, font and image caches, the
// shared default fonts and recolouring with its broadcast.
#include "ui/framework/ui_resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "setup/file_utils.h"
#include "tests/setup/scratch_folder.h"
#include "tests/ui/framework/packed_bytes.h"

namespace {

// 2 x 1 RGBA: opaque red, blue with alpha 128.
const unsigned char kRedBluePng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xF4,
    0x22, 0x7F, 0x8A, 0x00, 0x00, 0x00, 0x0E, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0xF8,
    0xCF, 0xC0, 0x00, 0x42, 0x0D, 0x00, 0x0F, 0x7A, 0x03, 0x7E, 0x6A, 0x81, 0x31, 0xE1, 0x00,
    0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};

// 2 x 1 RGB without alpha: red, green.
const unsigned char kRedGreenRgbPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x7B,
    0x40, 0xE8, 0xDD, 0x00, 0x00, 0x00, 0x0F, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0xF8,
    0xCF, 0xC0, 0xC0, 0xF0, 0x9F, 0x01, 0x00, 0x07, 0xFF, 0x01, 0xFF, 0xB8, 0x04, 0x35, 0xE0,
    0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};

template <size_t N>
std::string Bytes(const unsigned char (&data)[N]) {
  return std::string(reinterpret_cast<const char*>(data), N);
}

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

using Records = std::vector<std::pair<uint32_t, std::string>>;

std::string Container(const std::string& text, const Records& records) {
  std::string bytes = ".uir" + Le32(static_cast<uint32_t>(text.size())) + text +
                      Le32(static_cast<uint32_t>(records.size()));
  for (const auto& [id, data] : records) {
    bytes += Le32(id) + Le32(static_cast<uint32_t>(data.size())) + data;
  }
  return bytes;
}

// The description, stored as the shipped one is: a line feed and a NUL byte
// counted in its length.
std::string SkinText() {
  const char* text = R"({
  "cfg": {
    "MainWindow": {
      "size": [0, 0, 670, 680],
      "InstallButton": {
        "id": 1001,
        "size": [10, 20, 116],
        "bounds": [10, 20, 116, 36],
        "normal": {"bi": 100, "bg": [691, 54, 116, 36], "mg": [7, 6, 7, 6]},
        "grayed": {"bi": 0, "bg": [1, 2, 3, 4], "mg": [1, 1, 1, 1], "md": 3},
        "lighted": {"bi": 100, "bg": [5, 6], "bc": [255, 0, 255], "md": 2, "fi": 100,
                    "fg": [1, 2, 3, 4], "fc": [1, 2, 3], "al": 16, "of": [-3, 4]},
        "pressed": {"bi": 999, "bg": [1, 2, 3, 4], "fi": 101, "fg": [1, 1, 1, 1]},
        "text": {"ft": 101, "al": 37, "cr": 14853431, "of": [2, -1],
                 "tx": "立即安装"},
        "text0": {"ft": 0, "al": 36, "cr": 16777215},
        "text9": {"ft": 555}
      },
      "Label": {"pos": [3, 4], "pos3": [1, 2, 3], "color": [255, 128, 1],
                "color4": [1, 2, 3, 4], "colorWide": [511, 256, 1], "real": 2.5,
                "name": "x"}
    }
  },
  "res": {
    "images": [{"id": 100, "name": "sheet"}, {"id": 102}, {"id": "104"}],
    "fonts": [{"id": 101}, {"id": 103}, {"id": 105}, {"id": 106}, {"id": true}]
  }
}
)";
  return std::string(text) + std::string(1, '\0');
}

const Records& SkinRecords() {
  static const Records records = {
      {100, Bytes(kRedBluePng)},
      {104, Bytes(kRedGreenRgbPng)},
      {101, R"({"ClipPrecision":2,"OutPrecision":3,"PitchAndFamily":34,"Quality":1,)"
            R"("Weight":700,"FaceName":"Tahoma"})"
            "\n"},
      {103, R"({"ClipPrecision":2,"OutPrecision":3,"PitchAndFamily":34,"Quality":1,)"
            R"("Underline":1})"
            "\n"},
      {105, "{\"Height\":-16,\"Weight\":400,\"CharSet\":134}\n"},
      {106, R"({"FaceName":"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn","Italic":257})"},
      {1, R"({"Weight":300})"},
      {107, "unlisted"},
  };
  return records;
}

std::string SkinContainerBytes() { return Container(SkinText(), SkinRecords()); }

LOGFONTW IconTitleFont() {
  LOGFONTW font = {};
  SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
  return font;
}

LOGFONTW FontOf(HFONT font) {
  LOGFONTW log_font = {};
  EXPECT_EQ(GetObjectW(font, sizeof(log_font), &log_font), static_cast<int>(sizeof(log_font)));
  return log_font;
}

void ExpectEmptyEntry(const StateEntry& e, const char* name) {
  const std::vector<int> fields = {e.x,
                                   e.y,
                                   e.width,
                                   e.height,
                                   static_cast<int>(e.key_color),
                                   e.margin_left,
                                   e.margin_top,
                                   e.margin_right,
                                   e.margin_bottom,
                                   e.mode,
                                   e.foreground_x,
                                   e.foreground_y,
                                   e.foreground_width,
                                   e.foreground_height,
                                   static_cast<int>(e.foreground_key_color),
                                   e.foreground_align,
                                   e.foreground_offset_x,
                                   e.foreground_offset_y};
  EXPECT_EQ(fields, std::vector<int>(fields.size(), 0)) << name;
  EXPECT_EQ(e.image, nullptr) << name;
  EXPECT_EQ(e.foreground_image, nullptr) << name;
}

// Pixel `x` of the top row as bytes blue, green, red (, alpha).
std::vector<uint8_t> TopRowPixel(const CHBitmap& bitmap, int x) {
  GdiFlush();
  const int pixel_bytes = bitmap.bits_per_pixel() / 8;
  const BYTE* row = bitmap.bits() + (bitmap.height() - 1) * bitmap.stride();
  return std::vector<uint8_t>(row + x * pixel_bytes, row + (x + 1) * pixel_bytes);
}

class UIResourceTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(skin_.Parse(SkinContainerBytes())); }

  UIResource skin_;
};

TEST_F(UIResourceTest, RefusesForeignMagicAndTruncatedContainersKeepingTheSkin) {
  const std::string sound = SkinContainerBytes();
  const std::string refused[] = {
      "",
      ".ui",
      "uir." + sound.substr(4),
      ".UIR" + sound.substr(4),
      "\x89PNG" + sound.substr(4),
      sound.substr(0, 8 + 20),            // the text runs past the end
      sound.substr(0, sound.size() - 1),  // the last record runs past the end
  };
  for (const std::string& bytes : refused) {
    EXPECT_FALSE(skin_.Parse(bytes)) << bytes.size() << " bytes";
    EXPECT_EQ(skin_.GetInt("MainWindow/InstallButton/id"), 1001);
    std::string data;
    EXPECT_TRUE(skin_.GetData("fonts", 105, data));
  }
}

TEST(UIResource, TextThatIsNotJsonStillLoadsAndFindsNothing) {
  UIResource skin;
  ASSERT_TRUE(skin.Parse(Container("{\"cfg\": {\"A\": ", {{100, Bytes(kRedBluePng)}})));
  EXPECT_EQ(skin.Find(""), nullptr);
  EXPECT_EQ(skin.Find("A"), nullptr);
  EXPECT_EQ(skin.GetImage(100, true), nullptr) << "no \"res\" index, so no reachable record";
  EXPECT_EQ(skin.document().kind(), JsonKind::Null);
}

TEST_F(UIResourceTest, FindSkipsEmptyPiecesAndStopsAtMissingOnes) {
  const JsonValue* button = skin_.Find("MainWindow/InstallButton");
  ASSERT_NE(button, nullptr);
  for (const char* path : {"MainWindow//InstallButton", "/MainWindow/InstallButton/",
                           "//MainWindow///InstallButton//"}) {
    EXPECT_EQ(skin_.Find(path), button) << path;
  }
  EXPECT_EQ(skin_.Find(""), &skin_.document()["cfg"]);
  EXPECT_EQ(skin_.Find("/"), &skin_.document()["cfg"]);
  EXPECT_EQ(skin_.Find("", button), button);
  EXPECT_EQ(skin_.Find("normal", button), skin_.Find("MainWindow/InstallButton/normal"));
  EXPECT_EQ(skin_.GetInt("id", button), 1001);

  for (const char* path : {"Nope", "MainWindow/Nope", "Nope/InstallButton", "mainwindow",
                           "MainWindow/size/0", "MainWindow/InstallButton/id/x", "cfg"}) {
    EXPECT_EQ(skin_.Find(path), nullptr) << path;
  }
}

TEST_F(UIResourceTest, TypedGettersGiveZeroForMissingNodesAndWrongShapes) {
  const std::string button = "MainWindow/InstallButton/";
  const std::string label = "MainWindow/Label/";
  EXPECT_EQ(skin_.GetInt(button + "id"), 1001);
  EXPECT_EQ(skin_.GetInt(button + "normal"), 0);
  EXPECT_EQ(skin_.GetInt(label + "real"), 0);
  EXPECT_EQ(skin_.GetInt(label + "name"), 0);
  EXPECT_EQ(skin_.GetInt(label + "missing"), 0);

  const SkinRect bounds = skin_.GetRect(button + "bounds");
  EXPECT_EQ((std::vector<int>{bounds.x, bounds.y, bounds.width, bounds.height}),
            (std::vector<int>{10, 20, 116, 36}));
  for (const std::string& path :
       {button + "size", button + "normal", label + "pos", label, button + "missing"}) {
    const SkinRect rect = skin_.GetRect(path);
    EXPECT_EQ((std::vector<int>{rect.x, rect.y, rect.width, rect.height}),
              (std::vector<int>{0, 0, 0, 0}))
        << path;
  }

  const SkinPoint pos = skin_.GetPoint(label + "pos");
  EXPECT_EQ(pos.x, 3);
  EXPECT_EQ(pos.y, 4);
  const SkinPoint pos3 = skin_.GetPoint(label + "pos3");
  EXPECT_EQ(pos3.x, 0);
  EXPECT_EQ(pos3.y, 0);

  EXPECT_EQ(skin_.GetColor(label + "color"), RGB(255, 128, 1));
  EXPECT_EQ(skin_.GetColor(label + "colorWide"), RGB(255, 0, 1)) << "components cut to 8 bits";
  EXPECT_EQ(skin_.GetColor(label + "color4"), 0u);
  EXPECT_EQ(skin_.GetColor(label + "pos3"), RGB(1, 2, 3));
  EXPECT_EQ(skin_.GetColor(label + "missing"), 0u);
}

TEST_F(UIResourceTest, StateEntryWithImageSourceAndMargins) {
  const StateEntry entry = skin_.GetStyle("MainWindow/InstallButton/normal");
  ASSERT_NE(entry.image, nullptr);
  EXPECT_EQ(entry.image, skin_.GetImage(100, true));
  EXPECT_EQ((std::vector<int>{entry.x, entry.y, entry.width, entry.height}),
            (std::vector<int>{691, 54, 116, 36}));
  EXPECT_EQ((std::vector<int>{entry.margin_left, entry.margin_top, entry.margin_right,
                              entry.margin_bottom}),
            (std::vector<int>{7, 6, 7, 6}));
  EXPECT_EQ(entry.key_color, 0u);
  EXPECT_EQ(entry.mode, 0);
  EXPECT_EQ(entry.foreground_image, nullptr);
  EXPECT_EQ(entry.foreground_width, 0);
  EXPECT_EQ(entry.foreground_height, 0);
}

TEST_F(UIResourceTest, StateEntryWithoutLoadableImageDrawsNothing) {
  ExpectEmptyEntry(skin_.GetStyle("MainWindow/InstallButton/grayed"), "\"bi\": 0");
  ExpectEmptyEntry(skin_.GetStyle("MainWindow/InstallButton/pressed"),
                   "unlisted image, a font id as foreground image");
  ExpectEmptyEntry(skin_.GetStyle("MainWindow/InstallButton/missing"), "missing node");
  ExpectEmptyEntry(skin_.GetStyle("MainWindow/Label"), "no \"bi\" or \"fi\"");
}

TEST_F(UIResourceTest, StateEntryWithForegroundAndShortArrays) {
  const StateEntry entry = skin_.GetStyle("MainWindow/InstallButton/lighted");
  ASSERT_NE(entry.image, nullptr);
  EXPECT_EQ((std::vector<int>{entry.x, entry.y, entry.width, entry.height}),
            (std::vector<int>{5, 6, 0, 0}))
      << "elements beyond the array's end read as 0";
  EXPECT_EQ(entry.key_color, RGB(255, 0, 255));
  EXPECT_EQ(entry.mode, 2);
  EXPECT_EQ(entry.foreground_image, entry.image);
  EXPECT_EQ((std::vector<int>{entry.foreground_x, entry.foreground_y, entry.foreground_width,
                              entry.foreground_height}),
            (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(entry.foreground_key_color, RGB(1, 2, 3));
  EXPECT_EQ(entry.foreground_align, 16);
  EXPECT_EQ(entry.foreground_offset_x, -3);
  EXPECT_EQ(entry.foreground_offset_y, 4);
}

TEST_F(UIResourceTest, TextStyles) {
  const TextStyle text = skin_.GetTextStyle("MainWindow/InstallButton/text");
  EXPECT_EQ(text.font, skin_.GetFont(101));
  EXPECT_NE(text.font, nullptr);
  EXPECT_EQ(text.align, 37u);
  EXPECT_EQ(text.color, 14853431u);
  // The integer is used as is: 14853431 is 0xE2A537 (the blue 0xE2A637 would
  // be 14853687).
  EXPECT_EQ(GetRValue(text.color), 0x37);
  EXPECT_EQ(GetGValue(text.color), 0xA5);
  EXPECT_EQ(GetBValue(text.color), 0xE2);
  EXPECT_EQ(text.offset_x, 2);
  EXPECT_EQ(text.offset_y, -1);
  EXPECT_EQ(text.text, L"\u7acb\u5373\u5b89\u88c5");

  const TextStyle white = skin_.GetTextStyle("MainWindow/InstallButton/text0");
  EXPECT_EQ(white.font, nullptr) << "\"ft\": 0";
  EXPECT_EQ(white.align, 36u);
  EXPECT_EQ(white.color, 0xFFFFFFu);
  EXPECT_TRUE(white.text.empty());

  EXPECT_EQ(skin_.GetTextStyle("MainWindow/InstallButton/text9").font, nullptr)
      << "font id not listed";

  const TextStyle missing = skin_.GetTextStyle("MainWindow/Missing");
  EXPECT_EQ(missing.font, nullptr);
  EXPECT_EQ(missing.align, 0u);
  EXPECT_EQ(missing.color, 0u);
  EXPECT_EQ(missing.offset_x, 0);
  EXPECT_EQ(missing.offset_y, 0);
  EXPECT_TRUE(missing.text.empty());
}

TEST(UIResource, NullFontsAreCached) {
  // Ids 0 and 101 have no record at first; a later container that has them
  // does not change the cached null.
  UIResource skin;
  ASSERT_TRUE(skin.Parse(Container(SkinText(), {})));
  EXPECT_EQ(skin.GetFont(0), nullptr);
  EXPECT_EQ(skin.GetFont(101), nullptr);
  ASSERT_TRUE(skin.Parse(SkinContainerBytes()));
  std::string record;
  ASSERT_TRUE(skin.GetData("fonts", 101, record));
  EXPECT_EQ(skin.GetFont(101), nullptr);
  EXPECT_NE(skin.GetFont(103), nullptr) << "an id not asked for before";
}

TEST_F(UIResourceTest, FontsFromRecords) {
  const LOGFONTW icon_title = IconTitleFont();

  HFONT bold = skin_.GetFont(101);
  ASSERT_NE(bold, nullptr);
  EXPECT_EQ(skin_.GetFont(101), bold) << "created once";
  const LOGFONTW bold_font = FontOf(bold);
  EXPECT_EQ(bold_font.lfWeight, 700);
  EXPECT_STREQ(bold_font.lfFaceName, L"Tahoma");
  EXPECT_EQ(bold_font.lfClipPrecision, 2);
  EXPECT_EQ(bold_font.lfOutPrecision, 3);
  EXPECT_EQ(bold_font.lfPitchAndFamily, 34);
  EXPECT_EQ(bold_font.lfQuality, 1);
  EXPECT_EQ(bold_font.lfHeight, icon_title.lfHeight) << "absent keys keep the icon-title font";
  EXPECT_EQ(bold_font.lfUnderline, 0);

  const LOGFONTW underlined = FontOf(skin_.GetFont(103));
  EXPECT_EQ(underlined.lfUnderline, 1);
  EXPECT_EQ(underlined.lfWeight, icon_title.lfWeight);
  EXPECT_STREQ(underlined.lfFaceName, icon_title.lfFaceName);

  const LOGFONTW chinese = FontOf(skin_.GetFont(105));
  EXPECT_EQ(chinese.lfHeight, -16);
  EXPECT_EQ(chinese.lfWeight, 400);
  EXPECT_EQ(chinese.lfCharSet, 134);

  const LOGFONTW long_face = FontOf(skin_.GetFont(106));
  EXPECT_STREQ(long_face.lfFaceName, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde") << "31 characters";
  EXPECT_EQ(long_face.lfItalic, 1) << "byte fields take the low 8 bits of 257";

  EXPECT_EQ(FontOf(skin_.GetFont(1)).lfWeight, 300) << "listed as \"id\": true";
}

TEST_F(UIResourceTest, ImagesAreDecodedOnceAndIndexedByConvertedIds) {
  CHBitmap* sheet = skin_.GetImage(100, true);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(skin_.GetImage(100, false), sheet);
  EXPECT_EQ(sheet->bits_per_pixel(), 32);
  EXPECT_EQ(sheet->width(), 2);
  EXPECT_EQ(sheet->height(), 1);

  CHBitmap* opaque = skin_.GetImage(104, true);
  ASSERT_NE(opaque, nullptr) << "listed with the string id \"104\"";
  EXPECT_EQ(opaque->bits_per_pixel(), 24);
}

TEST(UIResource, FailedDecodeIsTriedAgain) {
  UIResource skin;
  ASSERT_TRUE(skin.Parse(Container(SkinText(), {{100, "not a picture"}})));
  EXPECT_EQ(skin.GetImage(100, true), nullptr);
  EXPECT_EQ(skin.GetImage(100, true), nullptr);
  ASSERT_TRUE(skin.Parse(SkinContainerBytes()));
  CHBitmap* sheet = skin.GetImage(100, true);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->width(), 2);
}

TEST(UIResource, ContainerWithoutRecordsGivesNoImagesOrFonts) {
  UIResource skin;
  ASSERT_TRUE(skin.Parse(Container(SkinText(), {})));
  EXPECT_EQ(skin.GetInt("MainWindow/InstallButton/id"), 1001) << "the description is there";
  for (int id : {0, 1, 100, 101, 103, 104, 105}) {
    EXPECT_EQ(skin.GetImage(id, true), nullptr) << id;
    EXPECT_EQ(skin.GetFont(id), nullptr) << id;
  }
  ExpectEmptyEntry(skin.GetStyle("MainWindow/InstallButton/normal"), "normal");
  EXPECT_EQ(skin.GetTextStyle("MainWindow/InstallButton/text").font, nullptr);
}

TEST_F(UIResourceTest, DataOnlyForListedIdsWithRecords) {
  std::string data = "stale";
  EXPECT_TRUE(skin_.GetData("fonts", 105, data));
  EXPECT_EQ(data, "{\"Height\":-16,\"Weight\":400,\"CharSet\":134}\n");

  struct Case {
    const char* section;
    int id;
    const char* why;
  };
  const Case missing[] = {
      {"images", 102, "listed, no record"}, {"images", 107, "record, not listed"},
      {"fonts", 107, "record, not listed"}, {"images", 101, "listed in another section"},
      {"sounds", 100, "no such section"},   {"res", 100, "no such section"},
  };
  for (const Case& c : missing) {
    data = "stale";
    EXPECT_FALSE(skin_.GetData(c.section, c.id, data)) << c.why;
    EXPECT_TRUE(data.empty()) << c.why;
    EXPECT_EQ(skin_.GetImage(c.id, true) != nullptr, c.id == 100 || c.id == 104) << c.why;
  }
}

// A text that lists one record in many sections holds the record once: 4096 sections naming a
// 1 MiB record asked the 32-bit program for 4 GiB of copies, which ended it.
TEST(UIResource, ARecordListedInManySectionsIsHeldOnce) {
  constexpr int kSections = 4096;
  std::string text = "{\"res\":{";
  for (int i = 0; i < kSections; ++i) {
    text += (i ? ",\"s" : "\"s") + std::to_string(i) + "\":[{\"id\":100},{\"id\":100}]";
  }
  text += "}}";
  const std::string record(1u << 20, 'r');
  UIResource skin;
  ASSERT_TRUE(skin.Parse(Container(text, {{100, record}})));
  for (const int section : {0, kSections / 2, kSections - 1}) {
    std::string data;
    EXPECT_TRUE(skin.GetData("s" + std::to_string(section), 100, data)) << section;
    EXPECT_EQ(data, record) << section;
  }
}

TEST(UIResource, LoadFromFileAndMissingSources) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::wstring path = folder.Join(L"skin.uir");
  ASSERT_TRUE(WriteWholeFile(path, SkinContainerBytes()));

  UIResource skin;
  ASSERT_TRUE(skin.LoadFromFile(path));
  EXPECT_EQ(skin.GetInt("MainWindow/InstallButton/id"), 1001);
  EXPECT_FALSE(skin.LoadFromFile(folder.Join(L"missing.uir")));
  EXPECT_FALSE(skin.LoadFromResource(nullptr, L"UIR", 129)) << "this program embeds no skin";
  EXPECT_EQ(skin.GetInt("MainWindow/InstallButton/id"), 1001) << "failed loads change nothing";

  const std::wstring bad = folder.Join(L"bad.uir");
  ASSERT_TRUE(WriteWholeFile(bad, "RIFF" + SkinContainerBytes().substr(4)));
  EXPECT_FALSE(skin.LoadFromFile(bad));
}

// The setup program stores its skin packed; both loaders take either form.
TEST(UIResource, LoadFromFileTakesPackedContainers) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::wstring path = folder.Join(L"skin.uiz");
  ASSERT_TRUE(WriteWholeFile(path, packed_bytes::Packed(SkinContainerBytes())));

  UIResource skin;
  ASSERT_TRUE(skin.LoadFromFile(path));
  EXPECT_EQ(skin.GetInt("MainWindow/InstallButton/id"), 1001);
  std::string data;
  EXPECT_TRUE(skin.GetData("images", 100, data));

  std::string broken = packed_bytes::Packed(SkinContainerBytes());
  broken.resize(broken.size() - 1);
  ASSERT_TRUE(WriteWholeFile(path, broken));
  EXPECT_FALSE(skin.LoadFromFile(path));
  EXPECT_EQ(skin.GetInt("MainWindow/InstallButton/id"), 1001) << "failed loads change nothing";
}

TEST(UIResource, DefaultFontsAreSharedAndCreatedOnce) {
  UIResource first;
  UIResource second;
  HFONT normal = first.GetDefaultFont();
  HFONT bold = first.GetDefaultBoldFont();
  ASSERT_NE(normal, nullptr);
  ASSERT_NE(bold, nullptr);
  EXPECT_NE(normal, bold);
  EXPECT_EQ(second.GetDefaultFont(), normal);
  EXPECT_EQ(second.GetDefaultBoldFont(), bold);

  const LOGFONTW icon_title = IconTitleFont();
  EXPECT_EQ(FontOf(normal).lfWeight, icon_title.lfWeight);
  EXPECT_STREQ(FontOf(normal).lfFaceName, icon_title.lfFaceName);
  EXPECT_EQ(FontOf(bold).lfWeight, 700);
  EXPECT_EQ(FontOf(bold).lfHeight, icon_title.lfHeight);
}

// Pixels of kRedBluePng as decoded (premultiplied), and after a hue turn of
// 120 degrees: red becomes green, blue becomes red.
const std::vector<uint8_t> kRed = {0, 0, 255, 255};
const std::vector<uint8_t> kGreen = {0, 255, 0, 255};

TEST_F(UIResourceTest, RecolorShiftsRecolourableImagesAndColoursAndRestoresThem) {
  CHBitmap* sheet = skin_.GetImage(100, true);
  CHBitmap* fixed = skin_.GetImage(104, false);
  ASSERT_NE(sheet, nullptr);
  ASSERT_NE(fixed, nullptr);
  const std::vector<uint8_t> blue_half = TopRowPixel(*sheet, 1);
  ASSERT_EQ(TopRowPixel(*sheet, 0), kRed);
  ASSERT_EQ(blue_half[3], 128);
  const std::vector<uint8_t> fixed_red = TopRowPixel(*fixed, 0);

  EXPECT_EQ(skin_.RecolorColor(RGB(255, 0, 0)), RGB(255, 0, 0)) << "off: unchanged";
  EXPECT_EQ(skin_.SetRecolor(120, -10, 5), 1);
  EXPECT_EQ(skin_.GetRecolorHue(), 120);
  EXPECT_EQ(skin_.GetRecolorSaturation(), -10);
  EXPECT_EQ(skin_.GetRecolorLightness(), 5);
  EXPECT_EQ(skin_.SetRecolor(120, 0, 0), 1);

  EXPECT_EQ(skin_.GetImage(100, true), sheet) << "recoloured in place";
  EXPECT_EQ(TopRowPixel(*sheet, 0), kGreen) << "from the original, not from the first shift";
  const std::vector<uint8_t> turned = TopRowPixel(*sheet, 1);
  EXPECT_EQ(turned[3], 128);
  EXPECT_EQ(turned[0], 0);
  EXPECT_EQ(turned[1], 0);
  EXPECT_EQ(turned[2], blue_half[0]) << "blue turned red at the same premultiplied strength";
  EXPECT_EQ(TopRowPixel(*fixed, 0), fixed_red) << "not recolourable";
  EXPECT_EQ(skin_.RecolorColor(RGB(255, 0, 0)), RGB(0, 255, 0));
  EXPECT_EQ(skin_.RecolorColor(RGB(255, 0, 0)), RGB(0, 255, 0)) << "cached";

  skin_.SetRecolor(0, 0, 0);
  EXPECT_EQ(TopRowPixel(*sheet, 0), kRed);
  EXPECT_EQ(TopRowPixel(*sheet, 1), blue_half);
  EXPECT_EQ(skin_.RecolorColor(RGB(255, 0, 0)), RGB(255, 0, 0));
}

TEST(UIResource, ImagesLoadedWhileRecolouringAreRecolouredAndRestorable) {
  UIResource skin;
  ASSERT_TRUE(skin.Parse(SkinContainerBytes()));
  skin.SetRecolor(120, 0, 0);
  CHBitmap* sheet = skin.GetImage(100, true);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(TopRowPixel(*sheet, 0), kGreen);
  CHBitmap* fixed = skin.GetImage(104, false);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(TopRowPixel(*fixed, 0), (std::vector<uint8_t>{0, 0, 255})) << "24-bit red as stored";

  skin.SetRecolor(0, 0, 0);
  EXPECT_EQ(TopRowPixel(*sheet, 0), kRed);
}

// Counts the recolour notification per window; answers everything else by
// default.
std::map<HWND, int>& Notified() {
  static std::map<HWND, int> counts;
  return counts;
}
std::map<HWND, int>& FrameRecalculated() {
  static std::map<HWND, int> counts;
  return counts;
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRecolorChangedMessage) ++Notified()[window];
  if (message == WM_NCCALCSIZE && wparam) ++FrameRecalculated()[window];
  return DefWindowProcW(window, message, wparam, lparam);
}

class OwnedWindow {
 public:
  explicit OwnedWindow(HWND window) : window_(window) {}
  ~OwnedWindow() {
    if (window_) DestroyWindow(window_);
  }
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

TEST(UIResource, SetRecolorNotifiesEveryWindowOfTheThreadAndRepaintsVisibleOnes) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = CountingProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"BrindleRecolorTest";
  ASSERT_NE(RegisterClassW(&window_class), 0);

  OwnedWindow visible(CreateWindowExW(0, L"BrindleRecolorTest", L"visible", WS_POPUP | WS_VISIBLE,
                                      0, 0, 50, 40, nullptr, nullptr, window_class.hInstance,
                                      nullptr));
  OwnedWindow hidden(CreateWindowExW(0, L"BrindleRecolorTest", L"hidden", WS_POPUP, 0, 0, 50, 40,
                                     nullptr, nullptr, window_class.hInstance, nullptr));
  ASSERT_NE(visible.get(), nullptr);
  ASSERT_NE(hidden.get(), nullptr);
  HWND child = CreateWindowExW(0, L"BrindleRecolorTest", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                               visible.get(), nullptr, window_class.hInstance, nullptr);
  HWND hidden_child =
      CreateWindowExW(0, L"BrindleRecolorTest", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                      hidden.get(), nullptr, window_class.hInstance, nullptr);
  ASSERT_NE(child, nullptr);
  ASSERT_NE(hidden_child, nullptr);
  for (HWND window : {visible.get(), hidden.get(), child, hidden_child}) {
    ValidateRect(window, nullptr);
  }
  Notified().clear();
  FrameRecalculated().clear();

  UIResource skin;
  skin.SetRecolor(30, 0, 0);

  for (HWND window : {visible.get(), hidden.get(), child, hidden_child}) {
    EXPECT_EQ(Notified()[window], 1);
  }
  RECT update = {};
  EXPECT_TRUE(GetUpdateRect(visible.get(), &update, FALSE));
  EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));
  EXPECT_FALSE(GetUpdateRect(hidden.get(), &update, FALSE));
  EXPECT_FALSE(GetUpdateRect(hidden_child, &update, FALSE)) << "not visible: its parent is hidden";
  EXPECT_EQ(FrameRecalculated()[visible.get()], 1);
  EXPECT_EQ(FrameRecalculated()[child], 1);
  EXPECT_EQ(FrameRecalculated()[hidden.get()], 0);

  UnregisterClassW(L"BrindleRecolorTest", window_class.hInstance);
}

}  // namespace
