#include "ui/framework/accessible_elements.h"

// windows.h first (from the header), then the accessibility constants.
#include <oleacc.h>

#include <algorithm>

namespace {

bool Shown(const UIObject* element) {
  return element->Describe().role != ElementRole::kNone && element->size_w() > 0 &&
         element->size_h() > 0;
}

void CollectShown(UIObject* element, std::vector<UIObject*>& shown) {
  for (const auto& child : element->children()) {
    if (Shown(child.get())) shown.push_back(child.get());
    CollectShown(child.get(), shown);
  }
}

LONG SystemRole(ElementRole role) {
  switch (role) {
    case ElementRole::kPushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case ElementRole::kCheckButton:
      return ROLE_SYSTEM_CHECKBUTTON;
    case ElementRole::kRadioButton:
      return ROLE_SYSTEM_RADIOBUTTON;
    case ElementRole::kEditableText:
      return ROLE_SYSTEM_TEXT;
    case ElementRole::kStaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case ElementRole::kProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
    case ElementRole::kNone:
      break;
  }
  return 0;
}

// True when the element and every element above it up to the host have the
// visible flag, and the host window is visible.
bool ShowsOnScreen(UIObject* host, const UIObject* element) {
  for (; element && element != host; element = element->parent()) {
    if (!element->visible()) return false;
  }
  return ::IsWindowVisible(host->hwnd()) != FALSE;
}

bool EnabledChain(const UIObject* element) {
  for (; element; element = element->parent()) {
    if (!element->enabled()) return false;
  }
  return true;
}

// The name of an element that shows no text of its own that names it (a text
// box, a bar): the text of the static text just before it in reading order,
// as a label beside a box names it on a dialog.
std::wstring LabelName(const std::vector<UIObject*>& shown, size_t index) {
  if (index == 0) return {};
  const ElementDescription before = shown[index - 1]->Describe();
  if (before.role != ElementRole::kStaticText) return {};
  return shown[index - 1]->accessible_name().empty() ? before.name
                                                     : shown[index - 1]->accessible_name();
}

std::wstring NameOf(const std::vector<UIObject*>& shown, size_t index,
                    const ElementDescription& description) {
  const UIObject* element = shown[index];
  if (!element->accessible_name().empty()) return element->accessible_name();
  if (!description.name.empty()) return description.name;
  const bool labelled = description.role == ElementRole::kEditableText ||
                        description.role == ElementRole::kProgressBar;
  return labelled ? LabelName(shown, index) : std::wstring();
}

LONG StateOf(UIObject* host, UIObject* element, const ElementDescription& description) {
  LONG state = 0;
  const bool on_screen = ShowsOnScreen(host, element);
  const bool enabled = EnabledChain(element);
  if (!on_screen) state |= STATE_SYSTEM_INVISIBLE;
  if (!enabled) state |= STATE_SYSTEM_UNAVAILABLE;
  if (element->IsTabStop() && enabled && on_screen) state |= STATE_SYSTEM_FOCUSABLE;
  if (host->focus_child() == element && ::GetFocus() == host->hwnd()) {
    state |= STATE_SYSTEM_FOCUSED;
  }
  if (description.checked) state |= STATE_SYSTEM_CHECKED;
  if (description.read_only) state |= STATE_SYSTEM_READONLY;
  return state;
}

std::wstring DefaultActionOf(const ElementDescription& description) {
  switch (description.role) {
    case ElementRole::kPushButton:
      return L"Press";
    case ElementRole::kCheckButton:
      return description.checked ? L"Uncheck" : L"Check";
    case ElementRole::kRadioButton:
      return L"Check";
    default:
      return {};
  }
}

RECT ToScreen(HWND window, RECT rect) {
  POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
  ::ClientToScreen(window, &corners[0]);
  ::ClientToScreen(window, &corners[1]);
  return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

void DescribeWindow(UIObject* host, AccessibleFacts* facts) {
  const HWND window = host->hwnd();
  facts->role = ROLE_SYSTEM_CLIENT;
  const int length = ::GetWindowTextLengthW(window);
  std::wstring title(static_cast<size_t>(length) + 1, L'\0');
  title.resize(static_cast<size_t>(::GetWindowTextW(window, &title[0], length + 1)));
  facts->name = title;
  facts->state = STATE_SYSTEM_FOCUSABLE;
  if (::GetFocus() == window) facts->state |= STATE_SYSTEM_FOCUSED;
  if (!::IsWindowVisible(window)) facts->state |= STATE_SYSTEM_INVISIBLE;
  RECT client = {};
  ::GetClientRect(window, &client);
  facts->screen_rect = ToScreen(window, client);
}

// The element of child `child_id`, or null.
UIObject* ElementOf(UIObject* host, LONG child_id) {
  const std::vector<UIObject*> shown = ShownElements(host);
  if (child_id < 1 || static_cast<size_t>(child_id) > shown.size()) return nullptr;
  return shown[static_cast<size_t>(child_id) - 1];
}

bool InTree(const UIObject* root, LPARAM element) {
  for (const auto& child : root->children()) {
    if (reinterpret_cast<LPARAM>(child.get()) == element || InTree(child.get(), element)) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<UIObject*> ShownElements(UIObject* host) {
  std::vector<UIObject*> shown;
  if (!host) return shown;
  CollectShown(host, shown);
  SortInReadingOrder(shown);
  return shown;
}

LONG ChildIdOf(UIObject* host, const UIObject* element) {
  const std::vector<UIObject*> shown = ShownElements(host);
  const auto found = std::find(shown.begin(), shown.end(), element);
  return found == shown.end() ? 0 : static_cast<LONG>(found - shown.begin()) + 1;
}

bool DescribeChild(UIObject* host, LONG child_id, AccessibleFacts* facts) {
  if (!host || !host->hwnd() || !facts) return false;
  *facts = AccessibleFacts();
  if (child_id == CHILDID_SELF) {
    DescribeWindow(host, facts);
    return true;
  }
  const std::vector<UIObject*> shown = ShownElements(host);
  if (child_id < 1 || static_cast<size_t>(child_id) > shown.size()) return false;
  const size_t index = static_cast<size_t>(child_id) - 1;
  UIObject* element = shown[index];
  const ElementDescription description = element->Describe();
  facts->role = SystemRole(description.role);
  facts->name = NameOf(shown, index, description);
  facts->value = description.value;
  facts->state = StateOf(host, element, description);
  facts->default_action = DefaultActionOf(description);
  facts->screen_rect = ToScreen(host->hwnd(), element->rect());
  return true;
}

LONG ChildAtPoint(UIObject* host, POINT screen_point) {
  if (!host || !host->hwnd()) return -1;
  POINT point = screen_point;
  ::ScreenToClient(host->hwnd(), &point);
  RECT client = {};
  ::GetClientRect(host->hwnd(), &client);
  if (!::PtInRect(&client, point)) return -1;
  const std::vector<UIObject*> shown = ShownElements(host);
  for (size_t i = shown.size(); i-- > 0;) {
    if (ShowsOnScreen(host, shown[i]) && ::PtInRect(&shown[i]->rect(), point)) {
      return static_cast<LONG>(i) + 1;
    }
  }
  return CHILDID_SELF;
}

HRESULT RequestDefaultAction(UIObject* host, LONG child_id) {
  if (!host || !host->hwnd()) return E_FAIL;
  if (child_id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
  UIObject* element = ElementOf(host, child_id);
  if (!element) return E_INVALIDARG;
  if (DefaultActionOf(element->Describe()).empty()) return DISP_E_MEMBERNOTFOUND;
  if (!ShowsOnScreen(host, element) || !EnabledChain(element)) return E_FAIL;
  const bool posted = ::PostMessageW(host->hwnd(), kAccessibleClickMessage, 0,
                                     reinterpret_cast<LPARAM>(element)) != FALSE;
  return posted ? S_OK : E_FAIL;
}

bool RunDefaultAction(UIObject* host, LPARAM element) {
  // The element may have gone since the request: only a pointer still found
  // in the tree is used.
  if (!host || !InTree(host, element)) return false;
  auto* target = reinterpret_cast<UIObject*>(element);
  return InteractiveChain(target) && target->Click();
}

void NotifyElementChange(UIObject* element, DWORD event) {
  UIObject* host = FindHost(element);
  if (!host || host == element) return;
  if (::GetWindowThreadProcessId(host->hwnd(), nullptr) != ::GetCurrentThreadId()) return;
  const LONG child_id = ChildIdOf(host, element);
  if (child_id != 0) ::NotifyWinEvent(event, host->hwnd(), OBJID_CLIENT, child_id);
}

void NotifyElementFocus(UIObject* host, UIObject* element) {
  if (!host || !element || !host->hwnd() || ::GetFocus() != host->hwnd()) return;
  const LONG child_id = ChildIdOf(host, element);
  if (child_id != 0) ::NotifyWinEvent(EVENT_OBJECT_FOCUS, host->hwnd(), OBJID_CLIENT, child_id);
}
