#include "ui/framework/ui_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/framework/element_test_support.h"
#include "ui/framework/element_factory.h"
#include "ui/framework/ui_resource.h"

namespace brindle::test {
namespace {

// Element nodes with the sizes of the main window's controls.
constexpr char kSkinJson[] = R"({"cfg":{"MainWindow":{
  "InstallButton2":{"id":1001,"size":[515,-160,100,35]},
  "EditPath":{"size":[-250,135,196,61]},
  "CancelButton":{"id":1002,"size":[-195,-96,140,37]},
  "Close":{"id":1000,"size":[-60,45,15,15]},
  "Hidden":{"size":[0,0,0,0]},
  "ThreeSizes":{"size":[10,10,30]},
  "Pane":{"size":[10,10,200,100]},
  "PaneCorner":{"size":[-20,-20,10,10]}
}}})";

class UIObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterElementKind(kElementPane, &MakeElementOf<ProbeElement>));
    ASSERT_TRUE(skin_.Parse(SkinContainer(kSkinJson)));
    ASSERT_TRUE(host_.OpenHost(670, 680));
  }
  void TearDown() override { UnregisterElementKind(kElementPane); }

  ProbeElement* Make(const char* path, UIObject* parent = nullptr) {
    return static_cast<ProbeElement*>(
        CreateElement(path, &skin_, kElementPane, parent ? parent : &host_));
  }

  UIResource skin_;
  ProbeElement host_;
};

TEST_F(UIObjectTest, MainWindowLayoutAnchorsNegativeOffsetsToRightAndBottom) {
  EXPECT_EQ(RectText(host_.rect()), "0,0,670,680");
  const struct {
    const char* path;
    const char* rect;
  } cases[] = {
      {"MainWindow/InstallButton2", "515,520,615,555"},
      {"MainWindow/EditPath", "420,135,616,196"},
      {"MainWindow/CancelButton", "475,584,615,621"},
      {"MainWindow/Close", "610,45,625,60"},
  };
  for (const auto& c : cases) {
    ProbeElement* element = Make(c.path);
    ASSERT_NE(element, nullptr) << c.path;
    EXPECT_EQ(RectText(element->rect()), c.rect) << c.path;
  }
  EXPECT_EQ(Make("MainWindow/InstallButton2")->command_id(), 1001);
}

TEST_F(UIObjectTest, ElementsWithoutPositiveSizeStayEmptyAndAreNeverHit) {
  ProbeElement* hidden = Make("MainWindow/Hidden");
  ProbeElement* three = Make("MainWindow/ThreeSizes");
  EXPECT_TRUE(::IsRectEmpty(&hidden->rect()));
  EXPECT_EQ(three->size_w(), 0);  // A "size" of 3 elements reads as 0, 0, 0, 0.
  EXPECT_TRUE(::IsRectEmpty(&three->rect()));
  EXPECT_EQ(HitTestChildren(&host_, POINT{0, 0}), nullptr);
  EXPECT_EQ(HitTestChildren(&host_, POINT{10, 10}), nullptr);
}

TEST_F(UIObjectTest, ChildrenAreLaidOutInsideTheirParentAndFollowAResize) {
  ProbeElement* pane = Make("MainWindow/Pane");
  ProbeElement* corner = Make("MainWindow/PaneCorner", pane);
  ProbeElement* button = Make("MainWindow/InstallButton2");
  EXPECT_EQ(RectText(pane->rect()), "10,10,210,110");
  EXPECT_EQ(RectText(corner->rect()), "190,90,200,100");

  const int resized = host_.resized;
  host_.ResizeWindow(700, 720);
  EXPECT_EQ(host_.resized, resized + 1);
  EXPECT_EQ(RectText(host_.rect()), "0,0,700,720");
  EXPECT_EQ(RectText(button->rect()), "515,560,615,595");
  EXPECT_EQ(RectText(corner->rect()), "190,90,200,100");
}

