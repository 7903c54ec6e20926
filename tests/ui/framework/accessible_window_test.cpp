// The accessible object of a host window, as an accessibility client sees it
// through oleacc (AccessibleObjectFromWindow: WM_GETOBJECT, LresultFromObject
// and back): the shown elements in reading order with role, name, value,
// state, place and default action; default actions run from the window's
// queue; focus events; and an object that outlives its window.
#include "ui/framework/accessible_window.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "setup/win_handles.h"
#include "tests/ui/framework/element_test_support.h"
#include "ui/framework/accessible_elements.h"

namespace {

using brindle::test::ProbeElement;
using brindle::test::PumpUntil;

// An element that describes itself as told; its click counts and, for a
// check button, toggles.
class DescribedElement : public UIObject {
 public:
  DescribedElement(ElementDescription description, bool tab_stop)
      : description(std::move(description)), tab_stop(tab_stop) {}
  ElementDescription Describe() const override { return description; }
  bool IsTabStop() const override { return tab_stop; }
  bool Click() override {
    ++clicks;
    if (description.role == ElementRole::kCheckButton) description.checked = !description.checked;
    return true;
  }

  ElementDescription description;
  bool tab_stop;
  int clicks = 0;
};

ElementDescription Description(ElementRole role, std::wstring name, std::wstring value = L"",
                               bool checked = false) {
  ElementDescription description;
  description.role = role;
  description.name = std::move(name);
  description.value = std::move(value);
  description.checked = checked;
  return description;
}

VARIANT Child(LONG id) {
  VARIANT child;
  ::VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

std::wstring Text(IAccessible* object, LONG id,
                  HRESULT (STDMETHODCALLTYPE IAccessible::*getter)(VARIANT, BSTR*)) {
  BSTR text = nullptr;
  if ((object->*getter)(Child(id), &text) != S_OK || !text) return L"";
  std::wstring copy(text, ::SysStringLen(text));
  ::SysFreeString(text);
  return copy;
}

LONG Number(IAccessible* object, LONG id,
            HRESULT (STDMETHODCALLTYPE IAccessible::*getter)(VARIANT, VARIANT*)) {
  VARIANT value;
  ::VariantInit(&value);
  if ((object->*getter)(Child(id), &value) != S_OK || value.vt != VT_I4) return -1;
  return value.lVal;
}

class AccessibleWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, ::CoInitialize(nullptr));
    host_ = std::make_unique<ProbeElement>("host", nullptr);
    ASSERT_TRUE(host_->OpenHost(300, 200));
    label_ = Add(Description(ElementRole::kStaticText, L"Folder"), false, 10, 10, 80, 20);
    edit_ = Add(Description(ElementRole::kEditableText, L"", L"C:\\Velto"), true, 100, 10, 150, 20);
    box_ =
        Add(Description(ElementRole::kCheckButton, L"Desktop", L"", true), true, 10, 50, 120, 20);
    install_ = Add(Description(ElementRole::kPushButton, L"Install"), true, 150, 50, 80, 20);
    hidden_ = Add(Description(ElementRole::kPushButton, L"Hidden"), true, 10, 100, 80, 20);
    disabled_ = Add(Description(ElementRole::kPushButton, L"Disabled"), true, 100, 100, 80, 20);
    // Not shown: a decoration without role and a button of zero size.
    Add(Description(ElementRole::kNone, L"Decoration"), false, 0, 0, 300, 5);
    Add(Description(ElementRole::kPushButton, L"Zero"), true, 0, 0, 0, 0);
    // A picture button named by its window, after every other (tab group 1).
    close_ = Add(Description(ElementRole::kPushButton, L""), true, 280, 0, 15, 15);
    close_->set_tab_group(1);
    close_->set_accessible_name(L"Close");
    SetVisible(hidden_, false);
    disabled_->set_enabled(false);
    ::ShowWindow(host_->hwnd(), SW_SHOWNOACTIVATE);
  }
  void TearDown() override {
    host_.reset();
    ::CoUninitialize();
  }

  DescribedElement* Add(ElementDescription description, bool tab_stop, int x, int y, int w, int h) {
    auto element = std::make_unique<DescribedElement>(std::move(description), tab_stop);
    element->set_size(x, y, w, h);
    auto* added = static_cast<DescribedElement*>(AppendChild(host_.get(), std::move(element)));
    LayoutTree(added);
    return added;
  }

  // The window's object as a client gets it.
  ComPtr<IAccessible> ClientObject() {
    ComPtr<IAccessible> object;
    EXPECT_EQ(S_OK, ::AccessibleObjectFromWindow(host_->hwnd(), OBJID_CLIENT, __uuidof(IAccessible),
                                                 object.put_void()));
    return object;
  }

  std::unique_ptr<ProbeElement> host_;
  DescribedElement* label_ = nullptr;
  DescribedElement* edit_ = nullptr;
  DescribedElement* box_ = nullptr;
  DescribedElement* install_ = nullptr;
  DescribedElement* hidden_ = nullptr;
  DescribedElement* disabled_ = nullptr;
  DescribedElement* close_ = nullptr;
};

