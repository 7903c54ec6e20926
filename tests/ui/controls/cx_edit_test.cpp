// CXEdit as the main window's path box (shipped skin, layered host). Editing
// keys, typed characters and SetText go through the host's window procedure as
// messages; clicks, the selection loop, double clicks, Ctrl combinations with
// the real clipboard and typing use real input (xdotool under Wine, SendInput
// on Windows). The caret blink runs on the element timers; the caret and the
// selection are read back from the composed buffer.
#include "ui/controls/cx_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "setup/text_width.h"
#include "tests/ui/controls/controls_test_support.h"
#include "tests/ui/controls/real_input.h"
#include "ui/controls/widget_kinds.h"

namespace brindle::test {
namespace {

constexpr int kLeft = 60;
constexpr int kTop = 60;
// The path box in a 670 x 300 host: (55, 140, 615, 175); margins 8, 5, 105,
// 5, so the text area is (63, 145, 510, 170).
constexpr int kTextLeft = 63;
constexpr int kTextTop = 145;
constexpr int kRowY = 157;

// Replaces the clipboard's contents with `text` (null: nothing). True when
// done.
bool PutOnClipboard(HWND owner, const wchar_t* text) {
  if (!::OpenClipboard(owner)) return false;
  ::EmptyClipboard();
  bool done = true;
  if (text) {
    const size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* data = block ? ::GlobalLock(block) : nullptr;
    if (data) {
      std::memcpy(data, text, bytes);
      ::GlobalUnlock(block);
    }
    done = data && ::SetClipboardData(CF_UNICODETEXT, block);
    if (!done && block) ::GlobalFree(block);
  }
  ::CloseClipboard();
  return done;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!::OpenClipboard(nullptr)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = chars;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

// A timer procedure that stops its timer and releases the mouse capture.
void CALLBACK TakeCaptureAway(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::ReleaseCapture();
}

class CXEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWidgetKinds();
    ASSERT_TRUE(LoadShippedSkin(skin_));
    ASSERT_TRUE(host_.Open(670, 300, kLeft, kTop, L"brindle text editor test"));
    ASSERT_NE(host_.buffer_bits(), nullptr);
    ::SetWindowPos(host_.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // An opaque background under the editor: presses on transparent pixels
    // of a layered window would reach the window below.
    background_ = AddProbe(&host_, "background", nullptr, 0, 0, 670, 300);
    background_->paint_color = 0xFFFFFFFF;
    host_.Invalidate(nullptr, true);
    auto edit = std::make_unique<CXEdit>();
    ASSERT_TRUE(edit->LoadSkin(&skin_, "MainWindow/EditBoxPath", nullptr));
    edit_ = static_cast<CXEdit*>(AppendChild(&host_, std::move(edit)));
    LayoutTree(edit_);
  }
  void TearDown() override {
    if (::GetCapture()) ::ReleaseCapture();
  }

  HWND window() const { return host_.hwnd(); }
  // Change notifications the editor sent to its parent (the host).
  int Changes() const {
    int count = 0;
    for (const auto& report : host_.reports) {
      count += report.from_child && report.child == edit_ &&
               report.wparam == CXEdit::kChangeNotification && report.lparam == 0;
    }
    return count;
  }
  // Client x of the boundary before character `index` of the text.
  int BoundaryX(int index) const {
    return kTextLeft + TextWidth(edit_->GetHostDC(), edit_->text().substr(0, index));
  }
  // A key message as if typed alone. Real input before may have left the
  // release of Shift or Ctrl in the queue (xdotool holds Shift for "<"), and
  // GetKeyState reports the state as of the last message retrieved: those
  // releases are taken first.
  void Key(WORD key) {
    ASSERT_TRUE(PumpUntil(
        [] { return ::GetKeyState(VK_SHIFT) >= 0 && ::GetKeyState(VK_CONTROL) >= 0; }, 3000));
    ::SendMessageW(window(), WM_KEYDOWN, key, 0);
  }
  void Char(wchar_t ch) { ::SendMessageW(window(), WM_CHAR, ch, 0); }
  // A press at client x and a drag to x `to`, as messages: the drag and the
  // release are queued for the editor's selection loop, which the press
  // starts. The press gives the editor the focus.
  void DragByMessages(int from, int to) {
    host_.MoveTo(from, kRowY);
    ::PostMessageW(window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, kRowY));
    ::PostMessageW(window(), WM_LBUTTONUP, 0, MAKELPARAM(to, kRowY));
    host_.Press(from, kRowY);
  }
  // Sets the text, then selects from boundary `from` to boundary `to`: the
  // caret stays at `from`.
  void SetTextAndSelect(const wchar_t* text, int from, int to) {
    edit_->SetText(text);
    DragByMessages(BoundaryX(from), BoundaryX(to));
    ASSERT_EQ(edit_->selection_start(), std::min(from, to));
    ASSERT_EQ(edit_->selection_end(), std::max(from, to));
    ASSERT_EQ(edit_->caret(), from);
    ASSERT_EQ(host_.focus_child(), edit_);
  }
  // Gives the editor the focus with a click right of its text (caret at the
  // end).
  void Focus() {
    DragByMessages(500, 500);
    ASSERT_EQ(host_.focus_child(), edit_);
  }

