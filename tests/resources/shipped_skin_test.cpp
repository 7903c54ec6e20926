// The shipped skin as the build makes it (the container built from resources/skin): every path
// and key the windows read, the numbers they are laid out with, the records and the sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "tools/skin/png_header.h"
#include "tools/skin/skin_check.h"
#include "tools/skin/skin_container.h"
#include "ui/framework/dpi_scale.h"
#include "ui/framework/packed_skin.h"
#include "ui/framework/png_rows.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Shipped {
  std::string bytes;
  SkinContainer skin;
  JsonValue description;
  bool parsed = false;
};

const Shipped& ShippedSkin() {
  static const Shipped* shipped = [] {
    auto* s = new Shipped;
    s->bytes = ReadFile(BRINDLE_SKIN_CONTAINER);
    std::string error;
    s->parsed = ParseSkinContainer(s->bytes, s->skin, error) &&
                JsonReader().parse(s->skin.text.c_str(), s->description);
    return s;
  }();
  return *shipped;
}

// The node at a slash-separated path below "cfg", as the skin loader finds it; null when a piece
// is missing.
const JsonValue* Find(const std::string& path) {
  const JsonValue* node = &ShippedSkin().description["cfg"];
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) {
      end = path.size();
    }
    const std::string piece = path.substr(start, end - start);
    if (!piece.empty()) {
      if (!node->hasMember(piece)) {
        return nullptr;
      }
      node = &(*node)[piece];
    }
    start = end + 1;
  }
  return node;
}

using Rect = std::array<int64_t, 4>;

bool IsRect(const JsonValue& node, const Rect& want) {
  if (node.kind() != JsonKind::Array || node.size() != 4) {
    return false;
  }
  for (size_t i = 0; i < 4; ++i) {
    if (node[i].kind() != JsonKind::Integer || node[i].toInt64() != want[i]) {
      return false;
    }
  }
  return true;
}

bool IsIntArray(const JsonValue& node, size_t count) {
  if (node.kind() != JsonKind::Array || node.size() != count) {
    return false;
  }
  for (size_t i = 0; i < count; ++i) {
    if (node[i].kind() != JsonKind::Integer) {
      return false;
    }
  }
  return true;
}

// What a window expects at a path.
enum class Expect {
  kInt,         // an integer equal to `value`
  kRect,        // [x, y, w, h] equal to `rect`
  kSize,        // the "bg" of a state entry has width and height rect[2], rect[3]
  kDrawn,       // a state entry that draws: "bi" 100 with "bg", or "fi" 100 with "fg"
  kPresent,     // any state entry ("focused" is loaded, never drawn)
  kSingleLine,  // a text style: "al" 36 or 37, integer "cr"
  kWrapping,    // a text style without DT_SINGLELINE: the licence wraps
};

struct Key {
  std::string path;
  Expect expect;
  int64_t value = 0;
  Rect rect = {};
};

using Keys = std::vector<Key>;

constexpr const char* kStates[] = {"normal", "grayed", "lighted", "pressed", "focused"};

void Append(Keys& keys, const Keys& more) { keys.insert(keys.end(), more.begin(), more.end()); }

// "id" and "size" of an element.
Keys Placed(const std::string& path, int64_t id, const Rect& size) {
  return {{path + "/id", Expect::kInt, id}, {path + "/size", Expect::kRect, 0, size}};
}

// The five state entries of a button or check box: four that draw, "focused" present.
Keys StateEntries(const std::string& path) {
  Keys keys;
  for (const char* state : kStates) {
    keys.push_back(
        {path + "/" + state, std::string(state) == "focused" ? Expect::kPresent : Expect::kDrawn});
  }
  return keys;
}

// "Text" of a button or check box: "margin" and the five single-line styles.
Keys Caption(const std::string& path, const Rect& margin) {
  Keys keys = {{path + "/Text/margin", Expect::kRect, 0, margin}};
  for (const char* state : kStates) {
    keys.push_back({path + "/Text/" + state, Expect::kSingleLine});
  }
  return keys;
}

// UIButton and UICheckBox read the same keys.
Keys Button(const std::string& path, int64_t id, const Rect& size, const Rect& margin) {
  Keys keys = Placed(path, id, size);
  Append(keys, StateEntries(path));
  Append(keys, Caption(path, margin));
  return keys;
}

// A system button of a window: "id", "size" and the five state entries.
Keys CloseButton(const std::string& window, const Rect& size) {
  Keys keys = Placed(window + "/SysBtns/Close", 1000, size);
  Append(keys, StateEntries(window + "/SysBtns/Close"));
  return keys;
}

