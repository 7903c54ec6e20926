#include "ui/framework/ui_resource.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "json/json_reader.h"
#include "setup/file_utils.h"
#include "setup/resource_bytes.h"
#include "setup/scratch_pool.h"
#include "setup/text_convert.h"
#include "ui/framework/dpi_awareness.h"
#include "ui/framework/dpi_scale.h"
#include "ui/framework/packed_skin.h"
#include "ui/framework/recolor.h"
#include "ui/framework/skin_container.h"

namespace {

constexpr char kImagesSection[] = "images";
constexpr char kFontsSection[] = "fonts";
// The highest DPI a rendered sheet may claim (500 %): a sheet past it would be
// a picture larger than any screen needs.
constexpr int kMaxSheetDpi = 480;
// SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
// SWP_NOOWNERZORDER | SWP_DEFERERASE: repaint the frame, change nothing else.
constexpr UINT kRepaintFrameFlags = 0x2237;

// Element `index` of an array as an integer; 0 beyond its end or when `value`
// is no array.
int ElementOrZero(const JsonValue& value, size_t index) {
  if (value.kind() != JsonKind::Array || index >= value.size()) return 0;
  return static_cast<int>(value[index].toInt64());
}

int IntOf(const JsonValue& value) { return static_cast<int>(value.toInt64()); }

// The first four elements of an array as [x, y, width, height], 0 where missing.
SkinRect RectOf(const JsonValue& value) {
  return {ElementOrZero(value, 0), ElementOrZero(value, 1), ElementOrZero(value, 2),
          ElementOrZero(value, 3)};
}

COLORREF ColorOfElements(const JsonValue& value) {
  return RGB(ElementOrZero(value, 0) & 0xFF, ElementOrZero(value, 1) & 0xFF,
             ElementOrZero(value, 2) & 0xFF);
}

std::wstring WideFromUtf8(const char* text) {
  ScratchPool pool;
  return ToWide(pool, text, CP_UTF8);
}

// The icon-title font as the system gives it: its height is pixels at the
// system DPI.
LOGFONTW IconTitleLogFont() {
  LOGFONTW font = {};
  ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
  return font;
}

// The icon-title font with its height moved from the system DPI to `dpi`.
LOGFONTW IconTitleLogFontAt(int dpi) {
  LOGFONTW font = IconTitleLogFont();
  const int system_dpi = WindowDpi(nullptr);
  if (system_dpi != dpi) font.lfHeight = ::MulDiv(font.lfHeight, dpi, system_dpi);
  return font;
}

SkinRect ScaledRect(const SkinRect& rect, int dpi) {
  const ScaledBox box = ScaleBox({rect.x, rect.y, rect.width, rect.height}, dpi);
  return {box.x, box.y, box.width, box.height};
}

// The rectangle `source` of `sheet` (wholly inside it) brought to `width` x
// `height` on its own: samples never reach past the rectangle's edges, and at
// the same size the pixels are copied exactly. Null when no bitmap of that
// size can be made.
std::unique_ptr<CHBitmap> CutCell(const CHBitmap& sheet, const SkinRect& source, int width,
                                  int height) {
  auto bitmap = std::make_unique<CHBitmap>();
  if (!bitmap->Create(width, height, sheet.bits_per_pixel())) return nullptr;
  const int channels = sheet.bits_per_pixel() / 8;
  // Rows are stored bottom-up: the rectangle's lowest row comes first.
  const int first_row = sheet.height() - source.y - source.height;
  const BYTE* pixels = sheet.bits() + static_cast<std::ptrdiff_t>(first_row) * sheet.stride() +
                       static_cast<std::ptrdiff_t>(source.x) * channels;
  ::GdiFlush();
  ScalePixels(pixels, source.width, source.height, sheet.stride(), bitmap->bits(), bitmap->width(),
              bitmap->height(), bitmap->stride(), channels);
  return bitmap;
}

bool Contains(const CHBitmap& image, const SkinRect& rect) {
  return rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0 &&
         image.ContainsSource(rect.x, rect.y, rect.width, rect.height);
}

// Whether `sheet` can stand for `base` rendered at `dpi`: the same pixel depth
// and each side within a pixel of the base's side scaled to `dpi`.
bool FitsAsRendering(const CHBitmap& sheet, const CHBitmap& base, int dpi) {
  return sheet.bits_per_pixel() == base.bits_per_pixel() &&
         std::abs(sheet.width() - ScaleLength(base.width(), dpi)) <= 1 &&
         std::abs(sheet.height() - ScaleLength(base.height(), dpi)) <= 1;
}

// The background fields of a state entry whose picture is `source` (already
// at `dpi`); lengths scaled to `dpi`.
void ReadBackground(const JsonValue& keys, const SkinRect& source, int dpi, StateEntry& entry) {
  entry.x = source.x;
  entry.y = source.y;
  entry.width = source.width;
  entry.height = source.height;
  entry.key_color = ColorOfElements(keys["bc"]);
  const JsonValue& margins = keys["mg"];
  entry.margin_left = ScaleLength(ElementOrZero(margins, 0), dpi);
  entry.margin_top = ScaleLength(ElementOrZero(margins, 1), dpi);
  entry.margin_right = ScaleLength(ElementOrZero(margins, 2), dpi);
  entry.margin_bottom = ScaleLength(ElementOrZero(margins, 3), dpi);
  entry.mode = IntOf(keys["md"]);
}

// The foreground fields, likewise.
void ReadForeground(const JsonValue& keys, const SkinRect& source, int dpi, StateEntry& entry) {
  entry.foreground_x = source.x;
  entry.foreground_y = source.y;
  entry.foreground_width = source.width;
  entry.foreground_height = source.height;
  entry.foreground_key_color = ColorOfElements(keys["fc"]);
  entry.foreground_align = IntOf(keys["al"]);
  entry.foreground_offset_x = ScaleLength(ElementOrZero(keys["of"], 0), dpi);
  entry.foreground_offset_y = ScaleLength(ElementOrZero(keys["of"], 1), dpi);
}

// Overwrites the fields of `font` whose keys the record gives with a nonzero
// value; byte fields take the low 8 bits.
void ApplyFontRecord(const JsonValue& record, int dpi, LOGFONTW& font) {
  const auto set_long = [&record](const char* key, LONG& field) {
    if (const int64_t value = record[key].toInt64()) field = static_cast<LONG>(value);
  };
  const auto set_byte = [&record](const char* key, BYTE& field) {
    if (const int64_t value = record[key].toInt64()) field = static_cast<BYTE>(value & 0xFF);
  };
  set_long("Height", font.lfHeight);
  if (record["Height"].toInt64() != 0) font.lfHeight = ScaleLength(font.lfHeight, dpi);
  set_long("Width", font.lfWidth);
  set_long("Escapement", font.lfEscapement);
  set_long("Orientation", font.lfOrientation);
  set_long("Weight", font.lfWeight);
  set_byte("Italic", font.lfItalic);
  set_byte("Underline", font.lfUnderline);
  set_byte("StrikeOut", font.lfStrikeOut);
  set_byte("CharSet", font.lfCharSet);
  set_byte("OutPrecision", font.lfOutPrecision);
  set_byte("ClipPrecision", font.lfClipPrecision);
  set_byte("Quality", font.lfQuality);
  set_byte("PitchAndFamily", font.lfPitchAndFamily);
  const std::wstring face = WideFromUtf8(record["FaceName"].toCString());
  if (!face.empty()) {
    const size_t length = std::min(face.size(), size_t{LF_FACESIZE - 1});
    std::memcpy(font.lfFaceName, face.data(), length * sizeof(wchar_t));
    font.lfFaceName[length] = L'\0';
  }
}

// The icon-title font, normal or bold, created once per process.
HFONT SharedDefaultFont(bool bold) {
  static brindle::gdi::Font normal_font;
  static brindle::gdi::Font bold_font;
  brindle::gdi::Font& font = bold ? bold_font : normal_font;
  if (!font) {
    LOGFONTW log_font = IconTitleLogFont();
    if (bold) log_font.lfWeight = FW_BOLD;
    font.reset(::CreateFontIndirectW(&log_font));
  }
  return font.get();
}

std::unique_ptr<CHBitmap> CopyOf(const CHBitmap& bitmap) {
  auto copy = std::make_unique<CHBitmap>();
  ::GdiFlush();
  if (!copy->CopyFrom(&bitmap.header(), bitmap.bits(), static_cast<size_t>(bitmap.bytes()))) {
    return nullptr;
  }
  return copy;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

// Tells every window of this thread that the recolour parameters changed and
// repaints the visible ones, frames included.
void BroadcastRecolorChanged() {
  std::vector<HWND> top_level;
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&top_level));
  std::vector<HWND> windows;
  for (HWND window : top_level) {
    windows.push_back(window);
    ::EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  }
  for (HWND window : windows) {
    if (!::IsWindow(window)) continue;
    ::SendMessageW(window, kRecolorChangedMessage, 0, 0);
    if (::IsWindowVisible(window)) {
      ::InvalidateRect(window, nullptr, TRUE);
      ::SetWindowPos(window, nullptr, 0, 0, 0, 0, kRepaintFrameFlags);
    }
  }
}

}  // namespace