  // Real input steps on the editor's row (client coordinates).
  static InputAction At(int x, int y = kRowY) { return InputAction::Move(kLeft + x, kTop + y); }
  InputStep Press(int x, int y = kRowY) {
    return {{InputAction::Focus(window()), At(x, y), InputAction::Down()},
            MessageAt(WM_LBUTTONDOWN, window(), x, y)};
  }
  InputStep Move(int x, int y = kRowY) {
    return {{At(x, y)}, MessageAt(WM_MOUSEMOVE, window(), x, y)};
  }
  InputStep Release() { return {{InputAction::Up()}, MessageOf(WM_LBUTTONUP, window())}; }
  InputStep Click(int x) {
    return {{InputAction::Focus(window()), At(x, kRowY), InputAction::Down(), InputAction::Up()},
            MessageOf(WM_LBUTTONUP, window())};
  }
  InputStep CtrlKey(char letter) {
    return {{InputAction::Focus(window()), InputAction::Key(letter, true)},
            KeyDownOf(static_cast<WORD>(letter))};
  }
  bool RunInput(std::vector<InputStep> steps) {
    RealInput input;
    const bool done = input.Run(std::move(steps));
    if (!done) ADD_FAILURE() << input.arrived() << " steps arrived; seen:" << input.trace();
    return done;
  }

  // Types `text` into the emptied editor through the X server. A character the keyboard lacks
  // is bound to a spare key code only for a moment, and Wine reads the binding when the program
  // translates the key (the first such key also makes Wine read the whole keyboard again), so a
  // loaded machine can garble one: a try whose text differs is typed again. A fault of the
  // editor fails every try.
  bool TypeThroughTheKeyboard(const std::wstring& text) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      edit_->SetText(L"");
      // Arrived with the last character, when everything before it has arrived too.
      auto last_typed = [this, text](const MSG& msg) {
        return msg.message == WM_CHAR && msg.wParam == text.back() &&
               edit_->text().size() + 1 >= text.size();
      };
      RealInput input;
      if (input.Run({Click(300), {{InputAction::Text(text)}, last_typed}}) &&
          edit_->text() == text) {
        return true;
      }
    }
    return false;
  }

  UIResource skin_;
  ControlHost host_;
  ProbeElement* background_ = nullptr;
  CXEdit* edit_ = nullptr;
};

TEST_F(CXEditTest, SetTextMovesTheCaretOnlyForNewTextAndAlwaysNotifies) {
  EXPECT_EQ(edit_->kind(), kElementEditBox);
  EXPECT_EQ(RectText(edit_->rect()), "55,140,615,175");
  Focus();
  edit_->SetText(L"C:\\Program Files\\Velto");
  EXPECT_EQ(edit_->caret(), 22);
  EXPECT_EQ(Changes(), 1);
  Key(VK_HOME);
  edit_->SetText(L"C:\\Program Files\\Velto");
  EXPECT_EQ(edit_->caret(), 0);
  EXPECT_EQ(Changes(), 2);
  edit_->SetText(L"C:\\program files\\velto");  // Case counts.
  EXPECT_EQ(edit_->caret(), 22);
  EXPECT_EQ(Changes(), 3);
  EXPECT_THROW(edit_->SetText(nullptr), std::invalid_argument);
  EXPECT_EQ(edit_->text(), L"C:\\program files\\velto");
}