// The frame window's keys: client background and the four pieces with both entries.
Keys Frame(const std::string& window, const Rect& top, const Rect& close) {
  Keys keys = {{window + "/Client/bkgnd", Expect::kDrawn}};
  for (const char* piece : {"Top", "Left", "Right", "Bottom"}) {
    for (const char* state : {"normal", "grayed"}) {
      keys.push_back({window + "/Frames/" + piece + "/" + state, Expect::kDrawn});
    }
  }
  keys.push_back({window + "/Frames/Top/normal/bg", Expect::kRect, 0, top});
  keys.push_back({window + "/Frames/Left/normal/bg", Expect::kRect, 0, {0, 298, 38, 34}});
  keys.push_back({window + "/Frames/Right/normal/bg", Expect::kRect, 0, {632, 298, 38, 34}});
  keys.push_back({window + "/Frames/Bottom/normal/bg", Expect::kRect, 0, {0, 333, 670, 56}});
  Append(keys, CloseButton(window, close));
  return keys;
}

Keys Label(const std::string& path, const Rect& size) {
  return {{path + "/size", Expect::kRect, 0, size}, {path + "/text", Expect::kSingleLine}};
}

constexpr Rect kNoButton = {0, 0, 0, 0};
constexpr Rect kCloseOnCard = {-60, 45, 15, 15};
constexpr Rect kNoMargin = {0, 0, 0, 0};
constexpr Rect kBoxMargin = {29, 0, 0, 0};
constexpr Rect kSmallTop = {0, 392, 670, 170};

const Keys& KeysTheWindowsRead() {
  static const Keys* keys = [] {
    auto* k = new Keys;
    // Main window, install page.
    Append(*k, Frame("MainWindow", {0, 0, 670, 287}, kCloseOnCard));
    Append(*k, Button("MainWindow/InstallButton2", 1001, {-195, -96, 140, 37}, kNoMargin));
    Append(*k, Button("MainWindow/CheckBoxDesktop", 1003, {48, -90, 135, 27}, kBoxMargin));
    Append(*k, Button("MainWindow/CheckBoxTaskbar", 1004, {180, -90, 147, 27}, kBoxMargin));
    Append(*k, Button("MainWindow/CheckBoxStartMenu", 1004, {320, -90, 156, 27}, kBoxMargin));
    Append(*k, Button("MainWindow/CheckBoxAgree", 1002, {48, -200, 220, 27}, kBoxMargin));
    Append(*k, Button("MainWindow/CheckBoxAllUsers", 1006, {320, -200, 240, 27}, kBoxMargin));
    Append(*k, Button("MainWindow/ButtonBrowser", 1005, {515, -160, 100, 35}, kNoMargin));
    Append(*k, Placed("MainWindow/EditBoxPath", 0, {55, -160, 560, 35}));
    Append(*k, {{"MainWindow/EditBoxPath/bkgnd", Expect::kDrawn},
                {"MainWindow/EditBoxPath/Text/margin", Expect::kRect, 0, {8, 5, 105, 5}},
                {"MainWindow/EditBoxPath/Text/normal", Expect::kSingleLine},
                {"MainWindow/EditBoxPath/Text/grayed", Expect::kSingleLine}});
    Append(*k, {{"MainWindow/EditBoxReadMe/size", Expect::kRect, 0, {55, 305, 560, 170}},
                {"MainWindow/EditBoxReadMe/bkgnd", Expect::kDrawn},
                {"MainWindow/EditBoxReadMe/Text/margin", Expect::kRect, 0, {12, 12, 12, 12}},
                {"MainWindow/EditBoxReadMe/Text/normal", Expect::kWrapping},
                {"MainWindow/EditBoxReadMe/Text/grayed", Expect::kWrapping},
                {"MainWindow/EditBoxReadMe/ScrollBar/thumb", Expect::kDrawn},
                {"MainWindow/EditBoxReadMe/ScrollBar/thumb/fi", Expect::kInt, 100},
                {"MainWindow/EditBoxReadMe/ScrollBar/trackbar", Expect::kDrawn},
                {"MainWindow/EditBoxReadMe/ScrollBar/trackbar", Expect::kSize, 0, {0, 0, 17, 24}}});
    // Main window, uninstall page.
    Append(*k, Frame("MainWindow2", kSmallTop, kNoButton));
    Append(*k, Label("MainWindow2/Label1", {75, 190, 558, 28}));
    Append(*k, Button("MainWindow2/ButtonOK", 1001, {-307, -92, 116, 37}, kNoMargin));
    Append(*k, Button("MainWindow2/ButtonCancel", 1002, {-170, -92, 116, 37}, kNoMargin));
    // Progress window.
    Append(*k, Frame("ProcessWindow", kSmallTop, kNoButton));
    Append(*k, Label("ProcessWindow/Label1", {56, 220, 558, 28}));
    Append(*k, {{"ProcessWindow/Progress1/size", Expect::kRect, 0, {56, 200, 558, 6}},
                {"ProcessWindow/Progress1/bkgnd", Expect::kDrawn},
                {"ProcessWindow/Progress1/bkgnd", Expect::kSize, 0, {0, 0, 14, 6}},
                {"ProcessWindow/Progress1/bkgnd/mg", Expect::kRect, 0, {2, 0, 2, 2}},
                {"ProcessWindow/Progress1/frgnd", Expect::kDrawn},
                {"ProcessWindow/Progress1/frgnd", Expect::kSize, 0, {0, 0, 14, 6}},
                {"ProcessWindow/Progress1/frgnd/mg", Expect::kRect, 0, {3, 0, 2, 2}}});
    Append(*k, Button("ProcessWindow/ButtonCancel", 2002, {-170, -76, 116, 37}, kNoMargin));
    // Install-finished window: one background, the start button with its caption in its
    // images, the close button.
    Append(*k, {{"SuccessWindow/bkgnd", Expect::kDrawn},
                {"SuccessWindow/bkgnd", Expect::kSize, 0, {0, 0, 670, 320}}});
    Append(*k, Placed("SuccessWindow/Button1", 2001, {-250, 135, 196, 61}));
    Append(*k, StateEntries("SuccessWindow/Button1"));
    Append(*k, CloseButton("SuccessWindow", kCloseOnCard));
    // Uninstall-finished window.
    Append(*k, Frame("SuccessWindow2", kSmallTop, kNoButton));
    Append(*k, Label("SuccessWindow2/Label1", {85, 195, 558, 28}));
    Append(*k, Button("SuccessWindow2/ButtonOK", 1002, {-170, -92, 116, 37}, kNoMargin));
    Append(*k, {{"SuccessWindow2/Icon/size", Expect::kRect, 0, {85, 273, 18, 18}},
                {"SuccessWindow2/Icon/bkgnd", Expect::kDrawn},
                {"SuccessWindow2/Icon/bkgnd", Expect::kSize, 0, {0, 0, 18, 18}}});
    return k;
  }();
  return *keys;
}