UIResource::UIResource() = default;
UIResource::~UIResource() = default;

bool UIResource::LoadFromResource(HINSTANCE instance, const std::wstring& type, int id) {
  std::string bytes;
  if (!LoadResourceBytes(instance, type.c_str(), id, bytes)) return false;
  return UnpackSkinContainer(bytes) && Parse(bytes);
}

bool UIResource::LoadFromFile(const std::wstring& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  return UnpackSkinContainer(bytes) && Parse(bytes);
}

bool UIResource::Parse(const std::string& bytes) {
  SkinContainerParts parts;
  if (!SplitSkinContainer(bytes, parts)) return false;

  // The text is read up to its first NUL byte (the stored text ends with one).
  JsonValue document;
  if (!JsonReader().parse(parts.json_text.c_str(), document)) document.clear();
  document_ = std::move(document);

  records_ = std::move(parts.records);
  sections_.clear();
  rendered_sheets_.clear();
  image_scales_.clear();
  decoded_sheets_.clear();
  const JsonValue& index = static_cast<const JsonValue&>(document_)["res"];
  for (const std::string& name : index.memberNames()) {
    const JsonValue& entries = index[name];
    if (entries.kind() != JsonKind::Array) continue;
    std::set<int>& section = sections_[name];
    for (size_t i = 0; i < entries.size(); ++i) {
      const uint32_t id = static_cast<uint32_t>(entries[i]["id"].toInt64());
      if (records_.count(id) != 0) section.insert(static_cast<int>(id));
    }
  }
  IndexRenderedSheets(index[kImagesSection]);
  return true;
}