TEST_F(UIObjectTest, AnchoringOffTakesNegativeOffsetsFromTheLeftAndTop) {
  auto element = std::make_unique<ProbeElement>();
  element->set_anchoring_off(true);
  element->set_size(-10, -20, 30, 40);
  UIObject* added = AppendChild(&host_, std::move(element));
  LayoutTree(added);
  EXPECT_EQ(RectText(added->rect()), "-10,-20,20,20");
}

TEST_F(UIObjectTest, FactoryMakesOnlyRegisteredFactoryKinds) {
  EXPECT_FALSE(RegisterElementKind(kElementFrameWindow, &MakeElementOf<ProbeElement>));
  EXPECT_FALSE(RegisterElementKind(0, &MakeElementOf<ProbeElement>));
  EXPECT_FALSE(RegisterElementKind(16, &MakeElementOf<ProbeElement>));
  EXPECT_FALSE(RegisterElementKind(kElementButton, nullptr));
  for (int kind :
       {0, int{kElementButton}, int{kElementFrameWindow}, int{kElementEditBox}, 16, -1}) {
    EXPECT_EQ(CreateElement("MainWindow/Close", &skin_, kind, &host_), nullptr) << kind;
  }
  EXPECT_EQ(CreateElement("MainWindow/Close", &skin_, kElementPane, nullptr), nullptr);
  EXPECT_TRUE(host_.children().empty());

  UIObject* made = CreateElement("MainWindow/Close", &skin_, kElementPane, &host_);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->parent(), &host_);
  ASSERT_EQ(host_.children().size(), 1u);
  EXPECT_EQ(host_.children()[0].get(), made);
}

TEST_F(UIObjectTest, CreateElementWithoutResourceReadsNothing) {
  UIObject* made = CreateElement("MainWindow/Close", nullptr, kElementPane, &host_);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->command_id(), 0);
  EXPECT_TRUE(::IsRectEmpty(&made->rect()));
}

TEST_F(UIObjectTest, SetPositionKeepsSizeForNegativeValuesAndRelays) {
  ProbeElement* element = Make("MainWindow/Close");
  SetPosition(element, 20, 30, -1, -1);
  EXPECT_EQ(RectText(element->rect()), "20,30,35,45");
  SetPosition(element, 20, 30, 50, -5);
  EXPECT_EQ(RectText(element->rect()), "20,30,70,45");
  // A non-positive size stores the values but computes no rectangle.
  SetPosition(element, 1, 2, 0, 10);
  EXPECT_EQ(element->size_w(), 0);
  EXPECT_EQ(RectText(element->rect()), "20,30,70,45");
}

TEST_F(UIObjectTest, TimerIdsFollowTheLargestIdInUse) {
  ::ShowWindow(host_.hwnd(), SW_SHOWNA);
  ProbeElement* element = Make("MainWindow/Close");
  std::vector<UINT_PTR> ids;
  for (int i = 0; i < 4; ++i) ids.push_back(SetElementTimer(element, 60000));
  EXPECT_EQ(ids, (std::vector<UINT_PTR>{1, 2, 3, 4}));
  EXPECT_TRUE(KillElementTimer(2, element));
  EXPECT_TRUE(KillElementTimer(3, &host_));
  EXPECT_EQ(SetElementTimer(element, 60000), 5u);
  EXPECT_TRUE(KillElementTimer(1, element));
  EXPECT_TRUE(KillElementTimer(4, element));
  EXPECT_TRUE(KillElementTimer(5, element));
  EXPECT_EQ(SetElementTimer(element, 60000), 1u);
}

TEST_F(UIObjectTest, TimersReachTheElementThatSetThem) {
  ::ShowWindow(host_.hwnd(), SW_SHOWNA);
  ProbeElement* first = Make("MainWindow/Close");
  ProbeElement* second = Make("MainWindow/Pane");
  const UINT_PTR id1 = SetElementTimer(first, 10);
  const UINT_PTR id2 = SetElementTimer(second, 10);
  EXPECT_TRUE(PumpUntil([&] { return !first->timer_ids.empty() && !second->timer_ids.empty(); }));
  EXPECT_EQ(first->timer_ids[0], id1);
  EXPECT_EQ(second->timer_ids[0], id2);
  KillElementTimer(id1, first);
  KillElementTimer(id2, second);
}