// True when the entry draws from the sheet: its background or its foreground.
bool Draws(const JsonValue& entry) {
  const bool background = entry["bi"].kind() == JsonKind::Integer && entry["bi"].toInt64() == 100 &&
                          IsIntArray(entry["bg"], 4);
  const bool foreground = entry["fi"].kind() == JsonKind::Integer && entry["fi"].toInt64() == 100 &&
                          IsIntArray(entry["fg"], 4);
  return background || foreground;
}

void ExpectKey(const Key& key) {
  SCOPED_TRACE(key.path);
  const JsonValue* node = Find(key.path);
  ASSERT_NE(node, nullptr) << "missing";
  switch (key.expect) {
    case Expect::kInt:
      EXPECT_EQ(node->kind(), JsonKind::Integer);
      EXPECT_EQ(node->toInt64(), key.value);
      break;
    case Expect::kRect:
      EXPECT_TRUE(IsRect(*node, key.rect)) << "want [" << key.rect[0] << "," << key.rect[1] << ","
                                           << key.rect[2] << "," << key.rect[3] << "]";
      break;
    case Expect::kSize: {
      const JsonValue& bg = (*node)["bg"];
      ASSERT_TRUE(IsIntArray(bg, 4));
      EXPECT_EQ(bg[2].toInt64(), key.rect[2]);
      EXPECT_EQ(bg[3].toInt64(), key.rect[3]);
      break;
    }
    case Expect::kDrawn:
      EXPECT_TRUE(Draws(*node)) << "draws nothing";
      break;
    case Expect::kPresent:
      EXPECT_EQ(node->kind(), JsonKind::Object);
      break;
    case Expect::kSingleLine: {
      const int64_t align = (*node)["al"].toInt64();
      EXPECT_TRUE(align == 36 || align == 37) << "al " << align;
      EXPECT_EQ((*node)["cr"].kind(), JsonKind::Integer);
      break;
    }
    case Expect::kWrapping:
      EXPECT_EQ(node->kind(), JsonKind::Object);
      EXPECT_EQ((*node)["al"].toInt64() & 0x20, 0) << "DT_SINGLELINE would not wrap";
      EXPECT_EQ((*node)["cr"].kind(), JsonKind::Integer);
      break;
  }
}