void UIResource::IndexRenderedSheets(const JsonValue& images) {
  if (images.kind() != JsonKind::Array) return;
  for (size_t i = 0; i < images.size(); ++i) {
    const JsonValue& entry = images[i];
    const JsonValue& scale = entry["scale"];
    const int64_t scaled_id = entry["id"].toInt64();
    if (scale.kind() == JsonKind::Integer && scale.toInt64() > 1 &&
        scale.toInt64() * kBaseDpi <= kMaxSheetDpi &&
        records_.count(static_cast<uint32_t>(scaled_id)) != 0) {
      const int multiple = static_cast<int>(scale.toInt64());
      image_scales_[IntOf(entry["id"])] = multiple;
      rendered_sheets_[IntOf(entry["id"])].emplace(multiple * kBaseDpi, IntOf(entry["id"]));
      continue;
    }
    const JsonValue& base = entry["base"];
    const JsonValue& dpi = entry["dpi"];
    if (base.kind() != JsonKind::Integer || dpi.kind() != JsonKind::Integer) continue;
    const int64_t id = entry["id"].toInt64();
    const int64_t sheet_dpi = dpi.toInt64();
    if (sheet_dpi <= kBaseDpi || sheet_dpi > kMaxSheetDpi || base.toInt64() == id ||
        records_.count(static_cast<uint32_t>(id)) == 0) {
      continue;
    }
    rendered_sheets_[IntOf(base)].emplace(static_cast<int>(sheet_dpi), static_cast<int>(id));
  }
}

const JsonValue* UIResource::Find(const std::string& path, const JsonValue* base) {
  const JsonValue& document = document_;
  if (!base) {
    if (!document.hasMember("cfg")) return nullptr;
    base = &document["cfg"];
  }
  const JsonValue* node = base;
  std::string_view rest(path);
  while (!rest.empty()) {
    const size_t slash = rest.find('/');
    const std::string piece(rest.substr(0, slash));
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (piece.empty()) continue;
    if (!node->hasMember(piece)) return nullptr;
    node = &(*node)[piece];
  }
  return node;
}

int UIResource::GetInt(const std::string& path, const JsonValue* base) {
  const JsonValue* node = Find(path, base);
  return node && node->kind() == JsonKind::Integer ? IntOf(*node) : 0;
}

int UIResource::GetLength(const std::string& path, const JsonValue* base) {
  return ScaleLength(GetInt(path, base), dpi_);
}

SkinRect UIResource::GetRect(const std::string& path, const JsonValue* base) {
  const JsonValue* node = Find(path, base);
  if (!node || node->kind() != JsonKind::Array || node->size() != 4) return {};
  return ScaledRect({IntOf((*node)[0]), IntOf((*node)[1]), IntOf((*node)[2]), IntOf((*node)[3])},
                    dpi_);
}