// Assistive technology reads the folder as the box's value; the box takes
// typing, unlike the read-only licence box it derives from.
TEST_F(CXEditTest, DescribesItselfAsEditableTextWithItsText) {
  edit_->SetText(L"C:\\Velto");
  const ElementDescription description = edit_->Describe();
  EXPECT_EQ(description.role, ElementRole::kEditableText);
  EXPECT_EQ(description.value, L"C:\\Velto");
  EXPECT_FALSE(description.read_only);
  EXPECT_TRUE(UIEditBox().Describe().read_only);
}

TEST_F(CXEditTest, DeleteAndBackspaceRemoveTheSelection) {
  for (const WORD key : {VK_DELETE, VK_BACK}) {
    SCOPED_TRACE(key);
    SetTextAndSelect(L"abcdef", 1, 3);
    const int changes = Changes();
    Key(key);
    EXPECT_EQ(edit_->text(), L"adef");
    EXPECT_EQ(edit_->caret(), 1);
    EXPECT_FALSE(edit_->HasSelection());
    EXPECT_EQ(Changes(), changes + 1);
  }
}

TEST_F(CXEditTest, BackspaceAtTheStartDoesNothingEvenWithASelection) {
  SetTextAndSelect(L"abcdef", 0, 2);
  const int changes = Changes();
  Key(VK_BACK);
  EXPECT_EQ(edit_->text(), L"abcdef");
  EXPECT_EQ(edit_->selection_end(), 2);
  EXPECT_EQ(Changes(), changes);
  Key(VK_HOME);
  Key(VK_BACK);
  EXPECT_EQ(edit_->text(), L"abcdef");
  EXPECT_EQ(Changes(), changes);
}

TEST_F(CXEditTest, EditingKeysWithoutSelection) {
  Focus();
  edit_->SetText(L"abcdef");
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(edit_->caret(), 4);
  Key(VK_BACK);
  EXPECT_EQ(edit_->text(), L"abcef");
  EXPECT_EQ(edit_->caret(), 3);
  Key(VK_DELETE);
  EXPECT_EQ(edit_->text(), L"abcf");
  EXPECT_EQ(edit_->caret(), 3);
  Key(VK_END);
  EXPECT_EQ(edit_->caret(), 4);
  const int changes = Changes();
  Key(VK_DELETE);  // Nothing to remove, but still a notification.
  EXPECT_EQ(edit_->text(), L"abcf");
  EXPECT_EQ(Changes(), changes + 1);
  Key(VK_RIGHT);
  EXPECT_EQ(edit_->caret(), 4);
  Key(VK_HOME);
  Key(VK_LEFT);
  EXPECT_EQ(edit_->caret(), 0);
  Key(VK_RIGHT);
  EXPECT_EQ(edit_->caret(), 1);
}

TEST_F(CXEditTest, ArrowsCollapseASelectionToItsEnds) {
  // Left: to the selection's start, right: to its end, wherever the caret was.
  const struct {
    int from, to;
    WORD key;
    int caret;
  } cases[] = {
      {1, 3, VK_LEFT, 1},  {3, 1, VK_LEFT, 1}, {1, 3, VK_RIGHT, 3},
      {4, 2, VK_RIGHT, 4}, {1, 3, VK_HOME, 0}, {1, 3, VK_END, 6},
  };
  for (const auto& c : cases) {
    SetTextAndSelect(L"abcdef", c.from, c.to);
    Key(c.key);
    EXPECT_EQ(edit_->caret(), c.caret) << c.from << ".." << c.to << " key " << c.key;
    EXPECT_FALSE(edit_->HasSelection());
  }
}

TEST_F(CXEditTest, CtrlALeftThenTypingGoesBeforeTheText) {
  Focus();
  edit_->SetText(L"C:\\abc");
  ASSERT_TRUE(RunInput({CtrlKey('A'),
                        {{InputAction::Key(VK_LEFT)}, KeyDownOf(VK_LEFT)},
                        {{InputAction::Text(L"<")}, CharOf(L'<')}}));
  EXPECT_EQ(edit_->text(), L"<C:\\abc");
  EXPECT_EQ(edit_->caret(), 1);
}

