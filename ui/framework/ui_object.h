// UIObject: the base of every skinned thing on screen. An element either owns
// a window (a *host*: the setup windows, the frame window) or is a windowless
// node in the tree under a host, living only as a rectangle in the host's
// client area.
//
// The host receives the window messages and distributes them through the
// tree: mouse positions to the element under the pointer (enter, move,
// leave), presses to it with a focus change, keys to the focus child, timers
// to the element that set them. Painting walks the tree from the host down
// into the host's back buffer, which is either copied to the screen on
// WM_PAINT or, for a layered host, recomposed synchronously on every
// Invalidate and handed to the system with per-pixel alpha.
//
// What a control does:
//   - sets kind_ in its constructor;
//   - overrides LoadSkin: command id from "id" (GetInt), size_* from "size"
//     (GetRect), its state entries and text styles;
//   - overrides OnPaint to draw into the DC it is given, inside `rect`,
//     respecting `clip`;
//   - overrides the events it reacts to, changes its state and calls
//     Invalidate(nullptr, true);
//   - reports clicks with SendToHost(WM_COMMAND, command_id(), GetHostWindow())
//     (optionally preceded by parent()->OnChildNotify(this, WM_COMMAND, ...)).
// Coordinates are pixels in the host's client area. Everything runs on the
// user-interface thread.
#ifndef BRINDLE_UI_FRAMEWORK_UI_OBJECT_H_
#define BRINDLE_UI_FRAMEWORK_UI_OBJECT_H_

// windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/framework/ch_window.h"
#include "ui/framework/gdi_handles.h"

class JsonValue;
class IResource;

// Private message that recomposes a layered host: wParam is a const RECT*
// (client coordinates) or 0 for the whole client area; lParam 0; result 0.
inline constexpr UINT kComposeMessage = 0x6400;

// Element kinds made by CreateElement (see element_factory.h); kind 5 is the
// frame window's, which the factory never makes.
enum ElementKind : int {
  kElementPane = 1,
  kElementButton = 2,
  kElementToolBar = 3,
  kElementTabCtrl = 4,
  kElementFrameWindow = 5,
  kElementListView = 6,
  kElementScrollBar = 7,
  kElementHeader = 8,
  kElementLabel = 9,
  kElementCheckBox = 10,
  kElementCheckBoxEx = 11,
  kElementRadioBox = 12,
  kElementProgress = 13,
  kElementDropButton = 14,
  kElementEditBox = 15,
};

// What an element is to assistive technology (accessible_elements.h maps it
// to the accessibility roles of the system). kNone: the element is not
// shown to it (decoration, or a part that its parent speaks for).
enum class ElementRole {
  kNone,
  kPushButton,
  kCheckButton,
  kRadioButton,
  kEditableText,
  kStaticText,
  kProgressBar,
};

// An element as assistive technology sees it, from the element's own state.
// The framework adds what the tree knows (enabled, visible, focus, where).
struct ElementDescription {
  ElementRole role = ElementRole::kNone;
  // The caption or text it shows; empty when it shows none.
  std::wstring name;
  // The text of a text box, a progress bar's percentage; empty for none.
  std::wstring value;
  bool checked = false;
  // A text box that takes no typing.
  bool read_only = false;
};

class UIObject : public CHWindow {
 public:
  UIObject();
  // Deletes the children (each deletes its own first), the background brush,
  // the tooltip window and the back buffer, then destroys a window that still
  // exists (CHWindow).
  ~UIObject() override;