SkinPoint UIResource::GetPoint(const std::string& path, const JsonValue* base) {
  const JsonValue* node = Find(path, base);
  if (!node || node->kind() != JsonKind::Array || node->size() != 2) return {};
  return {ScaleLength(IntOf((*node)[0]), dpi_), ScaleLength(IntOf((*node)[1]), dpi_)};
}

void UIResource::SetDpi(int dpi) { dpi_ = dpi > 0 ? dpi : kBaseDpi; }

COLORREF UIResource::GetColor(const std::string& path, const JsonValue* base) {
  const JsonValue* node = Find(path, base);
  if (!node || node->kind() != JsonKind::Array || node->size() != 3) return 0;
  return ColorOfElements(*node);
}

StateEntry UIResource::GetStyle(const std::string& path, const JsonValue* base) {
  StateEntry entry;
  const JsonValue* node = Find(path, base);
  if (!node) return entry;
  const JsonValue& keys = *node;

  if (keys.hasMember("bi")) {
    SkinRect source = RectOf(keys["bg"]);
    entry.image = PictureAtDpi(IntOf(keys["bi"]), source);
    if (entry.image) ReadBackground(keys, source, dpi_, entry);
  }
  if (keys.hasMember("fi")) {
    SkinRect source = RectOf(keys["fg"]);
    entry.foreground_image = PictureAtDpi(IntOf(keys["fi"]), source);
    if (entry.foreground_image) ReadForeground(keys, source, dpi_, entry);
  }
  return entry;
}

TextStyle UIResource::GetTextStyle(const std::string& path, const JsonValue* base) {
  TextStyle style;
  const JsonValue* node = Find(path, base);
  if (!node) return style;
  const JsonValue& keys = *node;
  if (keys.hasMember("ft")) style.font = GetFont(IntOf(keys["ft"]));
  style.align = static_cast<UINT>(keys["al"].toInt64());
  style.color = static_cast<COLORREF>(keys["cr"].toInt64());
  style.offset_x = ScaleLength(ElementOrZero(keys["of"], 0), dpi_);
  style.offset_y = ScaleLength(ElementOrZero(keys["of"], 1), dpi_);
  style.text = WideFromUtf8(keys["tx"].toCString());
  return style;
}

HFONT UIResource::GetFont(int id) {
  const FontKey key(id, dpi_);
  const auto cached = fonts_.find(key);
  if (cached != fonts_.end()) return cached->second.get();

  brindle::gdi::Font& font = fonts_[key];
  std::string bytes;
  if (!GetData(kFontsSection, id, bytes)) return nullptr;
  LOGFONTW log_font = IconTitleLogFontAt(dpi_);
  JsonValue record;
  if (JsonReader().parse(bytes.c_str(), record)) ApplyFontRecord(record, dpi_, log_font);
  font.reset(::CreateFontIndirectW(&log_font));
  return font.get();
}

CHBitmap* UIResource::GetImage(int id, bool recolorable) {
  const ImageKey key(id, kBaseDpi, 0, 0, 0, 0);
  const auto cached = images_.find(key);
  if (cached != images_.end()) return cached->second.bitmap.get();

  std::string bytes;
  if (!GetData(kImagesSection, id, bytes)) return nullptr;
  const auto scale = image_scales_.find(id);
  auto bitmap = std::make_unique<CHBitmap>();
  if (!bitmap->LoadReduced(bytes.data(), bytes.size(),
                           scale != image_scales_.end() ? scale->second : 1)) {
    return nullptr;
  }
  return CacheImage(key, std::move(bitmap), recolorable);
}

CHBitmap* UIResource::CacheImage(const ImageKey& key, std::unique_ptr<CHBitmap> bitmap,
                                 bool recolorable) {
  CachedImage& image = images_[key];
  image.bitmap = std::move(bitmap);
  image.recolorable = recolorable;
  if (RecolorOn()) {
    unrecolored_images_[key] = CopyOf(*image.bitmap);
    if (recolorable) RecolorImage(key, image);
  }
  return image.bitmap.get();
}

CHBitmap* UIResource::GetCell(int id, const SkinRect& cell) {
  const ImageKey key(id, dpi_, cell.x, cell.y, cell.width, cell.height);
  const auto cached = images_.find(key);
  if (cached != images_.end()) return cached->second.bitmap.get();

  const CHBitmap* base = GetImage(id, true);
  if (!base || !Contains(*base, cell)) return nullptr;
  int sheet_dpi = kBaseDpi;
  const CHBitmap* sheet = SheetForCell(id, *base, cell, sheet_dpi);
  const SkinRect target = ScaledRect(cell, dpi_);
  std::unique_ptr<CHBitmap> picture =
      CutCell(*sheet, ScaledRect(cell, sheet_dpi), target.width, target.height);
  return picture ? CacheImage(key, std::move(picture), true) : nullptr;
}