TEST_F(CXEditTest, ShiftExtendsTheSelectionFromItsAnchor) {
  const struct {
    int caret;               // caret before, no selection
    std::vector<WORD> keys;  // pressed with Shift
    int start, end, after;   // selection and caret after
  } cases[] = {
      {3, {VK_HOME}, 0, 3, 0},
      {3, {VK_END}, 3, 6, 6},
      {3, {VK_LEFT, VK_LEFT}, 1, 3, 1},
      {3, {VK_RIGHT}, 3, 4, 4},
      {3, {VK_LEFT, VK_RIGHT, VK_RIGHT}, 3, 4, 4},  // Back over the anchor.
      {2, {VK_END, VK_HOME}, 0, 2, 0},
      {0, {VK_LEFT}, 0, 0, 0},  // Nothing before the start.
  };
  Focus();
  for (const auto& c : cases) {
    edit_->SetText(L"abcdef");
    Key(VK_HOME);
    for (int i = 0; i < c.caret; ++i) Key(VK_RIGHT);
    // Real keys: Wine takes the Shift state from the X server, not from
    // SetKeyboardState.
    std::vector<InputStep> steps;
    for (const WORD key : c.keys) {
      steps.push_back({{InputAction::Focus(window()), InputAction::ShiftKey(key)}, KeyDownOf(key)});
    }
    ASSERT_TRUE(RunInput(std::move(steps)));
    const std::string label = "from " + std::to_string(c.caret) + ", " +
                              std::to_string(c.keys.size()) + " keys, first " +
                              std::to_string(c.keys.front());
    EXPECT_EQ(edit_->selection_start(), c.start) << label;
    EXPECT_EQ(edit_->selection_end(), c.end) << label;
    EXPECT_EQ(edit_->caret(), c.after) << label;
  }
}

TEST_F(CXEditTest, TabMovesTheFocusAndIsNeverTyped) {
  Focus();
  edit_->SetText(L"abc");
  EXPECT_TRUE(edit_->IsTabStop());
  Char(L'\t');
  EXPECT_EQ(edit_->text(), L"abc");
  // The only tab stop of this host: the focus stays, and nothing is typed.
  ASSERT_TRUE(
      RunInput({{{InputAction::Focus(window()), InputAction::Key(VK_TAB)}, KeyDownOf(VK_TAB)}}));
  EXPECT_EQ(host_.focus_child(), edit_);
  EXPECT_EQ(edit_->text(), L"abc");
  // Enter and Escape are left to the window.
  EXPECT_FALSE(edit_->OnKeyDown(VK_RETURN, 0));
  EXPECT_FALSE(edit_->OnKeyDown(VK_ESCAPE, 0));
}

TEST_F(CXEditTest, ALongPathScrollsToKeepTheCaretInView) {
  std::wstring path = L"C:\\Program Files";
  while (TextWidth(edit_->GetHostDC(), path) < 1200) path += L"\\folder";
  Focus();
  edit_->SetText(path.c_str());  // New text: the caret goes to the end.
  host_.Invalidate(nullptr, true);
  ASSERT_TRUE(edit_->caret_visible());
  constexpr int kAreaRight = 510;
  const int end_x = kTextLeft + TextWidth(edit_->GetHostDC(), path) - edit_->scroll_x();
  EXPECT_GT(edit_->scroll_x(), 0);
  EXPECT_LE(end_x, kAreaRight);
  EXPECT_GT(end_x, kAreaRight - 10);
  // Home brings the start back; End the end again.
  Key(VK_HOME);
  host_.Invalidate(nullptr, true);
  EXPECT_EQ(edit_->scroll_x(), 0);
  Key(VK_END);
  host_.Invalidate(nullptr, true);
  EXPECT_EQ(kTextLeft + TextWidth(edit_->GetHostDC(), path) - edit_->scroll_x(), end_x);
  // A click lands on the character drawn there: the scrolled text.
  DragByMessages(kTextLeft + 1, kTextLeft + 1);
  EXPECT_GT(edit_->caret(), 0);
  // Shortened to fit, the text scrolls back.
  edit_->SetText(L"C:\\short");
  host_.Invalidate(nullptr, true);
  EXPECT_EQ(edit_->scroll_x(), 0);
}

