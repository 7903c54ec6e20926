// Real pointer and keyboard input for tests whose outcome depends on the path
// input takes (mouse capture, the modal loops of the scroll bar and the text
// editor, double clicks, focus). Under Wine the input comes from the X server
// through xdotool (a Unix program, started through Wine; DISPLAY is the
// private Xvfb); on Windows through SendInput.
//
// A script is a list of steps. Each step sends some input and names the
// message whose retrieval by this thread shows that the input arrived; only
// then is the next step sent. Retrieval is watched with a WH_GETMESSAGE hook,
// so steps advance inside modal loops too, where the test's own code does not
// run. A watchdog releases the mouse capture (which ends the modal loops)
// when a script does not finish in time, so a lost event fails the test
// instead of hanging it.
#ifndef BRINDLE_TESTS_UI_CONTROLS_REAL_INPUT_H_
#define BRINDLE_TESTS_UI_CONTROLS_REAL_INPUT_H_

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/ui/framework/element_test_support.h"

namespace brindle::test {

// One piece of input. Coordinates are screen pixels.
struct InputAction {
  enum Kind { kMove, kDown, kUp, kKey, kText, kFocus };
  Kind kind;
  int x = 0;
  int y = 0;
  // kKey: the virtual key; with `ctrl`, `alt` or `shift`, pressed while
  // Control, Alt or Shift is held.
  WORD key = 0;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  // kText: typed character by character: under Wine each through its
  // Unicode key symbol, on Windows ASCII through its keys and the rest as
  // KEYEVENTF_UNICODE input (a pair for characters beyond the BMP).
  std::wstring text;
  // kFocus: the window to activate and give the keyboard focus when the
  // step is sent (under Wine also the X input focus, before the step's
  // other actions). Put it in the same step as the input that needs it.
  HWND window = nullptr;

  static InputAction Move(int x, int y) {
    InputAction action(kMove);
    action.x = x;
    action.y = y;
    return action;
  }
  static InputAction Down() { return InputAction(kDown); }
  static InputAction Up() { return InputAction(kUp); }
  static InputAction Key(WORD key, bool ctrl = false) {
    InputAction action(kKey);
    action.key = key;
    action.ctrl = ctrl;
    return action;
  }
  static InputAction ShiftKey(WORD key) {
    InputAction action(kKey);
    action.key = key;
    action.shift = true;
    return action;
  }
  static InputAction AltKey(WORD key) {
    InputAction action(kKey);
    action.key = key;
    action.alt = true;
    return action;
  }
  static InputAction Text(std::wstring text) {
    InputAction action(kText);
    action.text = std::move(text);
    return action;
  }
  static InputAction Focus(HWND window) {
    InputAction action(kFocus);
    action.window = window;
    return action;
  }

 private:
  explicit InputAction(Kind kind) : kind(kind) {}
};

struct InputStep {
  InputStep(std::vector<InputAction> actions, std::function<bool(const MSG&)> arrived)
      : actions(std::move(actions)), arrived(std::move(arrived)) {}

  std::vector<InputAction> actions;
  // True for the message (as retrieved by this thread) that shows the step's
  // input arrived.
  std::function<bool(const MSG&)> arrived;
};

// Arrival predicates for common steps.
inline std::function<bool(const MSG&)> MessageAt(UINT message, HWND window, int x, int y) {
  return [=](const MSG& msg) {
    return msg.message == message && msg.hwnd == window &&
           static_cast<short>(LOWORD(msg.lParam)) == x &&
           static_cast<short>(HIWORD(msg.lParam)) == y;
  };
}
inline std::function<bool(const MSG&)> MessageOf(UINT message, HWND window) {
  return [=](const MSG& msg) { return msg.message == message && msg.hwnd == window; };
}
inline std::function<bool(const MSG&)> KeyDownOf(WORD key) {
  return [=](const MSG& msg) { return msg.message == WM_KEYDOWN && msg.wParam == key; };
}
inline std::function<bool(const MSG&)> CharOf(wchar_t ch) {
  return [=](const MSG& msg) { return msg.message == WM_CHAR && msg.wParam == ch; };
}

class RealInput {
 public:
  RealInput() { active_ = this; }
  ~RealInput() {
    Stop();
    active_ = nullptr;
  }
  RealInput(const RealInput&) = delete;
  RealInput& operator=(const RealInput&) = delete;

  // Whether input comes from xdotool (Wine) rather than SendInput.
  static bool UsesX() {
    return ::GetFileAttributesW(L"Z:\\usr\\bin\\xdotool") != INVALID_FILE_ATTRIBUTES;
  }