TEST_F(UIObjectTest, UnknownTimerIdsAreKilled) {
  ::ShowWindow(host_.hwnd(), SW_SHOWNA);
  ASSERT_TRUE(::SetTimer(host_.hwnd(), 77, 60000, nullptr));
  EXPECT_EQ(::SendMessageW(host_.hwnd(), WM_TIMER, 77, 0), 0);
  EXPECT_FALSE(::KillTimer(host_.hwnd(), 77));  // Already gone.
}

TEST_F(UIObjectTest, KillElementTimerOnAHiddenHostLeavesTheTimerRunning) {
  ProbeElement* element = Make("MainWindow/Close");
  ASSERT_FALSE(::IsWindowVisible(host_.hwnd()));
  const UINT_PTR id = SetElementTimer(element, 10);
  ASSERT_EQ(id, 1u);
  EXPECT_FALSE(KillElementTimer(id, element));
  EXPECT_TRUE(PumpUntil([&] { return element->timer_ids.size() >= 2; }));
  ::ShowWindow(host_.hwnd(), SW_SHOWNA);
  EXPECT_TRUE(KillElementTimer(id, element));
}

TEST_F(UIObjectTest, TimersNeedAHostWindow) {
  ProbeElement orphan;
  EXPECT_EQ(SetElementTimer(&orphan, 10), 0u);
  EXPECT_FALSE(KillElementTimer(1, &orphan));
}

TEST_F(UIObjectTest, ZOrderOnlyPositionChangesNeitherLayOutNorCallOnPosChanged) {
  const int resized = host_.resized;
  const int pos_changed = host_.pos_changed;
  WINDOWPOS pos = {};
  pos.hwnd = host_.hwnd();
  pos.flags = SWP_NOSIZE | SWP_NOMOVE;
  ::SendMessageW(host_.hwnd(), WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  ::SetWindowPos(host_.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(host_.pos_changed, pos_changed);
  EXPECT_EQ(host_.resized, resized);

  host_.ResizeWindow(600, 500);
  EXPECT_GT(host_.pos_changed, pos_changed);
  EXPECT_EQ(host_.resized, resized + 1);
  EXPECT_EQ(RectText(host_.rect()), "0,0,600,500");
}

// The tool rectangle registered for `element` with the host's tooltip.
std::string ToolRect(HWND tooltip, HWND host, UIObject* element) {
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = host;
  tool.uId = reinterpret_cast<UINT_PTR>(element);
  if (!::SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) return "none";
  return RectText(tool.rect);
}

TEST_F(UIObjectTest, ToolRectanglesFollowLayoutAndVisibility) {
  const HWND tooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, 0, 0, 0, 0,
                                         host_.hwnd(), nullptr, nullptr, nullptr);
  ASSERT_NE(tooltip, nullptr);
  host_.set_tooltip_window(tooltip);
  ProbeElement* element = Make("MainWindow/Close");
  element->set_has_tooltip(true);
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = host_.hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(element);
  tool.lpszText = const_cast<wchar_t*>(L"close");
  ASSERT_TRUE(::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));

  SetPosition(element, 20, 30, -1, -1);
  EXPECT_EQ(ToolRect(tooltip, host_.hwnd(), element), "20,30,35,45");
  SetVisible(element, false);
  EXPECT_EQ(ToolRect(tooltip, host_.hwnd(), element), "-1,-1,0,0");
  SetVisible(element, true);
  EXPECT_EQ(ToolRect(tooltip, host_.hwnd(), element), "20,30,35,45");
  host_.set_tooltip_window(nullptr);
  EXPECT_FALSE(::IsWindow(tooltip));  // Owned by the host.
}