TEST_F(CXEditTest, EveryCharacterFromTheSpaceUpIsTypedButControlCharacters) {
  const struct {
    wchar_t ch;
    bool typed;
  } cases[] = {
      {L' ', true},      {L'!', true},       {L'~', true},       {L'\x00E9', true},
      {L'\x4E2D', true}, {L'\xFF01', true},  {L'\xFFFD', true},  {L'\x00A0', true},
      {L'\x1F', false},  {L'\t', false},     {L'\r', false},     {L'\x08', false},
      {L'\x7F', false},  {L'\x0080', false}, {L'\x009F', false}, {L'\x0001', false},
  };
  Focus();
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.ch));
    edit_->SetText(L"ab");
    const int changes = Changes();
    Char(c.ch);
    EXPECT_EQ(edit_->text(), c.typed ? std::wstring(L"ab") + c.ch : std::wstring(L"ab"));
    EXPECT_EQ(edit_->caret(), c.typed ? 3 : 2);
    EXPECT_EQ(Changes(), changes + (c.typed ? 1 : 0));
  }
}

TEST_F(CXEditTest, ASurrogatePairGoesInWholeAndStaysWhole) {
  Focus();
  edit_->SetText(L"ab");
  Key(VK_LEFT);
  const int changes = Changes();
  Char(L'\xD842');  // U+20BB7 as its pair: nothing yet.
  EXPECT_EQ(edit_->text(), L"ab");
  EXPECT_EQ(Changes(), changes);
  Char(L'\xDFB7');
  EXPECT_EQ(edit_->text(),
            L"a\xD842\xDFB7"
            L"b");
  EXPECT_EQ(edit_->caret(), 3);
  EXPECT_EQ(Changes(), changes + 1);
  // Halves without their partner are dropped.
  Char(L'\xDFB7');
  Char(L'\xD842');
  Char(L'x');
  EXPECT_EQ(edit_->text(), L"a\xD842\xDFB7xb");
  // The caret steps over the pair; Backspace and Delete take it whole.
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(edit_->caret(), 1);
  Key(VK_RIGHT);
  EXPECT_EQ(edit_->caret(), 3);
  Key(VK_BACK);
  EXPECT_EQ(edit_->text(), L"axb");
  EXPECT_EQ(edit_->caret(), 1);
  edit_->SetText(L"a\xD842\xDFB7");
  Key(VK_HOME);
  Key(VK_RIGHT);
  Key(VK_DELETE);
  EXPECT_EQ(edit_->text(), L"a");
  // No click lands between the halves.
  edit_->SetText(L"\xD842\xDFB7\xD842\xDFB7");
  const HDC dc = edit_->GetHostDC();
  for (int x = kTextLeft; x < BoundaryX(4) + 3; ++x) {
    EXPECT_EQ(edit_->HitTest(dc, {x, kRowY}) % 2, 0) << x;
  }
}

TEST_F(CXEditTest, TypingReplacesTheSelection) {
  SetTextAndSelect(L"abcdef", 1, 3);
  Char(L'X');
  EXPECT_EQ(edit_->text(), L"aXdef");
  EXPECT_EQ(edit_->caret(), 2);
  EXPECT_FALSE(edit_->HasSelection());
}

TEST_F(CXEditTest, RealTypingTakesSpacesAndChineseFolderNames) {
  const wchar_t* const folders[] = {L"C:\\Program Files\\Velto", L"D:\\软件\\维尔托 Velto"};
  for (const wchar_t* folder : folders) {
    const std::wstring text = folder;
    ASSERT_TRUE(TypeThroughTheKeyboard(text));
    EXPECT_EQ(edit_->text(), text);
    EXPECT_EQ(edit_->caret(), static_cast<int>(text.size()));
  }
}

TEST_F(CXEditTest, HitTestPicksTheNearestBoundary) {
  edit_->SetText(L"abcdef");
  const HDC dc = edit_->GetHostDC();
  EXPECT_EQ(edit_->HitTest(dc, {kTextLeft - 3, kRowY}), 0);  // Left margin.
  EXPECT_EQ(edit_->HitTest(dc, {BoundaryX(6), kRowY}), 6);   // Right of the text.
  EXPECT_EQ(edit_->HitTest(dc, {500, kRowY}), 6);
  EXPECT_EQ(edit_->HitTest(dc, {BoundaryX(3), 100}), 0);  // Above the element.
  EXPECT_EQ(edit_->HitTest(dc, {BoundaryX(6) + 5, 100}), 6);
  for (int i = 1; i <= 6; ++i) {
    SCOPED_TRACE(i);
    const int before = BoundaryX(i - 1);
    const int after = BoundaryX(i);
    EXPECT_EQ(edit_->HitTest(dc, {before + 1, kRowY}), after - before > 2 ? i - 1 : i);
    EXPECT_EQ(edit_->HitTest(dc, {after - 1, kRowY}), i);
    // Exactly half way: the boundary before.
    if ((after - before) % 2 == 0) {
      EXPECT_EQ(edit_->HitTest(dc, {(before + after) / 2, kRowY}), i - 1);
    }
  }
}

