// UIResource: the skin. Loads a skin container (see skin_container.h), finds
// JSON nodes by slash-separated path ("MainWindow/InstallButton2") and turns
// them into the typed values elements draw with: integers, rectangles,
// points, colours, state entries, text styles, fonts and images.
//
// Ownership: a UIResource owns every image (CHBitmap) and font it creates;
// state entries and text styles borrow them. It must outlive every element
// that read from it. User-interface thread only.
//
// Failures are soft: a missing path, a node of the wrong type or a missing
// record gives the getter's zero value, a null font (the element's default
// font is used) or a null image (nothing is drawn).
//
// Recolouring shifts every recolourable image and every colour passed through
// RecolorColor in HSL space:
//   hue         degrees added to the hue, any value (taken modulo 360);
//   saturation  percent, -100 ... 100: -100 gives grey, 0 keeps, +100 doubles
//               (capped at full saturation); values beyond the range clamp;
//   lightness   percent, -100 ... 100: moves the lightness that far towards
//               black (negative) or white (positive); -100 gives black, +100
//               white; values beyond the range clamp.
// Alpha is kept. All three 0 means no recolouring: images and colours are
// used exactly as stored.
//
// DPI: the skin is drawn at 96 DPI. A resource reads at one DPI at a time
// (SetDpi; 96 at first): every length it returns (rectangles, points,
// margins, offsets, font heights) is scaled to it (dpi_scale.h; rectangles by
// their edges). Away from 96 DPI a state entry's picture is its own cell,
// and the entry's rectangle is then the whole cell. The cell is cut from the
// sheet rendered at the DPI nearest the current one (NearestSheetDpi; the
// stored image counts as rendered at 96), at the entry's rectangle scaled to
// that sheet's DPI by its edges, and smoothed to the current DPI on its own,
// so no neighbouring picture bleeds into its edges when it is stretched; at
// a sheet's own DPI it is a pixel-exact copy. Further renderings of image B
// are entries of "res"/"images" with "base": B and "dpi": their DPI (97 to
// 480); one whose record is missing, does not decode, or whose size
// is not B's scaled to its DPI within a pixel is passed over for the next
// nearest sheet (the 96-DPI image last), as is one that does not hold a cell. Without such entries
// every cell is smoothed from the 96-DPI image. An image entry with "scale": S (2 to 5) holds its
// image at S times its size, rendered at S x 96 DPI: the 96-DPI image is made from it by area
// averaging (CHBitmap::LoadReduced), and it is the image's rendering at S x 96 DPI, which every
// DPI above 96 cuts its cells from in preference to the reduced image. Recolouring applies to the
// cells alike, whichever sheet they come from. Fonts and cells read at another DPI stay cached and
// valid: a window on another monitor keeps drawing with them.
#ifndef BRINDLE_UI_FRAMEWORK_UI_RESOURCE_H_
#define BRINDLE_UI_FRAMEWORK_UI_RESOURCE_H_

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "json/json_value.h"
#include "ui/framework/ch_bitmap.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/skin_types.h"

// Broadcast by SetRecolor to every top-level window of the calling thread and
// their children after the recolour parameters changed.
constexpr UINT kRecolorChangedMessage = 0x6A60;

// A rectangle as the skin writes it: [x, y, width, height], pixels.
struct SkinRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A point or offset as the skin writes it: [x, y], pixels.
struct SkinPoint {
  int x = 0;
  int y = 0;
};

// The skin as elements see it. Paths are narrow (ASCII) strings; `base` is
// the node a path is relative to, null meaning the document's "cfg" member.
class IResource {
 public:
  virtual ~IResource() = default;

  // Loads the container stored as resource `id` of `type` in `instance`
  // (null: the executable), as it is or packed (ui/framework/packed_skin.h).
  // False when there is no such resource, it is empty, its packed form is
  // broken, or Parse refuses it.
  virtual bool LoadFromResource(HINSTANCE instance, const std::wstring& type, int id) = 0;
  // Loads the container file at `path`, as it is or packed. False when it
  // cannot be read, its packed form is broken, or Parse refuses it.
  virtual bool LoadFromFile(const std::wstring& path) = 0;
  // Replaces the document and the data sections with the container `bytes`.
  // False, changing nothing, when the bytes are not a whole container (wrong
  // magic, or a length running past the end). A JSON text that does not parse
  // still succeeds and leaves an empty document. Fonts and images created
  // before stay cached (elements may still hold them).
  virtual bool Parse(const std::string& bytes) = 0;