  // Runs the steps in order and dispatches this thread's messages until the
  // last step arrived or `timeout_ms` passed. True when every step arrived.
  bool Run(std::vector<InputStep> steps, DWORD timeout_ms = 10000) {
    steps_ = std::move(steps);
    next_ = 0;
    timed_out_ = false;
    trace_.clear();
    hook_ =
        ::SetWindowsHookExW(WH_GETMESSAGE, &RealInput::HookProc, nullptr, ::GetCurrentThreadId());
    watchdog_ = ::SetTimer(nullptr, 0, timeout_ms, &RealInput::Watchdog);
    SendCurrent();
    PumpUntil([this] { return Finished() || timed_out_; }, timeout_ms + 1000);
    const bool done = Finished() && !timed_out_;
    Stop();
    // A step that never arrived may leave the button held for whatever runs
    // next.
    if (!done) Send({InputAction::Up()});
    return done;
  }

  // Steps that arrived so far.
  size_t arrived() const { return next_; }
  // The mouse and keyboard messages this thread retrieved during the last
  // Run ("message@x,y" or "message:key"), to explain a step that never
  // arrived.
  std::string trace() const { return trace_; }
  bool timed_out() const { return timed_out_; }

 private:
  bool Finished() const { return next_ >= steps_.size(); }

  void Advance() {
    ++next_;
    SendCurrent();
  }

  void SendCurrent() {
    if (next_ < steps_.size()) Send(steps_[next_].actions);
  }

  void Stop() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (watchdog_) ::KillTimer(nullptr, watchdog_);
    watchdog_ = 0;
  }

  static LRESULT CALLBACK HookProc(int code, WPARAM wparam, LPARAM lparam) {
    RealInput* self = active_;
    if (code == HC_ACTION && wparam == PM_REMOVE && self) {
      self->Record(*reinterpret_cast<const MSG*>(lparam));
    }
    if (code == HC_ACTION && wparam == PM_REMOVE && self && self->next_ < self->steps_.size()) {
      if (self->steps_[self->next_].arrived(*reinterpret_cast<const MSG*>(lparam))) {
        self->Advance();
      }
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  void Record(const MSG& msg) {
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) {
      trace_ += " " + std::to_string(msg.message) + "@" +
                std::to_string(static_cast<short>(LOWORD(msg.lParam))) + "," +
                std::to_string(static_cast<short>(HIWORD(msg.lParam)));
    } else if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
      trace_ += " " + std::to_string(msg.message) + ":" + std::to_string(msg.wParam);
    }
  }