// A window that records the WM_COMMAND messages it receives.
class CommandSink : public CHWindow {
 public:
  std::vector<std::pair<WPARAM, LPARAM>> commands;
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override {
    commands.emplace_back(wparam, lparam);
    return 0;
  }
};

TEST_F(UIObjectTest, CommandsClimbToTheHostAndOnToItsOwner) {
  CommandSink owner;
  ASSERT_TRUE(owner.Create(nullptr, 0, 0, WS_POPUP, 0, L"owner"));
  ProbeElement popup;
  ASSERT_TRUE(popup.OpenHost(100, 100, owner.hwnd()));
  ProbeElement* pane = AddProbe(&popup, "pane", nullptr, 0, 0, 50, 50);
  ProbeElement* button = AddProbe(pane, "button", nullptr, 0, 0, 10, 10);
  button->set_command_id(1001);

  EXPECT_EQ(button->GetHostWindow(), popup.hwnd());
  button->SendToHost(WM_COMMAND, button->command_id(),
                     reinterpret_cast<LPARAM>(button->GetHostWindow()));
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].first, 1001u);
  EXPECT_EQ(owner.commands[0].second, reinterpret_cast<LPARAM>(popup.hwnd()));

  EXPECT_TRUE(button->PostToHost(WM_COMMAND, 1002, 0));
  EXPECT_TRUE(PumpUntil([&] { return owner.commands.size() == 2; }));
  EXPECT_EQ(owner.commands[1].first, 1002u);
}

TEST_F(UIObjectTest, ElementsWithoutHostSendNothing) {
  ProbeElement orphan;
  EXPECT_EQ(orphan.GetHostWindow(), nullptr);
  EXPECT_EQ(orphan.SendToHost(WM_COMMAND, 1, 0), 0);
  EXPECT_EQ(orphan.PostToHost(WM_COMMAND, 1, 0), 0);
  EXPECT_EQ(orphan.GetHostDC(), nullptr);
}

// A host that answers child notifications.
class NotifiedHost : public ProbeElement {
 public:
  std::vector<std::pair<UIObject*, WPARAM>> notes;
  LRESULT OnChildNotify(UIObject* child, UINT message, WPARAM wparam, LPARAM) override {
    if (message == WM_COMMAND) notes.emplace_back(child, wparam);
    return 7;
  }
};

TEST_F(UIObjectTest, ChildNotificationsPassUpToTheFirstElementThatHandlesThem) {
  NotifiedHost host;
  ProbeElement* pane = AddProbe(&host, "pane", nullptr, 0, 0, 50, 50);
  ProbeElement* button = AddProbe(pane, "button", nullptr, 0, 0, 10, 10);
  EXPECT_EQ(button->parent()->OnChildNotify(button, WM_COMMAND, 1003, 0), 7);
  ASSERT_EQ(host.notes.size(), 1u);
  EXPECT_EQ(host.notes[0].first, button);
  EXPECT_EQ(host.notes[0].second, 1003u);
  ProbeElement orphan;
  EXPECT_EQ(orphan.OnChildNotify(button, WM_COMMAND, 1, 0), 0);
}

// Counts its destruction.
class CountedElement : public UIObject {
 public:
  explicit CountedElement(int* deaths) : deaths_(deaths) {}
  ~CountedElement() override { ++*deaths_; }

 private:
  int* deaths_;
};

TEST_F(UIObjectTest, DeletingAnElementDeletesItsWholeSubtreeAndWindow) {
  int deaths = 0;
  auto root = std::make_unique<ProbeElement>();
  ASSERT_TRUE(root->OpenHost(50, 50));
  const HWND window = root->hwnd();
  UIObject* child = AppendChild(root.get(), std::make_unique<CountedElement>(&deaths));
  AppendChild(child, std::make_unique<CountedElement>(&deaths));
  AppendChild(child, std::make_unique<CountedElement>(&deaths));
  root.reset();
  EXPECT_EQ(deaths, 3);
  EXPECT_FALSE(::IsWindow(window));
}

}  // namespace
}  // namespace brindle::test