TEST_F(CXEditTest, ClicksRightOfTheTextAndInTheMarginPlaceTheCaret) {
  edit_->SetText(L"abcdef");
  edit_->OnKeyDown(VK_HOME, 0);
  ASSERT_TRUE(RunInput({Click(400)}));
  EXPECT_EQ(edit_->caret(), 6);
  EXPECT_FALSE(edit_->HasSelection());
  EXPECT_EQ(host_.focus_child(), edit_);
  ASSERT_TRUE(RunInput({Click(58)}));
  EXPECT_EQ(edit_->caret(), 0);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(CXEditTest, DraggingBeyondTheEndSelectsToTheEnd) {
  edit_->SetText(L"abcdef");
  ASSERT_TRUE(
      RunInput({Press(BoundaryX(2)), Move(BoundaryX(4)), Move(450), Move(450, 250), Release()}));
  EXPECT_EQ(edit_->selection_start(), 2);
  EXPECT_EQ(edit_->selection_end(), 6);
  EXPECT_EQ(edit_->caret(), 2);
  EXPECT_TRUE(edit_->caret_visible());
}

TEST_F(CXEditTest, EscapeEndsTheSelectionLoop) {
  edit_->SetText(L"abcdef");
  ASSERT_TRUE(RunInput({Press(BoundaryX(1)),
                        Move(BoundaryX(3)),
                        {{InputAction::Key(VK_ESCAPE)}, KeyDownOf(VK_ESCAPE)},
                        Move(BoundaryX(5)),
                        Release()}));
  EXPECT_EQ(edit_->selection_start(), 1);
  EXPECT_EQ(edit_->selection_end(), 3);
  EXPECT_EQ(edit_->text(), L"abcdef");
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(CXEditTest, BackspaceWhileDraggingEndsTheSelectionInsideTheShorterText) {
  edit_->SetText(L"abcdef");
  const int old_two = BoundaryX(2);
  // Dragged from the end of "abcde" back to "a": the anchor (5) lies beyond
  // the text that Backspace leaves ("af").
  ASSERT_TRUE(RunInput({Press(BoundaryX(5)),
                        Move(BoundaryX(1)),
                        {{InputAction::Key(VK_BACK)}, KeyDownOf(VK_BACK)},
                        Move(old_two),
                        Move(450),
                        Release()}));
  EXPECT_EQ(edit_->text(), L"af");
  EXPECT_EQ(edit_->caret(), 1);
  EXPECT_FALSE(edit_->HasSelection());
  EXPECT_EQ(::GetCapture(), nullptr);
  host_.Invalidate(nullptr, true);  // Paints without reading past the end.
}

TEST_F(CXEditTest, DoubleClickAndCtrlASelectEverything) {
  edit_->SetText(L"abcdef");
  ASSERT_TRUE(RunInput({{{InputAction::Focus(window()), At(BoundaryX(2)), InputAction::Down(),
                          InputAction::Up(), InputAction::Down(), InputAction::Up()},
                         MessageOf(WM_LBUTTONDBLCLK, window())},
                        {{}, MessageOf(WM_LBUTTONUP, window())}}));
  EXPECT_EQ(edit_->selection_start(), 0);
  EXPECT_EQ(edit_->selection_end(), 6);
  EXPECT_EQ(edit_->caret(), 6);

  Key(VK_HOME);
  ASSERT_FALSE(edit_->HasSelection());
  ASSERT_TRUE(RunInput({CtrlKey('A')}));
  EXPECT_EQ(edit_->selection_start(), 0);
  EXPECT_EQ(edit_->selection_end(), 6);
  EXPECT_EQ(edit_->caret(), 6);
  EXPECT_TRUE(edit_->caret_visible());
  EXPECT_EQ(edit_->text(), L"abcdef");  // The Ctrl+A character is not typed.
}

TEST_F(CXEditTest, CopyAndCutPutTheSelectionOnTheClipboard) {
  SetTextAndSelect(L"abcdef", 1, 3);
  ASSERT_TRUE(PutOnClipboard(window(), L"old"));
  ASSERT_TRUE(RunInput({CtrlKey('C')}));
  EXPECT_EQ(ClipboardText(), L"bc");
  EXPECT_EQ(edit_->text(), L"abcdef");

  const int changes = Changes();
  ASSERT_TRUE(RunInput({CtrlKey('X')}));
  EXPECT_EQ(ClipboardText(), L"bc");
  EXPECT_EQ(edit_->text(), L"adef");
  EXPECT_EQ(edit_->caret(), 1);
  EXPECT_FALSE(edit_->HasSelection());
  EXPECT_EQ(Changes(), changes + 1);

  // Without a selection neither touches the clipboard.
  ASSERT_TRUE(PutOnClipboard(window(), L"kept"));
  ASSERT_TRUE(RunInput({CtrlKey('C'), CtrlKey('X')}));
  EXPECT_EQ(ClipboardText(), L"kept");
  EXPECT_EQ(edit_->text(), L"adef");
}

TEST_F(CXEditTest, PasteInsertsTheClipboardTextUnchangedAtTheCaret) {
  SetTextAndSelect(L"wxyz", 2, 1);
  ASSERT_TRUE(PutOnClipboard(window(), L"a b \x00E9\x4E2D"));
  const int changes = Changes();
  ASSERT_TRUE(RunInput({CtrlKey('V')}));
  EXPECT_EQ(edit_->text(), L"wxa b \x00E9\x4E2Dyz");
  EXPECT_EQ(edit_->caret(), 8);
  EXPECT_EQ(Changes(), changes + 1);
  // The selection is neither replaced nor moved.
  EXPECT_EQ(edit_->selection_start(), 1);
  EXPECT_EQ(edit_->selection_end(), 2);

  ASSERT_TRUE(PutOnClipboard(window(), nullptr));
  ASSERT_TRUE(RunInput({CtrlKey('V')}));
  EXPECT_EQ(edit_->text(), L"wxa b \x00E9\x4E2Dyz");
  EXPECT_EQ(Changes(), changes + 1);
}

TEST_F(CXEditTest, TheCaretBlinksOnTheElementTimerWhileFocused) {
  edit_->SetText(L"abc");
  EXPECT_EQ(edit_->blink_timer(), CXEdit::kNoTimer);
  ASSERT_TRUE(RunInput({Click(300)}));
  EXPECT_TRUE(edit_->caret_visible());
  EXPECT_GT(edit_->blink_timer(), 0);
  EXPECT_TRUE(PumpUntil([this] { return !edit_->caret_visible(); }, 3000));
  EXPECT_TRUE(PumpUntil([this] { return edit_->caret_visible(); }, 3000));
  Key(VK_ESCAPE);
  EXPECT_FALSE(edit_->caret_visible());
  EXPECT_TRUE(PumpUntil([this] { return edit_->caret_visible(); }, 3000));

  // A press elsewhere takes the focus away: no caret, no timer.
  ASSERT_TRUE(RunInput({Click(650)}));
  EXPECT_EQ(host_.focus_child(), background_);
  EXPECT_FALSE(edit_->caret_visible());
  EXPECT_EQ(edit_->blink_timer(), CXEdit::kNoTimer);
}

TEST_F(CXEditTest, AnyOtherTimerReachingTheEditorIsStopped) {
  const UINT_PTR id = SetElementTimer(edit_, 1);
  ASSERT_NE(id, 0u);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&msg);
    if (msg.message == WM_TIMER && msg.wParam == id) break;
  }
  EXPECT_FALSE(::KillTimer(window(), id));
}

