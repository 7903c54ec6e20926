#include "ui/controls/ui_edit_box.h"

#include <algorithm>
#include <cwchar>
#include <memory>

#include "ui/controls/control_look.h"
#include "ui/controls/ui_scroll_bar.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/ui_resource.h"

namespace {

// Extra layout width for a drawn line, pixels (see OnPaint).
constexpr int kNoWrapSlack = 64;

// `text` with every CR LF and every lone CR replaced by one LF; the runs
// between CRs are copied whole.
std::wstring WithLineFeeds(const wchar_t* text) {
  std::wstring result;
  result.reserve(std::wcslen(text));
  for (const wchar_t* run = text;;) {
    const size_t length = std::wcscspn(run, L"\r");
    result.append(run, length);
    run += length;
    if (!*run) break;
    result += L'\n';
    run += run[1] == L'\n' ? 2 : 1;
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
  WrapLines(GetHostDC());
  scroll_bar_->SetRange(text_.empty() ? 0 : static_cast<int>(lines_.size()) * line_height_);
  scroll_bar_->set_page(area.bottom - area.top);
  scroll_bar_->UpdateThumb();
  scroll_bar_->Invalidate(nullptr, true);
}

void UIEditBox::WrapLines(HDC dc) {
  const RECT area = TextArea();
  const int width = area.right - area.left;
  if (!dc || (width == wrapped_width_ && styles_[0].font == wrapped_font_)) return;
  const brindle::gdi::ScopedSelectObject font(dc, styles_[0].font);
  lines_ = WrapTextLines(dc, text_, width);
  line_height_ = TextLineHeight(dc);
  wrapped_width_ = width;
  wrapped_font_ = styles_[0].font;
}

void UIEditBox::OnPaint(HDC dc, const RECT&, const RECT&) {
  DrawStateEntry(rect_, background_, dc);
  const RECT clip = TextArea();
  if (multi_line_ && ShowsFocusLook(this)) PaintFocusFrame(dc, text_rect_, styles_[0].color);
  if (text_.empty()) return;
  if (!multi_line_) {
    DrawSkinText(dc, styles_[0], clip, text_.c_str(), &clip);
    return;
  }
  WrapLines(dc);
  if (line_height_ <= 0) return;
  // Each line is drawn alone, top-aligned, in a layout far wider than the
  // area, so that the drawing never wraps it again; the clip cuts it off.
  TextStyle look = styles_[0];
  look.align = 0;
  const int width = clip.right - clip.left;
  const int height = clip.bottom - clip.top;
  const auto count = static_cast<int>(lines_.size());
  const int first = std::max(0, scroll_offset_ / line_height_);
  const int last = std::min(count, (scroll_offset_ + height) / line_height_ + 1);
  for (int i = first; i < last; ++i) {
    const TextLine& line = lines_[static_cast<size_t>(i)];
    if (line.length == 0) continue;
    const std::wstring run =
        text_.substr(static_cast<size_t>(line.start), static_cast<size_t>(line.length));
    const int top = clip.top - scroll_offset_ + i * line_height_;
    const RECT layout = {clip.left, top, clip.left + 2 * width + kNoWrapSlack,
                         top + 2 * line_height_};
    DrawSkinText(dc, look, layout, run.c_str(), &clip);
  }
}

bool UIEditBox::OnMouseWheel(UINT, UINT delta, POINT) {
  if (!multi_line_) return false;
  if (!scroll_bar_->WheelScrolls()) return true;
  ScrollTo(scroll_bar_->PositionAfterWheel(delta));
  return true;
}

bool UIEditBox::OnKeyDown(WPARAM wparam, LPARAM) {
  if (!multi_line_) return false;
  const int page = scroll_bar_->page();
  const int line = std::max(line_height_, 1);
  const int bottom = std::max(0, scroll_bar_->max() - page);
  int next = scroll_offset_;
  switch (wparam) {
    case VK_UP:
      next -= line;
      break;
    case VK_DOWN:
      next += line;
      break;
    case VK_PRIOR:
      next -= std::max(page - line, line);
      break;
    case VK_NEXT:
      next += std::max(page - line, line);
      break;
    case VK_HOME:
      next = 0;
      break;
    case VK_END:
      next = bottom;
      break;
    default:
      return false;
  }
  next = std::max(0, std::min(next, bottom));
  if (next != scroll_offset_) ScrollTo(next);
  return true;
}

bool UIEditBox::IsTabStop() const { return multi_line_; }

ElementDescription UIEditBox::Describe() const {
  ElementDescription description;
  description.role = ElementRole::kEditableText;
  description.value = text_;
  description.read_only = true;
  return description;
}

LRESULT UIEditBox::OnChildNotify(UIObject*, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_VSCROLL) ScrollTo(scroll_bar_->PositionAfterCode(LOWORD(wparam)));
  return 0;
}

void UIEditBox::SetText(const wchar_t* text) {
  text_ = text ? WithLineFeeds(text) : std::wstring();
  wrapped_width_ = -1;
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
