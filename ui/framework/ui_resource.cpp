#include "ui/framework/ui_resource.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "json/json_reader.h"
#include "setup/file_utils.h"
#include "setup/resource_bytes.h"
#include "setup/scratch_pool.h"
#include "setup/text_convert.h"
#include "ui/framework/packed_skin.h"
#include "ui/framework/recolor.h"
#include "ui/framework/skin_container.h"

namespace {

constexpr char kImagesSection[] = "images";
constexpr char kFontsSection[] = "fonts";
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

COLORREF ColorOfElements(const JsonValue& value) {
  return RGB(ElementOrZero(value, 0) & 0xFF, ElementOrZero(value, 1) & 0xFF,
             ElementOrZero(value, 2) & 0xFF);
}

std::wstring WideFromUtf8(const char* text) {
  ScratchPool pool;
  return ToWide(pool, text, CP_UTF8);
}

LOGFONTW IconTitleLogFont() {
  LOGFONTW font = {};
  ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
  return font;
}

// Overwrites the fields of `font` whose keys the record gives with a nonzero
// value; byte fields take the low 8 bits.
void ApplyFontRecord(const JsonValue& record, LOGFONTW& font) {
  const auto set_long = [&record](const char* key, LONG& field) {
    if (const int64_t value = record[key].toInt64()) field = static_cast<LONG>(value);
  };
  const auto set_byte = [&record](const char* key, BYTE& field) {
    if (const int64_t value = record[key].toInt64()) field = static_cast<BYTE>(value & 0xFF);
  };
  set_long("Height", font.lfHeight);
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
  return true;
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

SkinRect UIResource::GetRect(const std::string& path, const JsonValue* base) {
  const JsonValue* node = Find(path, base);
  if (!node || node->kind() != JsonKind::Array || node->size() != 4) return {};
  return {IntOf((*node)[0]), IntOf((*node)[1]), IntOf((*node)[2]), IntOf((*node)[3])};
}

SkinPoint UIResource::GetPoint(const std::string& path, const JsonValue* base) {
  const JsonValue* node = Find(path, base);
  if (!node || node->kind() != JsonKind::Array || node->size() != 2) return {};
  return {IntOf((*node)[0]), IntOf((*node)[1])};
}

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

  if (keys.hasMember("bi")) entry.image = GetImage(IntOf(keys["bi"]), true);
  if (entry.image) {
    const JsonValue& source = keys["bg"];
    entry.x = ElementOrZero(source, 0);
    entry.y = ElementOrZero(source, 1);
    entry.width = ElementOrZero(source, 2);
    entry.height = ElementOrZero(source, 3);
    entry.key_color = ColorOfElements(keys["bc"]);
    const JsonValue& margins = keys["mg"];
    entry.margin_left = ElementOrZero(margins, 0);
    entry.margin_top = ElementOrZero(margins, 1);
    entry.margin_right = ElementOrZero(margins, 2);
    entry.margin_bottom = ElementOrZero(margins, 3);
    entry.mode = IntOf(keys["md"]);
  }

  if (keys.hasMember("fi")) entry.foreground_image = GetImage(IntOf(keys["fi"]), true);
  if (entry.foreground_image) {
    const JsonValue& source = keys["fg"];
    entry.foreground_x = ElementOrZero(source, 0);
    entry.foreground_y = ElementOrZero(source, 1);
    entry.foreground_width = ElementOrZero(source, 2);
    entry.foreground_height = ElementOrZero(source, 3);
    entry.foreground_key_color = ColorOfElements(keys["fc"]);
    entry.foreground_align = IntOf(keys["al"]);
    entry.foreground_offset_x = ElementOrZero(keys["of"], 0);
    entry.foreground_offset_y = ElementOrZero(keys["of"], 1);
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
  style.offset_x = ElementOrZero(keys["of"], 0);
  style.offset_y = ElementOrZero(keys["of"], 1);
  style.text = WideFromUtf8(keys["tx"].toCString());
  return style;
}

HFONT UIResource::GetFont(int id) {
  const auto cached = fonts_.find(id);
  if (cached != fonts_.end()) return cached->second.get();

  brindle::gdi::Font& font = fonts_[id];
  std::string bytes;
  if (!GetData(kFontsSection, id, bytes)) return nullptr;
  LOGFONTW log_font = IconTitleLogFont();
  JsonValue record;
  if (JsonReader().parse(bytes.c_str(), record)) ApplyFontRecord(record, log_font);
  font.reset(::CreateFontIndirectW(&log_font));
  return font.get();
}

CHBitmap* UIResource::GetImage(int id, bool recolorable) {
  const auto cached = images_.find(id);
  if (cached != images_.end()) return cached->second.bitmap.get();

  std::string bytes;
  if (!GetData(kImagesSection, id, bytes)) return nullptr;
  auto bitmap = std::make_unique<CHBitmap>();
  if (!bitmap->LoadFromMemory(bytes.data(), bytes.size())) return nullptr;

  CachedImage& image = images_[id];
  image.bitmap = std::move(bitmap);
  image.recolorable = recolorable;
  if (RecolorOn()) {
    unrecolored_images_[id] = CopyOf(*image.bitmap);
    if (recolorable) RecolorImage(id, image);
  }
  return image.bitmap.get();
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
  for (auto& [id, image] : images_) {
    if (image.recolorable) RecolorImage(id, image);
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
void UIResource::RecolorImage(int id, CachedImage& image) {
  CHBitmap& bitmap = *image.bitmap;
  std::unique_ptr<CHBitmap>& original = unrecolored_images_[id];
  if (!original) original = CopyOf(bitmap);
  if (!original || original->bytes() != bitmap.bytes()) return;
  ::GdiFlush();
  std::memcpy(bitmap.bits(), original->bits(), static_cast<size_t>(bitmap.bytes()));
  RecolorPixels(bitmap.bits(), bitmap.width(), bitmap.height(), bitmap.stride(),
                bitmap.bits_per_pixel(), {hue_, saturation_, lightness_});
}
