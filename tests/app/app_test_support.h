// Helpers of the app tests: packages made from the test stub, the process-end
// recorder, an answerer for message boxes and element clicks.
#ifndef BRINDLE_TESTS_APP_APP_TEST_SUPPORT_H_
#define BRINDLE_TESTS_APP_APP_TEST_SUPPORT_H_

#include <windows.h>

#include <cwctype>
#include <functional>
#include <string>
#include <vector>

#include "app/brindle_app.h"
#include "app/process_end.h"
#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/base64.h"
#include "setup/package_format.h"
#include "setup/paths.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"
#include "ui/framework/ch_app.h"
#include "ui/framework/ch_window.h"
#include "ui/framework/ui_object.h"

namespace app_test {

// The test stub's image with its package offset P (its size) stored, ready
// for a package to be appended.
inline std::string StubImage() {
  std::string image;
  test_package::ReadFileBytes(test_package::SiblingProgram(L"app_test_stub.exe"), image);
  if (image.size() < kDosHeaderSize) return std::string();
  const uint32_t lfanew = LoadU32(reinterpret_cast<const unsigned char*>(&image[kLfanewOffset]));
  StoreU32(static_cast<uint32_t>(image.size()),
           reinterpret_cast<unsigned char*>(&image[lfanew - 4]));
  return image;
}

// Stub image, config length and config text; then the archive length and
// archive unless `archive` is null.
inline std::string Package(const std::string& config_text, const std::string* archive = nullptr) {
  std::string package = StubImage();
  AppendU32(static_cast<uint32_t>(config_text.size()), package);
  package += config_text;
  if (archive) {
    AppendU32(static_cast<uint32_t>(archive->size()), package);
    package += *archive;
  }
  return package;
}

inline std::string ConfigText(const JsonValue& config) { return JsonWriter().write(config); }

// {"mode": mode, "protocol": Base64 of `licence_utf8`}.
inline std::string InstallConfigText(const std::string& licence_utf8, int mode = 1) {
  JsonValue config(JsonKind::Object);
  config["mode"] = mode;
  config["protocol"] = JsonValue(Base64EncodeBytes(licence_utf8));
  return ConfigText(config);
}

// The tags of the translations shipped in resources/texts (copied beside the
// tests into "texts").
inline const std::vector<std::string>& ShippedLanguages() {
  static const std::vector<std::string> tags = {"ja", "de", "fr", "es", "pt-BR"};
  return tags;
}

// The shipped translation of `tag`, as brindle-pack carries it (null when the
// file cannot be read).
inline JsonValue ShippedTranslation(const std::string& tag) {
  std::string bytes;
  test_package::ReadFileBytes(
      test_package::SiblingProgram(L"texts\\" + std::wstring(tag.begin(), tag.end()) + L".json"),
      bytes);
  JsonValue entry;
  if (!JsonReader().parse(bytes.c_str(), entry)) entry = JsonValue();
  return entry;
}

// An install config of the product Mossbank speaking `language` ("zh", "en"
// or a shipped tag, whose translation it then carries).
inline std::string TranslatedConfigText(const std::string& language, int mode = 1) {
  JsonValue config(JsonKind::Object);
  config["mode"] = mode;
  config["protocol"] = JsonValue(Base64EncodeBytes("Licence"));
  config["product"]["name"] = JsonValue("Mossbank");
  config["product"]["language"] = JsonValue(language);
  if (language != "zh" && language != "en") config["texts"][0] = ShippedTranslation(language);
  return ConfigText(config);
}

// Records the codes EndProcess was called with instead of ending the process.
class ProcessEndRecorder {
 public:
  ProcessEndRecorder() {
    codes().clear();
    SetProcessEndHookForTesting(&Record);
  }
  ~ProcessEndRecorder() { SetProcessEndHookForTesting(nullptr); }
  ProcessEndRecorder(const ProcessEndRecorder&) = delete;
  ProcessEndRecorder& operator=(const ProcessEndRecorder&) = delete;

  const std::vector<UINT>& calls() const { return codes(); }

 private:
  static std::vector<UINT>& codes() {
    static std::vector<UINT> recorded;
    return recorded;
  }
  static void Record(UINT code) { codes().push_back(code); }
};

// One message box the answerer saw.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  // Whether the owner was visible while the box was up.
  bool owner_visible = false;
  // What the answerer's look (set_look) returned while the box was up.
  std::wstring looked;
};

