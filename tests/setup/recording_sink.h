// Test helper: a ProgressSink that records, in order, every step text, bar
// position, launch path and finish the engines report. Its window is a hidden
// top-level window of this thread that records kInstallFinishedMessage.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "setup/progress_sink.h"

class RecordingSink final : public ProgressSink {
 public:
  RecordingSink(std::wstring folder, bool desktop, bool taskbar, bool start_menu)
      : folder_(std::move(folder)), desktop_(desktop), taskbar_(taskbar), start_menu_(start_menu) {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kClassName;
    RegisterClassW(&window_class);
    window_ = CreateWindowExW(0, kClassName, L"progress", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
  }
  ~RecordingSink() override { DestroyWindow(window_); }
  RecordingSink(const RecordingSink&) = delete;
  RecordingSink& operator=(const RecordingSink&) = delete;

  HWND WindowHandle() const override { return window_; }
  void SetStepText(const std::wstring& text) override { events.push_back(L"text " + text); }
  void SetProgressPosition(int percent) override {
    events.push_back(L"position " + std::to_wstring(percent));
  }
  std::wstring InstallFolder() const override { return folder_; }
  std::wstring CreatedFolderRoot() const override { return created_folder_root; }
  bool DesktopOption() const override { return desktop_; }
  bool TaskbarOption() const override { return taskbar_; }
  bool StartMenuOption() const override { return start_menu_; }
  InstallScope Scope() const override { return scope; }
  void SetLaunchPath(const std::wstring& path) override { launch_path = path; }
  void FinishWork() override { events.push_back(L"finish work"); }

  // Everything reported, in order: "text ...", "position N", "finish work",
  // "finished message".
  std::vector<std::wstring> events;
  std::wstring launch_path;
  // What CreatedFolderRoot reports; empty unless a test sets it.
  std::wstring created_folder_root;
  // What Scope reports; every user unless a test sets it.
  InstallScope scope = InstallScope::kMachine;

 private:
  static constexpr wchar_t kClassName[] = L"BrindleRecordingSink";

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* sink = reinterpret_cast<RecordingSink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kInstallFinishedMessage && sink && wparam == 0 && lparam == 0) {
      sink->events.push_back(L"finished message");
      return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  std::wstring folder_;
  bool desktop_;
  bool taskbar_;
  bool start_menu_;
  HWND window_ = nullptr;
};

// Answers the message box that this thread shows next, while it is shown, by
// pressing one of its buttons, as a user would; records its caption, text and
// owner. Uses a CBT hook on this thread: the box is found when it is
// activated, and the button is pressed through a posted BM_CLICK, which its
// modal loop then handles.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(int button) : button_(button) {
    instance_ = this;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
  }
  ~MessageBoxAnswerer() {
    UnhookWindowsHookEx(hook_);
    instance_ = nullptr;
  }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  int boxes_seen = 0;
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && instance_) instance_->Answer(reinterpret_cast<HWND>(wparam));
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }

  void Answer(HWND box) {
    wchar_t class_name[32] = {};
    GetClassNameW(box, class_name, 32);
    if (std::wstring(class_name) != L"#32770") return;
    HWND button = GetDlgItem(box, button_);
    if (!button || (!answered_.empty() && answered_.back() == box)) return;
    answered_.push_back(box);
    ++boxes_seen;
    caption = WindowText(box);
    owner = GetWindow(box, GW_OWNER);
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(this));
    PostMessageW(button, BM_CLICK, 0, 0);
  }

  static BOOL CALLBACK CollectStaticText(HWND child, LPARAM self) {
    wchar_t class_name[32] = {};
    GetClassNameW(child, class_name, 32);
    std::wstring child_text = WindowText(child);
    if (_wcsicmp(class_name, L"Static") == 0 && !child_text.empty()) {
      reinterpret_cast<MessageBoxAnswerer*>(self)->text = child_text;
    }
    return TRUE;
  }

  static std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
  }

  static inline MessageBoxAnswerer* instance_ = nullptr;
  int button_;
  HHOOK hook_ = nullptr;
  std::vector<HWND> answered_;
};