TEST(ShippedSkin, ContainerParses) {
  const Shipped& shipped = ShippedSkin();
  ASSERT_FALSE(shipped.bytes.empty()) << "cannot read " << BRINDLE_SKIN_CONTAINER;
  ASSERT_TRUE(shipped.parsed);
  EXPECT_EQ(shipped.bytes.substr(0, 4), ".uir");
  const std::string& text = shipped.skin.text;
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), std::string("\n\0", 2));
  std::vector<uint32_t> ids;
  for (const auto& record : shipped.skin.records) {
    ids.push_back(record.first);
  }
  EXPECT_EQ(ids, (std::vector<uint32_t>{100, 101, 103, 105}));
  EXPECT_TRUE(shipped.skin.repeated_ids.empty());
}

TEST(ShippedSkin, PassesEveryCheck) {
  const SkinReport report = CheckSkin(ShippedSkin().skin);
  for (const std::string& problem : report.problems) {
    ADD_FAILURE() << problem;
  }
  // The walk reached at least every entry that the windows draw.
  std::set<std::string> drawn;
  for (const Key& key : KeysTheWindowsRead()) {
    if (key.expect == Expect::kDrawn) {
      drawn.insert(key.path);
    }
  }
  EXPECT_GE(report.drawn_entries, static_cast<int>(drawn.size()));
}

TEST(ShippedSkin, EveryKeyTheWindowsReadResolves) {
  ASSERT_TRUE(ShippedSkin().parsed);
  for (const Key& key : KeysTheWindowsRead()) {
    ExpectKey(key);
  }
}

TEST(ShippedSkin, ResourceSectionsListTheSheetAndThreeFonts) {
  const JsonValue& res = ShippedSkin().description["res"];
  ASSERT_EQ(res.memberNames(), (std::vector<std::string>{"fonts", "images"}));
  auto ids = [&](const char* section) {
    std::vector<int64_t> result;
    for (size_t i = 0; i < res[section].size(); ++i) {
      result.push_back(res[section][i]["id"].toInt64());
    }
    return result;
  };
  EXPECT_EQ(ids("images"), (std::vector<int64_t>{100}));
  EXPECT_EQ(ids("fonts"), (std::vector<int64_t>{101, 103, 105}));
  // One sheet, rendered at 200 %: the program reduces it to 96 DPI and cuts every other DPI's
  // pictures from it.
  EXPECT_EQ(res["images"][0]["scale"].toInt64(), 2);
  EXPECT_FALSE(res["images"][0].hasMember("base"));
}

TEST(ShippedSkin, FontRecords) {
  const auto& records = ShippedSkin().skin.records;
  ASSERT_EQ(records.count(101), 1u);
  ASSERT_EQ(records.count(103), 1u);
  ASSERT_EQ(records.count(105), 1u);
  EXPECT_EQ(records.at(101),
            "{\"ClipPrecision\":2,\"OutPrecision\":3,\"PitchAndFamily\":34,\"Quality\":1,"
            "\"Weight\":700}\n");
  EXPECT_EQ(records.at(103),
            "{\"ClipPrecision\":2,\"OutPrecision\":3,\"PitchAndFamily\":34,\"Quality\":1,"
            "\"Underline\":1}\n");
  // The face is substituted by the test prefix of Wine with an installed Chinese font.
  EXPECT_EQ(records.at(105),
            "{\"CharSet\":134,\"FaceName\":\"Microsoft YaHei\",\"Height\":-16,\"Weight\":400}\n");
}

TEST(ShippedSkin, SheetIsTheCommittedRgbaPng) {
  const auto& records = ShippedSkin().skin.records;
  // The setup program's whole image is aimed at 512 KiB on x86 (640 KiB on x64; the Windows
  // trees' resources_setup_image_size keeps it from growing); the one sheet is its largest
  // resource.
  ASSERT_EQ(records.count(100), 1u);
  const std::string& sheet = records.at(100);
  EXPECT_EQ(sheet, ReadFile(std::string(BRINDLE_SKIN_SOURCE_DIR) + "/sheet-192.png"));
  PngHeader header;
  ASSERT_TRUE(ReadPngHeader(sheet, header));
  EXPECT_EQ(header.bit_depth, 8);
  EXPECT_EQ(header.colour_type, kPngColourTypeRgba);
  EXPECT_EQ(header.width, 1884u);
  EXPECT_EQ(header.height, 1776u);
  EXPECT_LT(sheet.size(), 136u * 1024u);
}