  // ---- Host side: CHWindow handlers, in CHWindow's slot order. ----
  // Non-layered hosts copy the back buffer; layered hosts paint nothing here.
  LRESULT HandlePaint(WPARAM wparam, LPARAM lparam) override;
  // Returns 1: the system never erases the background.
  LRESULT HandleEraseBkgnd(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleMouseMove(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleSetCursor(WPARAM wparam, LPARAM lparam) override;
  // A size change lays the tree out (no invalidation meanwhile), calls
  // OnResized and then recomposes a layered host once.
  LRESULT HandleWindowPosChanged(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleLButtonUp(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleLButtonDown(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleLButtonDblClk(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleRButtonUp(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleRButtonDown(WPARAM wparam, LPARAM lparam) override;
  // Default processing, then the same WM_COMMAND to GetParent of the window
  // (the owner, for a popup).
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleKeyUp(WPARAM wparam, LPARAM lparam) override;
  // Tab and Shift+Tab (without Ctrl or Alt) move the focus (MoveFocus).
  // Other keys go to the focus child's OnKeyDown; a key it does not handle
  // (false), or any key without a focus child, goes to the host's own
  // OnKeyDown, and when that does not handle it either, Enter runs the
  // default command and Escape the cancel command (RunCommand).
  LRESULT HandleKeyDown(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleNotify(WPARAM wparam, LPARAM lparam) override;
  // Calls OnTimer of the element that set the timer; kills unknown ids.
  LRESULT HandleTimer(WPARAM wparam, LPARAM lparam) override;
  // The focus child's (or the host's) OnChar; the Tab character is dropped,
  // since Tab moves the focus.
  LRESULT HandleChar(WPARAM wparam, LPARAM lparam) override;
  LRESULT HandleMouseWheel(WPARAM wparam, LPARAM lparam) override;
  // Clears the hovered state of the whole hover chain.
  LRESULT HandleMouseLeave(WPARAM wparam, LPARAM lparam) override;
  // The first show of a layered host composes the whole window.
  LRESULT HandleShowWindow(WPARAM wparam, LPARAM lparam) override;
  // Relays the message to the tooltips; never consumes it.
  BOOL PreTranslateMessage(MSG* msg) override;
  // Handles kComposeMessage and, on a host, the accessibility messages
  // (AnswerAccessibilityMessage); passes everything else on.
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  // ---- Element operations, in slot order. ----
  // The host's memory DC, for measuring and hit testing (the element font is
  // selected); null when there is no host or no DC can be made. No back
  // buffer is made for it: a hidden window's elements measure text without
  // one (the buffer comes with the first composition or paint). Borrowed:
  // valid until the host's size changes.
  virtual HDC GetHostDC();
  // Computes rect_ from size_* and the parent's rectangle, then lays out the
  // children with a positive size.
  virtual void OnLayout();
  // Own window, else the parent's host window, else null.
  virtual HWND GetHostWindow();
  // Draws the element into `dc` (the host's back buffer). `rect` is the
  // element's rectangle, `clip` the part to draw; the DC is clipped to it.
  virtual void OnPaint(HDC dc, const RECT& rect, const RECT& clip);
  // Requests a repaint of `rect` (host client coordinates; null = the
  // element's rectangle, or the whole client area for a host). A layered host
  // is recomposed before this returns. Nothing happens while the host window
  // is hidden or being laid out.
  virtual void Invalidate(const RECT* rect, bool erase);
  // Reads the element's skin: `path` relative to `base`, or under "cfg" when
  // `base` is null. The resource outlives the element. Returns true when read;
  // the base reads nothing and returns false.
  virtual bool LoadSkin(IResource* resource, const char* path, const JsonValue* base);
  // Mouse events: `keys` is the MK_* state, `point` in host client
  // coordinates. The result is true when handled. The base versions of the
  // forwarding events (OnLButtonUp, OnLButtonDblClk, OnRButtonUp,
  // OnRButtonDown, OnKeyUp) pass the event to the deepest hovered element
  // below this one when it is enabled and visible.
  virtual bool OnLButtonUp(UINT keys, POINT point);
  virtual bool OnLButtonDown(UINT keys, POINT point);
  virtual bool OnLButtonDblClk(UINT keys, POINT point);
  virtual bool OnRButtonUp(UINT keys, POINT point);
  virtual bool OnRButtonDown(UINT keys, POINT point);
  virtual bool OnMouseMove(UINT keys, POINT point);
  virtual bool OnMouseEnter(UINT keys, POINT point);
  // `point` is (-1, -1) when the pointer left the host window.
  virtual bool OnMouseLeave(UINT keys, POINT point);
  // `delta` is the wheel's high word as an unsigned 16-bit value: bit 0x8000
  // set means turned towards the user. `point` is in screen coordinates.
  virtual bool OnMouseWheel(UINT keys, UINT delta, POINT point);
  // Called by SetVisible with the new value; returns 1.
  virtual int OnShow(bool visible);
  virtual void OnToolTipText(NMTTDISPINFOW* request);
  virtual void OnTimer(UINT_PTR id);
  virtual bool OnKeyDown(WPARAM wparam, LPARAM lparam);
  virtual bool OnKeyUp(WPARAM wparam, LPARAM lparam);
  virtual bool OnChar(WPARAM wparam, LPARAM lparam);
  // Focus moves between elements of one host; either side may be null.
  virtual void OnKillFocus(UIObject* next);
  virtual void OnSetFocus(UIObject* previous);
  // True when a cursor was set. The base shows the deepest hovered element's
  // cursor when it is enabled, visible and has one.
  virtual bool OnSetCursor();
  // SendMessageW / PostMessageW to the first window found from this element
  // up through its parents; 0 when there is none.
  virtual LRESULT SendToHost(UINT message, WPARAM wparam, LPARAM lparam);
  virtual LRESULT PostToHost(UINT message, WPARAM wparam, LPARAM lparam);
  // A child reports before it sends to the host; the base passes the call to
  // the parent (0 without parent).
  virtual LRESULT OnChildNotify(UIObject* child, UINT message, WPARAM wparam, LPARAM lparam);
  // Called on a host after its client size changed and the tree was laid out.
  virtual void OnResized();
  // Sends TTM_RELAYEVENT to this element's tooltip window (if any), then
  // relays to every child.
  virtual void RelayToTooltip(MSG* msg);
  // Reads the skin again from where LoadSkin last read it (RememberSkin), at
  // the resource's current DPI; nothing when it never read one. Elements
  // whose LoadSkin also builds children override this to read only their
  // own values. State that is not skin (text, checks, positions) is kept.
  virtual void ReloadSkin();
  // Whether Tab stops at this element while it, and every element above it,
  // is enabled and visible. The base: no.
  virtual bool IsTabStop() const;
  // The element's click as the keyboard gives it (Space or Enter while it has
  // the focus, or the window's default or cancel command): the same state
  // change and notifications as a click with the mouse. True when the element
  // has such a click; the base has none and returns false.
  virtual bool Click();
  // What the element is to assistive technology. The base: kNone.
  virtual ElementDescription Describe() const;

  // ---- State. ----
  int command_id() const { return command_id_; }
  void set_command_id(int id) { command_id_ = id; }
  int kind() const { return kind_; }
  bool enabled() const { return enabled_; }
  // Only the flag: callers follow with Invalidate.
  void set_enabled(bool enabled) { enabled_ = enabled; }
  // Changed with SetVisible.
  bool visible() const { return visible_; }
  bool hovered() const { return hovered_; }
  bool drag_through() const { return drag_through_; }
  void set_drag_through(bool value) { drag_through_ = value; }
  bool anchoring_off() const { return anchoring_off_; }
  void set_anchoring_off(bool value) { anchoring_off_ = value; }
  bool has_tooltip() const { return has_tooltip_; }
  void set_has_tooltip(bool value) { has_tooltip_ = value; }
  // Tab order: tab stops of a lower group come first; within a group, rows
  // from top to bottom, each row from left to right (see TabOrder). 0 by
  // default.
  int tab_group() const { return tab_group_; }
  void set_tab_group(int group) { tab_group_ = group; }
  // On a host: the command ids Enter and Escape run when no element takes
  // the key; 0 (the default) for none.
  int default_command() const { return default_command_; }
  void set_default_command(int id) { default_command_ = id; }
  int cancel_command() const { return cancel_command_; }
  void set_cancel_command(int id) { cancel_command_ = id; }
  // The name assistive technology gives the element instead of the one it
  // describes (Describe): for a button drawn as a picture, or a text box
  // whose label is drawn into the skin. Empty (the default): its own.
  const std::wstring& accessible_name() const { return accessible_name_; }
  void set_accessible_name(std::wstring name) { accessible_name_ = std::move(name); }
  // On a host: runs command `id` as a click would: the element below with
  // that command id is clicked (Click) when it, and every element above it,
  // is enabled and visible, and nothing happens when it is not; without such
  // an element the host window gets WM_COMMAND (id, window handle). False
  // for id 0, a disabled or hidden element, or an element without a click.
  bool RunCommand(int id);
  // On a host: whether focused elements draw their focus look. Off until the
  // focus is first moved by the keyboard (Tab), as Windows hides focus
  // rectangles from mouse users; stays on afterwards.
  bool focus_cues() const { return focus_cues_; }
  void set_focus_cues(bool value) { focus_cues_ = value; }
  // Where LoadSkin read this element's skin, for ReloadSkin: the resource
  // (borrowed; it outlives the element), the path and its base node (valid
  // until the resource parses again). Called by the LoadSkin overrides.
  void RememberSkin(IResource* resource, const char* path, const JsonValue* base);
  IResource* skin_resource() const { return skin_resource_; }
  // On a host: the DPI its elements were read at (set by the host's window
  // class when it reads the skin); 96 until then.
  int dpi() const { return dpi_; }
  void set_dpi(int dpi) { dpi_ = dpi; }
  // Position in host client coordinates; for a host, its client rectangle.
  const RECT& rect() const { return rect_; }
  void set_rect(const RECT& rect) { rect_ = rect; }
  // The skin's "size": x and y are offsets from the parent's left and top, or
  // (negative, anchoring on) from its right and bottom; w and h the size.
  int size_x() const { return size_x_; }
  int size_y() const { return size_y_; }
  int size_w() const { return size_w_; }
  int size_h() const { return size_h_; }
  void set_size(int x, int y, int w, int h);
  // Borrowed; null leaves the cursor to the host.
  HCURSOR cursor() const { return cursor_; }
  void set_cursor(HCURSOR cursor) { cursor_ = cursor; }
  UIObject* parent() const { return parent_; }
  UIObject* hover_child() const { return hover_child_; }
  // On a host: the element that has the keyboard focus, or null.
  UIObject* focus_child() const { return focus_child_; }
  // Painted first to last, hit last to first; owned.
  const std::vector<std::unique_ptr<UIObject>>& children() const { return children_; }
  // Takes ownership of a tooltip control whose tools are registered with the
  // elements' addresses as ids; destroyed with this element.
  HWND tooltip_window() const { return tooltip_window_.get(); }
  void set_tooltip_window(HWND tooltip) { tooltip_window_.reset(tooltip); }
  // Takes ownership; the back buffer is filled with it before painting.
  HBRUSH background_brush() const { return background_brush_.get(); }
  void set_background_brush(HBRUSH brush) { background_brush_.reset(brush); }
  bool layered() const { return layered_; }
  bool composed_once() const { return composed_once_; }
  bool in_layout() const { return in_layout_; }
  // The back buffer (see EnsureBackBuffer); the bits are bottom-up 32-bit
  // rows, set only for a layered host.
  HDC memory_dc() const { return memory_dc_.get(); }
  HBITMAP buffer_bitmap() const { return buffer_bitmap_.get(); }
  void* buffer_bits() const { return buffer_bits_; }
  int buffer_bytes() const { return buffer_bytes_; }
  int buffer_stride() const { return buffer_stride_; }
  int buffer_width() const { return buffer_width_; }
  int buffer_height() const { return buffer_height_; }

 protected:
  // Recomposes `area` (null = the whole client area) of a layered host.
  void Compose(const RECT* area);

  int command_id_ = 0;
  int kind_ = 0;
  bool enabled_ = true;
  bool visible_ = true;
  bool hovered_ = false;
  bool drag_through_ = false;
  bool anchoring_off_ = false;
  bool has_tooltip_ = false;
  int tab_group_ = 0;
  bool focus_cues_ = false;
  int default_command_ = 0;
  int cancel_command_ = 0;
  std::wstring accessible_name_;
  RECT rect_ = {};
  int size_x_ = 0;
  int size_y_ = 0;
  int size_w_ = 0;
  int size_h_ = 0;
  HCURSOR cursor_ = nullptr;
  IResource* skin_resource_ = nullptr;
  std::string skin_path_;
  const JsonValue* skin_base_ = nullptr;
  int dpi_ = 96;
  UIObject* parent_ = nullptr;
  UIObject* hover_child_ = nullptr;
  UIObject* focus_child_ = nullptr;
  std::vector<std::unique_ptr<UIObject>> children_;
  std::map<UINT_PTR, UIObject*> timers_;
  bool mouse_tracking_ = false;
  brindle::gdi::Brush background_brush_;
  struct WindowDestroyer {
    void operator()(HWND window) const { ::DestroyWindow(window); }
  };
  std::unique_ptr<HWND__, WindowDestroyer> tooltip_window_;
  bool layered_ = false;
  bool composed_once_ = false;
  bool in_layout_ = false;
  brindle::gdi::MemoryDC memory_dc_;
  brindle::gdi::Bitmap buffer_bitmap_;
  HGDIOBJ previous_bitmap_ = nullptr;
  void* buffer_bits_ = nullptr;
  int buffer_bytes_ = 0;
  int buffer_stride_ = 0;
  int buffer_width_ = 0;
  int buffer_height_ = 0;

 private:
  friend UIObject* AppendChild(UIObject* parent, std::unique_ptr<UIObject> child);
  friend void SetVisible(UIObject* element, bool visible);
  friend UINT_PTR SetElementTimer(UIObject* element, UINT elapse);
  friend BOOL KillElementTimer(UINT_PTR id, UIObject* element);
  friend LRESULT RouteMouseMove(UIObject* element, UINT keys, POINT point);
  friend bool MakeLayered(UIObject* host);
  friend bool EnsureBackBuffer(UIObject* host);
  friend void SetFocusElement(UIObject* host, UIObject* element);
  friend void ApplyHostDpi(UIObject* host, int dpi);

  // Drops the buffer bitmap, keeping the memory DC.
  void ReleaseBufferBitmap();
  // Makes the memory DC if there is none yet; false when it cannot be made.
  bool EnsureMemoryDC();
  // Clears the hovered flags and hover links from this element down, calling
  // OnMouseLeave(keys, point) on each element that was hovered.
  void LeaveHoverChain(UINT keys, POINT point);
  // Host: the deepest hovered element gets a focus change and the press.
  void DeliverLButtonDown(UINT keys, POINT point);

  // A layered host whose invalidation was dropped while it was hidden
  // recomposes everything when it is shown again.
  bool composition_pending_ = false;
};

// ---- Tree operations. ----

// Makes an element of `kind` (null for a kind no control registered, see
// element_factory.h, and for a null parent; nothing else happens then). With
// a resource, calls its LoadSkin(resource, path, null): a full path such as
// "MainWindow/InstallButton2" resolves under "cfg". Appends it to the
// parent's children (the parent owns it), lays it out and returns it.
UIObject* CreateElement(const char* path, IResource* resource, int kind, UIObject* parent);

// Makes `parent` the owner of `child` (appended last, painted on top) and
// returns the child. Callers lay it out with LayoutTree. Null arguments give
// null (and delete the child).
UIObject* AppendChild(UIObject* parent, std::unique_ptr<UIObject> child);

// Stores x and y, and w and h unless negative (negative keeps the current
// value); lays the element out when its width and height are positive; then
// repaints the area it left and the area it covers.
void SetPosition(UIObject* element, int x, int y, int w, int h);

// OnLayout on the element if its width and height are positive, then on each
// child with positive width and height.
void LayoutTree(UIObject* element);

// Sets the visible flag, calls OnShow and repaints the element's rectangle.
void SetVisible(UIObject* element, bool visible);

// Starts a timer of `elapse` milliseconds on the element's host whose
// WM_TIMER reaches element->OnTimer. Returns the id (one more than the
// largest id the host has in use, 1 for the first), or 0 when there is no
// host window.
UINT_PTR SetElementTimer(UIObject* element, UINT elapse);
// Stops a timer started by SetElementTimer. Returns 0 without doing anything
// when there is no host or the host window is hidden (the timer keeps
// running); otherwise KillTimer's result.
BOOL KillElementTimer(UINT_PTR id, UIObject* element);

// Sends the element's rectangle ((-1, -1, 0, 0) when `show` is false) to the
// host's tooltip window for every element with the has-tooltip flag, from
// `element` down.
void UpdateToolRect(UIObject* element, bool show);

// The last visible child whose rectangle contains `point` (left and top
// inclusive, right and bottom exclusive), or null. Enabled is not considered.
UIObject* HitTestChildren(UIObject* element, POINT point);

// Routes a pointer position through the tree from `element`: leave for
// elements the pointer left, enter for those it entered, OnMouseMove for the
// element under it. Returns 0 when the point is outside `element`.
LRESULT RouteMouseMove(UIObject* element, UINT keys, POINT point);

// The end of the chain of hover children below `element`; null when
// `element` has no hover child.
UIObject* DeepestHovered(UIObject* element);

// ---- Keyboard focus. ----

// The first element from `element` up through its parents that owns a window
// (the element itself for a host); null when there is none.
UIObject* FindHost(UIObject* element);

// The DPI `element` is drawn at: its host's dpi(); 96 without a host.
int ElementDpi(const UIObject* element);

// True when `element` and every element above it are enabled and visible.
bool InteractiveChain(const UIObject* element);

// Sorts elements of one host in reading order: by tab group, then in rows
// from top to bottom, each row from left to right. A row starts at the
// element whose vertical centre is highest among those left and takes every
// element whose vertical centre lies within that element's top and bottom.
void SortInReadingOrder(std::vector<UIObject*>& elements);

// The tab stops under `host` (its descendants whose IsTabStop is true and
// whose chain is interactive) in reading order (SortInReadingOrder).
std::vector<UIObject*> TabOrder(UIObject* host);

// Makes `element` (null: none) the focus child of `host`: the old focus
// child's OnKillFocus(element), then the new one's OnSetFocus(old), then
// assistive technology is told (NotifyElementFocus); both are repainted
// while the host shows focus cues. Nothing happens when `element` already
// has the focus.
void SetFocusElement(UIObject* host, UIObject* element);

// Moves the focus of `host` to the next tab stop (`forward`) or the previous
// one, wrapping around; from an element that is no tab stop (or none), to the
// first or the last. Turns the host's focus cues on. Returns the element that
// has the focus afterwards (null when the host has no tab stop).
UIObject* MoveFocus(UIObject* host, bool forward);

// Whether `element` draws its focus look now: it is its host's focus child
// and its host shows focus cues.
bool ShowsFocusLook(const UIObject* element);

// The first element below `root` (depth first, in child order; `root` itself
// is not considered) whose command id is `id`; null when there is none or
// `id` is 0.
UIObject* FindElementByCommand(UIObject* root, int id);

// ---- Painting and composition. ----

// Turns a top-level host window into a layered window with per-pixel alpha
// and composes it. Returns the layered flag: false for child windows and
// windowless elements.
bool MakeLayered(UIObject* host);

// Makes the host's back buffer match its rectangle: a 32-bit bottom-up DIB
// section for a layered host, a bitmap compatible with the window otherwise.
// The memory DC is kept across size changes (transparent background mode,
// the default font, the background brush). Returns true when it made a new
// bitmap.
bool EnsureBackBuffer(UIObject* host);

// Paints the visible children of `element`, first to last, each clipped to
// its rectangle, its ancestors' and `clip`, followed by their own children.
void PaintChildren(HDC dc, UIObject* element, const RECT& clip);

// Process-wide fonts from the system's icon-title font, weight 400 and 700;
// created by the first UIObject. Owned by the process.
HFONT ElementDefaultFont();
HFONT ElementDefaultBoldFont();
// The normal icon-title font at `dpi` (its height moved from the system DPI):
// ElementDefaultFont itself at the system DPI (or for 0), otherwise made once
// per DPI and owned by the process. Selected into the back buffer of a host
// at that DPI.
HFONT ElementDefaultFontAt(int dpi);

// Calls ReloadSkin on `element` and every element below it, then lays the
// tree out again from `element`.
void ReloadSkinTree(UIObject* element);

// Makes a host draw at `dpi`: records it, sets its resource (skin_resource) to
// it, reloads the skin of the tree (ReloadSkinTree), selects the default font
// at that DPI into the back buffer and drops the buffer's bitmap, so the next
// paint makes one of the new size. Nothing when `host` has no window.
void ApplyHostDpi(UIObject* host, int dpi);

// A host's answer to WM_DPICHANGED (`wparam` and `lparam` as the message
// brings them): ApplyHostDpi at the new DPI, then the window takes the
// rectangle the system suggests.
void ApplyDpiChange(UIObject* host, WPARAM wparam, LPARAM lparam);

#endif  // BRINDLE_UI_FRAMEWORK_UI_OBJECT_H_