TEST_F(AccessibleWindowTest, ListsTheShownElementsInReadingOrder) {
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  long count = 0;
  ASSERT_EQ(S_OK, object->get_accChildCount(&count));
  const struct {
    const wchar_t* name;
    LONG role;
    const wchar_t* value;
    LONG state;
    const wchar_t* action;
  } expected[] = {
      {L"Folder", ROLE_SYSTEM_STATICTEXT, L"", 0, L""},
      // Named by the static text before it.
      {L"Folder", ROLE_SYSTEM_TEXT, L"C:\\Velto", STATE_SYSTEM_FOCUSABLE, L""},
      {L"Desktop", ROLE_SYSTEM_CHECKBUTTON, L"", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED,
       L"Uncheck"},
      {L"Install", ROLE_SYSTEM_PUSHBUTTON, L"", STATE_SYSTEM_FOCUSABLE, L"Press"},
      {L"Hidden", ROLE_SYSTEM_PUSHBUTTON, L"", STATE_SYSTEM_INVISIBLE, L"Press"},
      {L"Disabled", ROLE_SYSTEM_PUSHBUTTON, L"", STATE_SYSTEM_UNAVAILABLE, L"Press"},
      {L"Close", ROLE_SYSTEM_PUSHBUTTON, L"", STATE_SYSTEM_FOCUSABLE, L"Press"},
  };
  ASSERT_EQ(static_cast<long>(std::size(expected)), count);
  for (LONG id = 1; id <= count; ++id) {
    const auto& row = expected[id - 1];
    SCOPED_TRACE(id);
    EXPECT_EQ(row.name, Text(object.get(), id, &IAccessible::get_accName));
    EXPECT_EQ(row.role, Number(object.get(), id, &IAccessible::get_accRole));
    EXPECT_EQ(row.value, Text(object.get(), id, &IAccessible::get_accValue));
    EXPECT_EQ(row.state, Number(object.get(), id, &IAccessible::get_accState));
    EXPECT_EQ(row.action, Text(object.get(), id, &IAccessible::get_accDefaultAction));
    ComPtr<IDispatch> child;
    EXPECT_EQ(S_FALSE, object->get_accChild(Child(id), child.put()));  // a simple element
    EXPECT_FALSE(child);
  }
  EXPECT_EQ(L"probe host", Text(object.get(), CHILDID_SELF, &IAccessible::get_accName));
  EXPECT_EQ(ROLE_SYSTEM_CLIENT, Number(object.get(), CHILDID_SELF, &IAccessible::get_accRole));
  BSTR name = nullptr;
  EXPECT_EQ(E_INVALIDARG, object->get_accName(Child(count + 1), &name));
  EXPECT_EQ(nullptr, name);
}

TEST_F(AccessibleWindowTest, ChildIdsStayWhenAnElementIsShownOrHidden) {
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  SetVisible(hidden_, true);
  SetVisible(install_, false);
  EXPECT_EQ(L"Install", Text(object.get(), 4, &IAccessible::get_accName));
  EXPECT_EQ(STATE_SYSTEM_INVISIBLE, Number(object.get(), 4, &IAccessible::get_accState));
  EXPECT_EQ(L"Hidden", Text(object.get(), 5, &IAccessible::get_accName));
  EXPECT_EQ(STATE_SYSTEM_FOCUSABLE, Number(object.get(), 5, &IAccessible::get_accState));
}