// Decoded pixels (bottom-up DIB rows, premultiplied BGRA) of a committed sheet, `factor` times
// smaller on each side.
struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bits;
};

Decoded DecodeSheet(const std::string& file, int factor) {
  const std::string png = ReadFile(std::string(BRINDLE_SKIN_SOURCE_DIR) + "/" + file);
  const auto* data = reinterpret_cast<const uint8_t*>(png.data());
  PngRowsInfo info;
  Decoded out;
  if (!ReadPngRowsInfo(data, png.size(), info) || !info.alpha) return out;
  out.width = info.width / factor;
  out.height = info.height / factor;
  out.bits.resize(static_cast<size_t>(out.width) * out.height * 4);
  const size_t stride = static_cast<size_t>(out.width) * 4;
  const bool ok =
      factor == 1 ? DecodePngRows(data, png.size(), info, out.bits.data(), stride)
                  : DecodePngRowsReduced(data, png.size(), info, factor, out.bits.data(), stride);
  if (!ok) out = Decoded();
  return out;
}

// The rectangle [x, y, w, h] (from the top) of `sheet` as top-down rows of 4-byte pixels.
std::vector<uint8_t> Cut(const Decoded& sheet, const ScaledBox& box) {
  std::vector<uint8_t> out;
  for (int row = box.y; row < box.y + box.height; ++row) {
    const uint8_t* line = sheet.bits.data() +
                          static_cast<size_t>(sheet.height - 1 - row) * sheet.width * 4 +
                          static_cast<size_t>(box.x) * 4;
    out.insert(out.end(), line, line + static_cast<size_t>(box.width) * 4);
  }
  return out;
}

struct Difference {
  double mean = 0;  // per byte, in 8-bit levels
  int largest = 0;
};

Difference Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  Difference d;
  if (a.size() != b.size() || a.empty()) return {255, 255};
  uint64_t sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const int delta = std::abs(int{a[i]} - int{b[i]});
    sum += static_cast<uint64_t>(delta);
    d.largest = std::max(d.largest, delta);
  }
  d.mean = static_cast<double>(sum) / static_cast<double>(a.size());
  return d;
}

// The program carries only the 200 % sheet: its 96-DPI image is the sheet reduced by 2 x 2
// area averaging, and 150 % pictures are its cells averaged down by area. Both stay close to
// the sheets rsvg-convert renders at those DPIs (committed as sheet.png and sheet-144.png for
// this comparison; the program does not carry them). At 96 DPI the reduction is within a
// quarter level of 255 per channel on average and 48 levels at most. At 150 % the rendering puts
// anti-aliased edges on other pixel bounds than averaging 4:3 does, so thin strokes differ most:
// within 8 levels on average in every picture (the close button's 1-pixel cross is the worst,
// about 7) and 136 at most.
TEST(ShippedSkin, PicturesDerivedFromTheLargeSheetMatchTheRenderedSheets) {
  const Decoded reduced = DecodeSheet("sheet-192.png", 2);
  const Decoded rendered96 = DecodeSheet("sheet.png", 1);
  ASSERT_EQ(reduced.width, 942);
  ASSERT_EQ(reduced.height, 888);
  ASSERT_EQ(rendered96.width, 942);
  ASSERT_EQ(rendered96.height, 888);
  const Difference whole = Compare(reduced.bits, rendered96.bits);
  EXPECT_LT(whole.mean, 0.25);
  EXPECT_LE(whole.largest, 48);

  // The streaming reduction equals the general area averaging of the whole sheet.
  const Decoded large = DecodeSheet("sheet-192.png", 1);
  const Decoded rendered144 = DecodeSheet("sheet-144.png", 1);
  ASSERT_EQ(large.width, 1884);
  ASSERT_EQ(rendered144.width, 1413);
  std::vector<uint8_t> averaged(reduced.bits.size());
  ScalePixels(large.bits.data(), large.width, large.height, large.width * 4, averaged.data(),
              reduced.width, reduced.height, reduced.width * 4, 4);
  EXPECT_EQ(averaged, reduced.bits);

  // 150 %: every picture of the sheet map (resources/skin/README.md), as the program cuts it.
  const ScaledBox cells[] = {{0, 0, 670, 287},   {0, 298, 38, 34},   {632, 298, 38, 34},
                             {0, 333, 670, 56},  {0, 392, 670, 170}, {0, 565, 670, 320},
                             {676, 0, 196, 61},  {676, 64, 196, 61}, {676, 196, 24, 37},
                             {702, 236, 24, 37}, {754, 276, 24, 35}, {784, 196, 24, 35},
                             {834, 196, 17, 30}, {712, 316, 16, 16}, {752, 316, 15, 15},
                             {806, 324, 14, 6},  {826, 316, 18, 18}};
  for (const ScaledBox& cell : cells) {
    SCOPED_TRACE(testing::Message()
                 << cell.x << "," << cell.y << "," << cell.width << "," << cell.height);
    const ScaledBox from = ScaleBox(cell, 192);
    const ScaledBox to = ScaleBox(cell, 144);
    const std::vector<uint8_t> source = Cut(large, from);
    std::vector<uint8_t> derived(static_cast<size_t>(to.width) * to.height * 4);
    ScalePixels(source.data(), from.width, from.height, from.width * 4, derived.data(), to.width,
                to.height, to.width * 4, 4);
    const Difference d = Compare(derived, Cut(rendered144, to));
    EXPECT_LT(d.mean, 8.0);
    EXPECT_LE(d.largest, 136);
  }
}