const CHBitmap* UIResource::SheetForCell(int id, const CHBitmap& base, const SkinRect& cell,
                                         int& sheet_dpi) {
  // An image reduced from a larger rendering serves only at 96 DPI and below: above, the
  // rendering itself keeps more detail.
  std::vector<int> dpis;
  if (dpi_ <= kBaseDpi || image_scales_.count(id) == 0) dpis.push_back(kBaseDpi);
  const auto rendered = rendered_sheets_.find(id);
  if (rendered != rendered_sheets_.end()) {
    for (const auto& [dpi, record] : rendered->second) dpis.push_back(dpi);
  }
  // The nearest rendering that serves; one that does not leaves the choice to the others.
  while (!dpis.empty() && (sheet_dpi = NearestSheetDpi(dpis, dpi_)) != kBaseDpi) {
    const CHBitmap* sheet = RenderedSheet(rendered->second.at(sheet_dpi), base, sheet_dpi);
    if (sheet && Contains(*sheet, ScaledRect(cell, sheet_dpi))) return sheet;
    dpis.erase(std::find(dpis.begin(), dpis.end(), sheet_dpi));
  }
  sheet_dpi = kBaseDpi;
  // Cells are cut from the pixels as stored; recolouring applies to the cell.
  const auto original = unrecolored_images_.find(ImageKey(id, kBaseDpi, 0, 0, 0, 0));
  if (original != unrecolored_images_.end() && original->second) return original->second.get();
  return &base;
}

const CHBitmap* UIResource::RenderedSheet(int record, const CHBitmap& base, int sheet_dpi) {
  const auto cached = decoded_sheets_.find(record);
  if (cached != decoded_sheets_.end()) return cached->second.get();
  std::unique_ptr<CHBitmap>& sheet = decoded_sheets_[record];
  std::string bytes;
  if (!GetData(kImagesSection, record, bytes)) return nullptr;
  sheet = std::make_unique<CHBitmap>();
  if (!sheet->LoadFromMemory(bytes.data(), bytes.size()) ||
      !FitsAsRendering(*sheet, base, sheet_dpi)) {
    sheet.reset();
  }
  return sheet.get();
}

CHBitmap* UIResource::PictureAtDpi(int id, SkinRect& source) {
  if (dpi_ == kBaseDpi) return GetImage(id, true);
  CHBitmap* cell = GetCell(id, source);
  const SkinRect scaled = ScaledRect(source, dpi_);
  source = {0, 0, scaled.width, scaled.height};
  return cell;
}

bool UIResource::GetData(const std::string& section, int id, std::string& out) {
  out.clear();
  const auto found = sections_.find(section);
  if (found == sections_.end() || found->second.count(id) == 0) return false;
  const auto record = records_.find(static_cast<uint32_t>(id));
  if (record != records_.end()) out = record->second;
  return !out.empty();
}

HFONT UIResource::GetDefaultFont() { return SharedDefaultFont(false); }

HFONT UIResource::GetDefaultBoldFont() { return SharedDefaultFont(true); }

int UIResource::SetRecolor(int hue, int saturation, int lightness) {
  recolored_colors_.clear();
  hue_ = hue;
  saturation_ = saturation;
  lightness_ = lightness;
  for (auto& [key, image] : images_) {
    if (image.recolorable) RecolorImage(key, image);
  }
  BroadcastRecolorChanged();
  return 1;
}

COLORREF UIResource::RecolorColor(COLORREF color) {
  if (!RecolorOn()) return color;
  const auto cached = recolored_colors_.find(color);
  if (cached != recolored_colors_.end()) return cached->second;
  const COLORREF recolored = RecolorColorRef(color, {hue_, saturation_, lightness_});
  recolored_colors_[color] = recolored;
  return recolored;
}

// Restores the image's pixels from its unrecoloured copy (made now if there
// is none yet, from the pixels as they are) and applies the current
// parameters to them.
void UIResource::RecolorImage(const ImageKey& key, CachedImage& image) {
  CHBitmap& bitmap = *image.bitmap;
  std::unique_ptr<CHBitmap>& original = unrecolored_images_[key];
  if (!original) original = CopyOf(bitmap);
  if (!original || original->bytes() != bitmap.bytes()) return;
  ::GdiFlush();
  std::memcpy(bitmap.bits(), original->bits(), static_cast<size_t>(bitmap.bytes()));
  RecolorPixels(bitmap.bits(), bitmap.width(), bitmap.height(), bitmap.stride(),
                bitmap.bits_per_pixel(), {hue_, saturation_, lightness_});
}