TEST_F(AccessibleWindowTest, LocationsAreScreenRectanglesAndHitTestFindsThem) {
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  POINT origin = {0, 0};
  ::ClientToScreen(host_->hwnd(), &origin);
  long left = 0, top = 0, width = 0, height = 0;
  ASSERT_EQ(S_OK, object->accLocation(&left, &top, &width, &height, Child(4)));
  EXPECT_EQ(origin.x + 150, left);
  EXPECT_EQ(origin.y + 50, top);
  EXPECT_EQ(80, width);
  EXPECT_EQ(20, height);
  ASSERT_EQ(S_OK, object->accLocation(&left, &top, &width, &height, Child(CHILDID_SELF)));
  EXPECT_EQ(origin.x, left);
  EXPECT_EQ(300, width);

  VARIANT hit;
  ASSERT_EQ(S_OK, object->accHitTest(origin.x + 160, origin.y + 55, &hit));
  EXPECT_EQ(VT_I4, hit.vt);
  EXPECT_EQ(4, hit.lVal);
  // On no element, and hidden elements are not hit.
  ASSERT_EQ(S_OK, object->accHitTest(origin.x + 20, origin.y + 105, &hit));
  EXPECT_EQ(CHILDID_SELF, hit.lVal);
  EXPECT_EQ(S_FALSE, object->accHitTest(origin.x - 5, origin.y - 5, &hit));
  EXPECT_EQ(VT_EMPTY, hit.vt);
}

TEST_F(AccessibleWindowTest, NavigationWalksTheChildIds) {
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  const struct {
    long direction;
    LONG from;
    HRESULT result;
    LONG to;
  } steps[] = {
      {NAVDIR_FIRSTCHILD, CHILDID_SELF, S_OK, 1},
      {NAVDIR_LASTCHILD, CHILDID_SELF, S_OK, 7},
      {NAVDIR_NEXT, 3, S_OK, 4},
      {NAVDIR_PREVIOUS, 3, S_OK, 2},
      {NAVDIR_NEXT, 7, S_FALSE, 0},
      {NAVDIR_PREVIOUS, 1, S_FALSE, 0},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.from);
    VARIANT end;
    EXPECT_EQ(step.result, object->accNavigate(step.direction, Child(step.from), &end));
    if (step.result == S_OK) {
      EXPECT_EQ(step.to, end.lVal);
    }
  }
}

TEST_F(AccessibleWindowTest, DefaultActionClicksFromTheWindowsQueue) {
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  ASSERT_EQ(S_OK, object->accDoDefaultAction(Child(3)));
  // Requested, not run: a click may open a box or run the install.
  EXPECT_EQ(0, box_->clicks);
  ASSERT_TRUE(PumpUntil([this] { return box_->clicks == 1; }));
  EXPECT_EQ(STATE_SYSTEM_FOCUSABLE, Number(object.get(), 3, &IAccessible::get_accState));
  EXPECT_EQ(L"Check", Text(object.get(), 3, &IAccessible::get_accDefaultAction));
}

TEST_F(AccessibleWindowTest, DefaultActionIsRefusedWhereAClickDoesNothing) {
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  const struct {
    LONG id;
    HRESULT result;
  } refused[] = {
      {CHILDID_SELF, DISP_E_MEMBERNOTFOUND},  // the window
      {1, DISP_E_MEMBERNOTFOUND},             // static text
      {5, E_FAIL},                            // hidden
      {6, E_FAIL},                            // disabled
      {8, E_INVALIDARG},                      // no such child
  };
  for (const auto& row : refused) {
    SCOPED_TRACE(row.id);
    EXPECT_EQ(row.result, object->accDoDefaultAction(Child(row.id)));
  }
  // A request whose element went away meanwhile clicks nothing.
  EXPECT_FALSE(RunDefaultAction(host_.get(), reinterpret_cast<LPARAM>(&refused)));
  EXPECT_EQ(0, hidden_->clicks + disabled_->clicks);
}

// The events a screen reader follows, as (event, window, child id), from a
// hook on this process.
class WinEvents {
 public:
  WinEvents() {
    seen.clear();
    hook_ = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, &Record,
                              ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  }
  ~WinEvents() {
    if (hook_) ::UnhookWinEvent(hook_);
  }
  WinEvents(const WinEvents&) = delete;
  WinEvents& operator=(const WinEvents&) = delete;

  bool active() const { return hook_ != nullptr; }
  // Pumps messages until the event is seen (at most 5 s).
  bool WaitFor(DWORD event, HWND window, LONG child) const {
    const Event expected = {event, window, child};
    return PumpUntil(
        [&expected] { return std::find(seen.begin(), seen.end(), expected) != seen.end(); });
  }

  using Event = std::tuple<DWORD, HWND, LONG>;
  static inline std::vector<Event> seen;

 private:
  static void CALLBACK Record(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                              DWORD, DWORD) {
    if (object == OBJID_CLIENT) seen.push_back({event, window, child});
  }

  HWINEVENTHOOK hook_ = nullptr;
};