// Every element a window lays out from "size" (anchored as the element model does) lies inside
// the window, and the frame pieces leave a client area.
TEST(ShippedSkin, ElementsLieInsideTheirWindows) {
  struct Window {
    const char* name;
    int64_t width, height;
    bool framed;
  };
  const Window windows[] = {{"MainWindow", 670, 680, true},
                            {"MainWindow2", 670, 330, true},
                            {"ProcessWindow", 670, 300, true},
                            {"SuccessWindow", 670, 320, false},
                            {"SuccessWindow2", 670, 400, true}};
  for (const Window& window : windows) {
    SCOPED_TRACE(window.name);
    const JsonValue* node = Find(window.name);
    ASSERT_NE(node, nullptr);
    std::vector<std::pair<std::string, const JsonValue*>> elements;
    for (const std::string& name : node->memberNames()) {
      elements.emplace_back(name, &(*node)[name]);
    }
    for (const std::string& name : (*node)["SysBtns"].memberNames()) {
      elements.emplace_back("SysBtns/" + name, &(*node)["SysBtns"][name]);
    }
    for (const auto& [name, element] : elements) {
      const JsonValue& size = (*element)["size"];
      if (!IsIntArray(size, 4) || size[2].toInt64() <= 0 || size[3].toInt64() <= 0) {
        continue;
      }
      SCOPED_TRACE(name);
      const int64_t x = size[0].toInt64(), y = size[1].toInt64();
      const int64_t left = (x < 0 ? window.width : 0) + x;
      const int64_t top = (y < 0 ? window.height : 0) + y;
      EXPECT_GE(left, 0);
      EXPECT_GE(top, 0);
      EXPECT_LE(left + size[2].toInt64(), window.width);
      EXPECT_LE(top + size[3].toInt64(), window.height);
    }
    if (window.framed) {
      const JsonValue* top = Find(std::string(window.name) + "/Frames/Top/normal/bg");
      const JsonValue* bottom = Find(std::string(window.name) + "/Frames/Bottom/normal/bg");
      ASSERT_TRUE(top != nullptr && IsIntArray(*top, 4));
      ASSERT_TRUE(bottom != nullptr && IsIntArray(*bottom, 4));
      EXPECT_LT((*top)[3].toInt64() + (*bottom)[3].toInt64(), window.height);
    }
  }
}

// The setup program embeds the packed form (tools/skin/pack_skin.py); unpacked it is the
// container byte for byte, in a quarter of the container's size or less beside the sheets.
TEST(ShippedSkin, PackedFormUnpacksToTheContainer) {
  const std::string packed = ReadFile(BRINDLE_SKIN_PACKED);
  ASSERT_EQ(packed.substr(0, 4), ".uiz");
  std::string bytes = packed;
  ASSERT_TRUE(UnpackSkinContainer(bytes));
  EXPECT_EQ(bytes, ShippedSkin().bytes);
  const size_t sheets = ShippedSkin().skin.records.at(100).size();
  EXPECT_LT(packed.size(), sheets + (ShippedSkin().bytes.size() - sheets) / 4);
}

}  // namespace