// Answers every message box of the calling thread with `answer` (IDOK, IDNO,
// ...) as soon as it is activated, and records what it showed. Uses a CBT
// hook of this thread: the answer is posted to the box, whose own modal loop
// then ends it.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(int answer) {
    answer_ = answer;
    look_ = nullptr;
    boxes().clear();
    hook_ = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
  }
  ~MessageBoxAnswerer() {
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  bool active() const { return hook_ != nullptr; }
  const std::vector<SeenBox>& seen() const { return boxes(); }
  // `look` (null: none) runs while each box is up, before it is answered, to
  // read what the windows behind it show; its result goes to SeenBox::looked.
  void set_look(std::function<std::wstring()> look) { look_ = std::move(look); }

 private:
  static std::vector<SeenBox>& boxes() {
    static std::vector<SeenBox> seen;
    return seen;
  }

  static std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
  }

  static BOOL CALLBACK FindText(HWND child, LPARAM found) {
    wchar_t class_name[32] = {};
    GetClassNameW(child, class_name, 32);
    std::wstring text = WindowText(child);
    auto* result = reinterpret_cast<std::wstring*>(found);
    if (_wcsicmp(class_name, L"Static") == 0 && text.size() > result->size()) *result = text;
    return TRUE;
  }

  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE) {
      const HWND window = reinterpret_cast<HWND>(wparam);
      wchar_t class_name[16] = {};
      GetClassNameW(window, class_name, 16);
      if (wcscmp(class_name, L"#32770") == 0 && !GetPropW(window, L"BrindleTestAnswered")) {
        SetPropW(window, L"BrindleTestAnswered", reinterpret_cast<HANDLE>(1));
        SeenBox box;
        box.caption = WindowText(window);
        EnumChildWindows(window, &FindText, reinterpret_cast<LPARAM>(&box.text));
        box.owner = GetWindow(window, GW_OWNER);
        box.owner_visible = IsWindowVisible(box.owner) != FALSE;
        if (look_) box.looked = look_();
        boxes().push_back(box);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
      }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline int answer_ = IDOK;
  static inline std::function<std::wstring()> look_;
  HHOOK hook_ = nullptr;
};

// Registers class "CHWindow" for this process unless it is, and the setup's
// element kinds.
inline bool PrepareWindows() {
  RegisterSetupElementKinds();
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, kCHWindowClassName, &info)) return true;
  struct ClassOnly : CHApp {
    BOOL InitInstance() override { return TRUE; }
    void ExitInstance() override {}
    CHWindow* GetMainWindow() override { return nullptr; }
  } app;
  return app.RegisterWindowClass(SW_SHOWNORMAL, nullptr, instance, nullptr) != 0;
}

inline SIZE WindowSize(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// True when the window is centred on the screen (within a pixel).
inline bool IsCentred(HWND window) {
  RECT rect = {};
  RECT screen = {};
  GetWindowRect(window, &rect);
  GetWindowRect(GetDesktopWindow(), &screen);
  const int dx = (rect.left - screen.left) - (screen.right - rect.right);
  const int dy = (rect.top - screen.top) - (screen.bottom - rect.bottom);
  return dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1;
}

inline bool IsTopmost(HWND window) {
  return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

inline bool IsLayered(HWND window) {
  return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

// A press and release of the left button over the centre of `element`, as
// the host window receives them from the system (pointer move first).
inline void ClickElement(HWND host, const UIObject* element) {
  const RECT& rect = element->rect();
  const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  SendMessageW(host, WM_MOUSEMOVE, 0, point);
  SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(host, WM_LBUTTONUP, 0, point);
}

// Takes a WM_QUIT from this thread's queue; true when one was there.
inline bool TakeQuitMessage() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// An event the test stub sets when it runs under the file name `file_name`.
class StubRanEvent {
 public:
  explicit StubRanEvent(std::wstring file_name) {
    for (wchar_t& c : file_name) c = static_cast<wchar_t>(std::towlower(c));
    event_ = CreateEventW(nullptr, TRUE, FALSE, (L"brindle-app-test-ran:" + file_name).c_str());
  }
  ~StubRanEvent() {
    if (event_) CloseHandle(event_);
  }
  StubRanEvent(const StubRanEvent&) = delete;
  StubRanEvent& operator=(const StubRanEvent&) = delete;

  // Waits at most `timeout_ms`; true when the stub ran.
  bool Wait(DWORD timeout_ms = 20000) const {
    return event_ && WaitForSingleObject(event_, timeout_ms) == WAIT_OBJECT_0;
  }

 private:
  HANDLE event_ = nullptr;
};

}  // namespace app_test

#endif  // BRINDLE_TESTS_APP_APP_TEST_SUPPORT_H_