  // The node at `path` below `base`; null when a piece is missing. Empty
  // pieces (doubled or trailing "/") are skipped; an empty path gives the
  // base itself. The node stays valid until the next Parse.
  virtual const JsonValue* Find(const std::string& path, const JsonValue* base = nullptr) = 0;
  // A JSON integer (truncated to 32 bits); any other node or none gives 0.
  virtual int GetInt(const std::string& path, const JsonValue* base = nullptr) = 0;
  // ScaleLength of GetInt: a length in pixels at the current DPI.
  virtual int GetLength(const std::string& path, const JsonValue* base = nullptr) = 0;
  // An array of exactly 4 elements, scaled by its edges (ScaleBox); otherwise
  // all 0.
  virtual SkinRect GetRect(const std::string& path, const JsonValue* base = nullptr) = 0;
  // The state entry at `path` (keys "bi", "bg", "bc", "mg", "md", "fi",
  // "fg", "fc", "al", "of"). Background fields are read only when "bi"
  // yields an image, foreground fields only when "fi" does; otherwise they
  // stay 0. Images are loaded as recolourable.
  virtual StateEntry GetStyle(const std::string& path, const JsonValue* base = nullptr) = 0;
  // An array of exactly 2 elements, each scaled; otherwise 0, 0.
  virtual SkinPoint GetPoint(const std::string& path, const JsonValue* base = nullptr) = 0;
  // An array of exactly 3 elements [r, g, b], each cut to 8 bits, as
  // 0x00BBGGRR; otherwise 0.
  virtual COLORREF GetColor(const std::string& path, const JsonValue* base = nullptr) = 0;
  // The text style at `path` (keys "ft", "al", "cr", "of", "tx"); a missing
  // node gives all zero and empty text.
  virtual TextStyle GetTextStyle(const std::string& path, const JsonValue* base = nullptr) = 0;

  // The font of record `id` in section "fonts" at the current DPI (its
  // "Height" is pixels at 96 DPI; without one, the icon-title font's height
  // at this DPI), created once per DPI and owned by the resource. Null
  // (cached as well) when there is no such record.
  virtual HFONT GetFont(int id) = 0;
  // The image of record `id` in section "images" as stored (96 DPI), decoded
  // once and owned by the resource; `recolorable` marks it for recolouring. Null when there
  // is no record or it does not decode; a failed decode is tried again on the next call.
  virtual CHBitmap* GetImage(int id, bool recolorable) = 0;
  // Replaces `out` with the bytes of record `id` in `section` (empty when
  // there is none). True when `out` is not empty.
  virtual bool GetData(const std::string& section, int id, std::string& out) = 0;
  // The system's icon-title font, and the same with weight 700. Created once
  // per process, shared by every resource and never to be deleted by callers.
  virtual HFONT GetDefaultFont() = 0;
  virtual HFONT GetDefaultBoldFont() = 0;

  // Sets the recolour parameters (see the top of this file), recolours the
  // cached recolourable images from their unrecoloured copies, then sends
  // kRecolorChangedMessage to every top-level window of this thread and its
  // children and repaints the visible ones. Returns 1.
  virtual int SetRecolor(int hue, int saturation, int lightness) = 0;
  // `color` (0x00BBGGRR) under the current recolour parameters.
  virtual COLORREF RecolorColor(COLORREF color) = 0;
  virtual int GetRecolorHue() const = 0;
  virtual int GetRecolorSaturation() const = 0;
  virtual int GetRecolorLightness() const = 0;

  // The DPI lengths, fonts and images are read at; a value of 0 or less is
  // taken as 96. Reading again what was read before (LoadSkin) gives the
  // values at the new DPI.
  virtual void SetDpi(int dpi) = 0;
  virtual int dpi() const = 0;
};

class UIResource : public IResource {
 public:
  UIResource();
  ~UIResource() override;
  UIResource(const UIResource&) = delete;
  UIResource& operator=(const UIResource&) = delete;

  bool LoadFromResource(HINSTANCE instance, const std::wstring& type, int id) override;
  bool LoadFromFile(const std::wstring& path) override;
  bool Parse(const std::string& bytes) override;

  const JsonValue* Find(const std::string& path, const JsonValue* base = nullptr) override;
  int GetInt(const std::string& path, const JsonValue* base = nullptr) override;
  int GetLength(const std::string& path, const JsonValue* base = nullptr) override;
  SkinRect GetRect(const std::string& path, const JsonValue* base = nullptr) override;
  StateEntry GetStyle(const std::string& path, const JsonValue* base = nullptr) override;
  SkinPoint GetPoint(const std::string& path, const JsonValue* base = nullptr) override;
  COLORREF GetColor(const std::string& path, const JsonValue* base = nullptr) override;
  TextStyle GetTextStyle(const std::string& path, const JsonValue* base = nullptr) override;

