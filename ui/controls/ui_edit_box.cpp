#include "ui/controls/ui_edit_box.h"

#include <memory>

#include "ui/controls/control_look.h"
#include "ui/controls/ui_scroll_bar.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/ui_resource.h"

namespace {

namespace gp = Gdiplus;

// Tall enough that the height never limits the layout.
constexpr float kUnlimitedHeight = 4294967296.0f;

// `text` with every CR LF and every lone CR replaced by one LF.
std::wstring WithLineFeeds(const wchar_t* text) {
  std::wstring result;
  for (const wchar_t* c = text; *c; ++c) {
    if (*c != L'\r') {
      result += *c;
      continue;
    }
    result += L'\n';
    if (c[1] == L'\n') ++c;
  }
  return result;
}

}  // namespace

UIEditBox::UIEditBox() {
  kind_ = kElementEditBox;
  auto bar = std::make_unique<UIScrollBar>();
  bar->set_min_thumb_length(kMinThumbLength);
  scroll_bar_ = static_cast<UIScrollBar*>(AppendChild(this, std::move(bar)));
}

bool UIEditBox::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = LoadElementBasics(this, resource, path, base);
  if (!node) return false;
  background_ = resource->GetStyle("bkgnd", node);
  if (const JsonValue* text = resource->Find("Text", node)) {
    const SkinRect margin = resource->GetRect("margin", text);
    margin_ = {margin.x, margin.y, margin.width, margin.height};
    styles_[0] = resource->GetTextStyle("normal", text);
    styles_[1] = resource->GetTextStyle("grayed", text);
  }
  if (resource->Find("ScrollBar", node)) scroll_bar_->LoadSkin(resource, "ScrollBar", node);
  return true;
}

void UIEditBox::OnLayout() {
  UIObject::OnLayout();
  const RECT& e = rect_;
  if (::IsRectEmpty(&e)) return;
  if (!multi_line_ || !scroll_bar_->visible()) {
    text_rect_ = e;
    return;
  }
  const int width = scroll_bar_->Width();
  text_rect_ = {e.left, e.top, e.right - width, e.bottom};
  SetPosition(scroll_bar_, (e.right - width) - e.left, 0, width, e.bottom - e.top);
  const RECT area = TextArea();
  const int height = MeasureTextHeight(GetHostDC(), styles_[0], area, text_);
  scroll_bar_->SetRange(height);
  scroll_bar_->set_page(area.bottom - area.top);
  scroll_bar_->UpdateThumb();
  scroll_bar_->Invalidate(nullptr, true);
}

void UIEditBox::OnPaint(HDC dc, const RECT&, const RECT&) {
  DrawStateEntry(rect_, background_, dc);
  if (text_.empty()) return;
  const RECT clip = TextArea();
  RECT layout = clip;
  layout.top -= scroll_offset_;
  DrawSkinText(dc, styles_[0], layout, text_.c_str(), &clip);
}

bool UIEditBox::OnMouseWheel(UINT, UINT delta, POINT) {
  if (!multi_line_) return false;
  if (!scroll_bar_->WheelScrolls()) return true;
  ScrollTo(scroll_bar_->PositionAfterWheel(delta));
  return true;
}

LRESULT UIEditBox::OnChildNotify(UIObject*, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_VSCROLL) ScrollTo(scroll_bar_->PositionAfterCode(LOWORD(wparam)));
  return 0;
}

void UIEditBox::SetText(const wchar_t* text) {
  text_ = text ? WithLineFeeds(text) : std::wstring();
  Invalidate(nullptr, true);
}

RECT UIEditBox::TextArea() const {
  return {text_rect_.left + margin_.left, text_rect_.top + margin_.top,
          text_rect_.right - margin_.right, text_rect_.bottom - margin_.bottom};
}

void UIEditBox::ScrollTo(int position) {
  scroll_bar_->MoveTo(position);
  scroll_offset_ = position;
  Invalidate(nullptr, true);
}

int UIEditBox::MeasureTextHeight(HDC dc, const TextStyle& style, const RECT& area,
                                 const std::wstring& text) {
  if (!dc || text.empty()) return 0;
  const brindle::gdi::ScopedSaveDC saved(dc);
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  brindle::gdi::GdipGraphics graphics;
  if (gdip.GdipCreateFromHDC(dc, graphics.receive()) != gp::Ok) return 0;
  const brindle::gdi::GdipFont font = MakeGdiplusFont(dc, style.font);
  brindle::gdi::GdipStringFormat format;
  if (!font || gdip.GdipCreateStringFormat(0, LANG_NEUTRAL, format.receive()) != gp::Ok) {
    return 0;
  }
  gdip.GdipSetStringFormatAlign(format.get(), (style.align & DT_CENTER) ? gp::StringAlignmentCenter
                                                                        : gp::StringAlignmentNear);
  if ((style.align & DT_SINGLELINE) && (style.align & DT_VCENTER)) {
    gdip.GdipSetStringFormatLineAlign(format.get(), gp::StringAlignmentCenter);
  }
  const gp::RectF layout(static_cast<gp::REAL>(area.left), static_cast<gp::REAL>(area.top),
                         static_cast<gp::REAL>(area.right - area.left), kUnlimitedHeight);
  gp::RectF box;
  if (gdip.GdipMeasureString(graphics.get(), text.c_str(), static_cast<INT>(text.size()),
                             font.get(), &layout, format.get(), &box, nullptr, nullptr) != gp::Ok) {
    return 0;
  }
  return static_cast<int>(box.Height);
}