TEST_F(CXEditTest, PaintsTheCaretAndTheSelection) {
  const int height = 25;
  edit_->SetText(L"ace");
  ASSERT_TRUE(RunInput({Click(400)}));
  ASSERT_TRUE(edit_->caret_visible());
  const int caret_x = BoundaryX(3) + 2;
  const int caret_top = kTextTop + (height - 16) / 2;
  auto dark = [](uint32_t pixel) {
    return (pixel & 0xFF) < 0x40 && ((pixel >> 8) & 0xFF) < 0x40 && ((pixel >> 16) & 0xFF) < 0x40;
  };
  EXPECT_TRUE(dark(host_.Pixel(caret_x, caret_top + 7)));
  EXPECT_TRUE(dark(host_.Pixel(caret_x, caret_top + 1)));
  EXPECT_FALSE(dark(host_.Pixel(caret_x, caret_top + 16)));
  EXPECT_FALSE(dark(host_.Pixel(caret_x + 4, caret_top + 7)));
  const uint32_t background = host_.Pixel(caret_x + 4, caret_top + 7);

  // "ce" selected: the fill starts 2 pixels right of "a", 17 rows high.
  SetTextAndSelect(L"ace", 1, 3);
  const int fill_left = BoundaryX(1) + 2;
  const int fill_top = kTextTop + (height - 18) / 2;
  EXPECT_EQ(host_.Pixel(fill_left, fill_top), CXEdit::kSelectionColor);
  EXPECT_EQ(host_.Pixel(fill_left + 1, fill_top + 16), CXEdit::kSelectionColor);
  EXPECT_EQ(host_.Pixel(fill_left - 1, fill_top), background);
  EXPECT_EQ(host_.Pixel(fill_left + 1, fill_top + 17), background);
  // No caret with a selection.
  EXPECT_FALSE(dark(host_.Pixel(BoundaryX(1) + 2, caret_top + 7)) &&
               dark(host_.Pixel(BoundaryX(1) + 2, caret_top + 1)));
}