TEST_F(AccessibleWindowTest, FocusMovesAreAnnouncedAndReported) {
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  const WinEvents events;
  ASSERT_TRUE(events.active());
  ::SetForegroundWindow(host_->hwnd());
  ::SetFocus(host_->hwnd());
  ASSERT_EQ(host_->hwnd(), ::GetFocus());
  SetFocusElement(host_.get(), install_);
  EXPECT_TRUE(events.WaitFor(EVENT_OBJECT_FOCUS, host_->hwnd(), 4));

  EXPECT_EQ(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED,
            Number(object.get(), 4, &IAccessible::get_accState));
  VARIANT focus;
  ASSERT_EQ(S_OK, object->get_accFocus(&focus));
  EXPECT_EQ(VT_I4, focus.vt);
  EXPECT_EQ(4, focus.lVal);
}

TEST_F(AccessibleWindowTest, ChangesAreAnnouncedForShownElementsOnTheWindowsThread) {
  const WinEvents events;
  ASSERT_TRUE(events.active());
  NotifyElementChange(box_, EVENT_OBJECT_STATECHANGE);
  EXPECT_TRUE(events.WaitFor(EVENT_OBJECT_STATECHANGE, host_->hwnd(), 3));
  NotifyElementChange(edit_, EVENT_OBJECT_VALUECHANGE);
  EXPECT_TRUE(events.WaitFor(EVENT_OBJECT_VALUECHANGE, host_->hwnd(), 2));

  // Not for the window itself, an element not shown, or from another thread.
  WinEvents::seen.clear();
  NotifyElementChange(host_.get(), EVENT_OBJECT_NAMECHANGE);
  NotifyElementChange(host_->children()[6].get(), EVENT_OBJECT_NAMECHANGE);  // the decoration
  std::thread other([this] { NotifyElementChange(label_, EVENT_OBJECT_NAMECHANGE); });
  other.join();
  // A last event of this thread: everything raised before it has arrived too.
  NotifyElementChange(install_, EVENT_OBJECT_STATECHANGE);
  ASSERT_TRUE(events.WaitFor(EVENT_OBJECT_STATECHANGE, host_->hwnd(), 4));
  for (const auto& [event, window, child] : WinEvents::seen) {
    EXPECT_NE(static_cast<DWORD>(EVENT_OBJECT_NAMECHANGE), event) << child;
  }
}

TEST_F(AccessibleWindowTest, TheObjectOutlivesItsWindow) {
  ComPtr<IAccessible> object(CreateAccessibleWindow(host_.get()));
  ASSERT_TRUE(object);
  object->AddRef();
  EXPECT_EQ(1u, object->Release());
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(S_OK, object.As(dispatch));
  ComPtr<IOleWindow> not_offered;
  EXPECT_EQ(E_NOINTERFACE, object.As(not_offered));
  dispatch.reset();

  ::DestroyWindow(host_->hwnd());
  long count = -1;
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, object->get_accChildCount(&count));
  EXPECT_EQ(0, count);
  BSTR name = nullptr;
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, object->get_accName(Child(1), &name));
  EXPECT_EQ(nullptr, name);
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, object->accDoDefaultAction(Child(3)));
  host_.reset();
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, object->get_accChildCount(&count));
}

// Wine: the system's window object answers get_accRole with an error (on
// Windows ROLE_SYSTEM_WINDOW), so the tests know it by its window.
TEST_F(AccessibleWindowTest, TheParentIsTheSystemsWindowObject) {
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  ComPtr<IDispatch> parent;
  ASSERT_EQ(S_OK, object->get_accParent(parent.put()));
  ComPtr<IAccessible> window;
  ASSERT_EQ(S_OK, parent.As(window));
  HWND found = nullptr;
  ASSERT_EQ(S_OK, ::WindowFromAccessibleObject(window.get(), &found));
  EXPECT_EQ(host_->hwnd(), found);
}

TEST_F(AccessibleWindowTest, OtherObjectIdsAreLeftToTheSystem) {
  LRESULT answer = 0;
  EXPECT_FALSE(AnswerAccessibilityMessage(host_.get(), WM_GETOBJECT, 0,
                                          static_cast<LPARAM>(OBJID_WINDOW), &answer));
  // The frame object is the system's: it has a window of its own (IOleWindow),
  // which the client area's object does not offer.
  ComPtr<IAccessible> frame;
  ASSERT_EQ(S_OK, ::AccessibleObjectFromWindow(host_->hwnd(), OBJID_WINDOW, __uuidof(IAccessible),
                                               frame.put_void()));
  ComPtr<IOleWindow> frame_window;
  EXPECT_EQ(S_OK, frame.As(frame_window));
}

}  // namespace