  static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
    if (!active_) return;
    active_->timed_out_ = true;
    ::ReleaseCapture();
  }

  // A step without actions only waits for its message.
  static void Send(const std::vector<InputAction>& actions) {
    if (actions.empty()) return;
    // Wine activates a window only from the Windows side; the X focus
    // follows below.
    for (const InputAction& action : actions) {
      if (action.kind == InputAction::kFocus) {
        ::SetForegroundWindow(action.window);
        ::SetFocus(action.window);
      }
    }
    if (UsesX()) {
      SendWithXdotool(actions);
    } else {
      SendWithSendInput(actions);
    }
  }

  static std::string KeyName(WORD key) {
    switch (key) {
      case VK_ESCAPE:
        return "Escape";
      case VK_BACK:
        return "BackSpace";
      case VK_DELETE:
        return "Delete";
      case VK_LEFT:
        return "Left";
      case VK_RIGHT:
        return "Right";
      case VK_HOME:
        return "Home";
      case VK_END:
        return "End";
      case VK_SPACE:
        return "space";
      case VK_F4:
        return "F4";
      case VK_TAB:
        return "Tab";
      case VK_RETURN:
        return "Return";
      case VK_UP:
        return "Up";
      case VK_DOWN:
        return "Down";
      case VK_PRIOR:
        return "Prior";
      case VK_NEXT:
        return "Next";
      default:
        return std::string(1, static_cast<char>(::tolower(key)));
    }
  }

  static void SendWithXdotool(const std::vector<InputAction>& actions) {
    std::string command = "Z:\\usr\\bin\\xdotool";
    for (const InputAction& action : actions) {
      switch (action.kind) {
        case InputAction::kMove:
          command += " mousemove " + std::to_string(action.x) + " " + std::to_string(action.y);
          break;
        case InputAction::kDown:
          command += " mousedown 1";
          break;
        case InputAction::kUp:
          command += " mouseup 1";
          break;
        case InputAction::kKey:
          command += " key " + std::string(action.ctrl ? "ctrl+" : "") +
                     std::string(action.alt ? "alt+" : "") +
                     std::string(action.shift ? "shift+" : "") + KeyName(action.key);
          break;
        case InputAction::kText:
          command += XdotoolText(action.text);
          break;
        case InputAction::kFocus: {
          // Wine keeps the X window of each top-level window in this
          // property.
          const auto window =
              reinterpret_cast<UINT_PTR>(::GetPropW(action.window, L"__wine_x11_whole_window"));
          command += " windowfocus --sync " + std::to_string(window);
          break;
        }
      }
    }
    std::wstring wide(command.begin(), command.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // Wine starts a Unix program without a Windows process handle; arrival
    // is seen in this thread's messages instead.
    if (::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &process)) {
      if (process.hThread) ::CloseHandle(process.hThread);
      if (process.hProcess) ::CloseHandle(process.hProcess);
    }
  }

  // xdotool words that type `text`: "key" with the Unicode key symbol of
  // every character ("U3A", "U4E2D"; xdotool binds a spare key code to a
  // symbol the keyboard lacks and adds Shift where the layout needs it). The
  // command line stays ASCII whatever Wine's Unix code page, and "key",
  // unlike "type", lets later commands follow. Wine looks the character of a
  // key up when the program translates the key message, and xdotool takes a
  // spare key code back after the key: the delay keeps the binding while
  // this thread's pump translates it. 40 ms was too short on a loaded machine
  // (a neighbour's character came through), so it is generous.
  static std::string XdotoolText(const std::wstring& text) {
    std::string words = " key --delay 150";
    for (size_t i = 0; i < text.size(); ++i) {
      unsigned code = text[i];
      if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1])) {
        code = 0x10000 + ((code - 0xD800u) << 10) + (text[++i] - 0xDC00u);
      }
      char name[16];
      std::snprintf(name, sizeof(name), " U%X", code);
      words += name;
    }
    return words;
  }

  static void AddKey(std::vector<INPUT>& inputs, WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  }

  // ASCII through its key (with Shift where the layout needs it), any other
  // UTF-16 unit as a Unicode packet.
  static void AddCharacter(std::vector<INPUT>& inputs, wchar_t ch) {
    const SHORT scan = ch < 0x80 ? ::VkKeyScanW(ch) : -1;
    if (scan == -1) {
      for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = ch;
        input.ki.dwFlags = KEYEVENTF_UNICODE | up;
        inputs.push_back(input);
      }
      return;
    }
    const bool shift = (scan >> 8) & 1;
    if (shift) AddKey(inputs, VK_SHIFT, false);
    AddKey(inputs, LOBYTE(scan), false);
    AddKey(inputs, LOBYTE(scan), true);
    if (shift) AddKey(inputs, VK_SHIFT, true);
  }

  static void SendWithSendInput(const std::vector<InputAction>& actions) {
    std::vector<INPUT> inputs;
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    for (const InputAction& action : actions) {
      INPUT input = {};
      input.type = INPUT_MOUSE;
      switch (action.kind) {
        case InputAction::kMove:
          input.mi.dx = (action.x * 65536 + width - 1) / width;
          input.mi.dy = (action.y * 65536 + height - 1) / height;
          input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
          inputs.push_back(input);
          break;
        case InputAction::kDown:
          input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
          inputs.push_back(input);
          break;
        case InputAction::kUp:
          input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
          inputs.push_back(input);
          break;
        case InputAction::kKey: {
          const WORD modifier = action.ctrl    ? VK_CONTROL
                                : action.alt   ? VK_MENU
                                : action.shift ? VK_SHIFT
                                               : 0;
          if (modifier) AddKey(inputs, modifier, false);
          AddKey(inputs, action.key, false);
          AddKey(inputs, action.key, true);
          if (modifier) AddKey(inputs, modifier, true);
          break;
        }
        case InputAction::kText:
          for (wchar_t ch : action.text) AddCharacter(inputs, ch);
          break;
        case InputAction::kFocus:
          break;  // Done in Send.
      }
    }
    if (!inputs.empty()) {
      ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }
  }

  static inline RealInput* active_ = nullptr;
  std::vector<InputStep> steps_;
  size_t next_ = 0;
  bool timed_out_ = false;
  std::string trace_;
  HHOOK hook_ = nullptr;
  UINT_PTR watchdog_ = 0;
};

}  // namespace brindle::test

#endif  // BRINDLE_TESTS_UI_CONTROLS_REAL_INPUT_H_