  HFONT GetFont(int id) override;
  CHBitmap* GetImage(int id, bool recolorable) override;
  bool GetData(const std::string& section, int id, std::string& out) override;
  HFONT GetDefaultFont() override;
  HFONT GetDefaultBoldFont() override;

  int SetRecolor(int hue, int saturation, int lightness) override;
  COLORREF RecolorColor(COLORREF color) override;
  int GetRecolorHue() const override { return hue_; }
  int GetRecolorSaturation() const override { return saturation_; }
  int GetRecolorLightness() const override { return lightness_; }
  void SetDpi(int dpi) override;
  int dpi() const override { return dpi_; }

  // The parsed document (null before the first successful Parse or when its
  // text did not parse).
  const JsonValue& document() const { return document_; }

 private:
  struct CachedImage {
    std::unique_ptr<CHBitmap> bitmap;
    bool recolorable = false;
  };

  // A font made for one DPI: record id, DPI.
  using FontKey = std::pair<int, int>;
  // A cached picture: record id, DPI, and the cell's rectangle at 96 DPI
  // (x, y, width, height); a whole image is at 96 DPI with a zero rectangle.
  using ImageKey = std::tuple<int, int, int, int, int, int>;

  bool RecolorOn() const { return hue_ != 0 || saturation_ != 0 || lightness_ != 0; }
  void RecolorImage(const ImageKey& key, CachedImage& image);
  // Keeps `bitmap` under `key`, recoloured when recolouring is on and it is
  // recolourable, and returns it.
  CHBitmap* CacheImage(const ImageKey& key, std::unique_ptr<CHBitmap> bitmap, bool recolorable);
  // Records the further renderings that the "images" section lists (see the
  // top of this file) in rendered_sheets_.
  void IndexRenderedSheets(const JsonValue& images);
  // The cell `cell` (96-DPI pixels) of image `id` at the current DPI, cut from
  // the nearest sheet's unrecoloured pixels, made once; null when there is no
  // such image or the cell is not wholly inside it.
  CHBitmap* GetCell(int id, const SkinRect& cell);
  // The unrecoloured sheet of image `id` that `cell` is cut from at the
  // current DPI, and in `sheet_dpi` the DPI it was rendered at; `base` is the
  // image as stored, which stands in when no rendering serves.
  const CHBitmap* SheetForCell(int id, const CHBitmap& base, const SkinRect& cell, int& sheet_dpi);
  // Image record `record` decoded once, when it fits as `base` rendered at
  // `sheet_dpi`; null otherwise (cached too).
  const CHBitmap* RenderedSheet(int record, const CHBitmap& base, int sheet_dpi);
  // The rectangle `source` of image `id` as a state entry draws it at the
  // current DPI: the image and the rectangle as stored at 96 DPI, otherwise
  // the cell (GetCell) and its whole area.
  CHBitmap* PictureAtDpi(int id, SkinRect& source);

  int dpi_ = 96;
  int hue_ = 0;
  int saturation_ = 0;
  int lightness_ = 0;
  JsonValue document_;
  std::map<FontKey, brindle::gdi::Font> fonts_;
  std::map<ImageKey, CachedImage> images_;
  // Each record's bytes once, by id; a section names the ids it lists that have a record. The
  // text may list one record in any number of sections and entries: copies per entry would let a
  // small skin ask for gigabytes.
  std::map<uint32_t, std::string> records_;
  std::map<std::string, std::set<int>> sections_;
  // Further renderings by the id of the image they render: DPI -> record id.
  std::map<int, std::map<int, int>> rendered_sheets_;
  // Images stored at a multiple of their size ("scale"), by id: the multiple.
  std::map<int, int> image_scales_;
  // Rendered sheets as decoded, never recoloured (only cells cut from them
  // are drawn), by record id; null for one that does not serve. Kept until
  // the next Parse: no element holds one.
  std::map<int, std::unique_ptr<CHBitmap>> decoded_sheets_;
  std::map<COLORREF, COLORREF> recolored_colors_;
  std::map<ImageKey, std::unique_ptr<CHBitmap>> unrecolored_images_;
};

#endif  // BRINDLE_UI_FRAMEWORK_UI_RESOURCE_H_