TEST_F(CXEditTest, ShorterTextCutsAKeptSelection) {
  SetTextAndSelect(L"abcdef", 2, 5);
  edit_->SetText(L"abc");
  EXPECT_EQ(edit_->caret(), 3);
  EXPECT_EQ(edit_->selection_start(), 2);
  EXPECT_EQ(edit_->selection_end(), 3);
  edit_->SetText(L"a");
  EXPECT_FALSE(edit_->HasSelection());
  Key(VK_DELETE);
  Key(VK_LEFT);
  EXPECT_EQ(edit_->text(), L"a");
  host_.Invalidate(nullptr, true);  // Paints without reading past the end.
}

TEST_F(CXEditTest, SelectionLoopEndsWhenTheCaptureIsLost) {
  edit_->SetText(L"abcdef");
  // Dispatched inside the loop: takes the capture away.
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 1, &TakeCaptureAway);
  ASSERT_NE(timer, 0u);
  host_.MoveTo(BoundaryX(1), kRowY);
  host_.Press(BoundaryX(1), kRowY);  // Returns once the capture is gone.
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_EQ(edit_->caret(), 1);
  EXPECT_TRUE(edit_->caret_visible());
}

TEST_F(CXEditTest, AQuitRequestEndsTheSelectionLoopAndStaysQueued) {
  edit_->SetText(L"abcdef");
  ::PostQuitMessage(7);
  host_.MoveTo(BoundaryX(2), kRowY);
  host_.Press(BoundaryX(2), kRowY);
  EXPECT_EQ(::GetCapture(), nullptr);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(CXEditTest, TextBeyondTheRightMarginIsClipped) {
  std::wstring long_text;
  while (TextWidth(edit_->GetHostDC(), long_text) < 600) long_text += L"W";
  edit_->SetText(long_text.c_str());
  // The text area ends at 510; right of it lies the margin where the browse
  // button sits: only background there, however the text is scrolled.
  const uint32_t margin = host_.Pixel(560, kRowY);
  for (int x = 512; x < 600; x += 4) EXPECT_EQ(host_.Pixel(x, kRowY), margin) << x;
  bool drawn = false;
  for (int x = 70; x < 500 && !drawn; ++x) drawn = host_.Pixel(x, kRowY) != margin;
  EXPECT_TRUE(drawn);
  Focus();
  Key(VK_HOME);
  Key(VK_END);
  ASSERT_TRUE(edit_->caret_visible());
  for (int x = 512; x < 600; x += 1) EXPECT_EQ(host_.Pixel(x, kRowY), margin) << x;
}

}  // namespace
}  // namespace brindle::test
