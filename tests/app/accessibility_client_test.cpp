// The setup's pages as an accessibility client (a screen reader) reads them:
// AccessibleObjectFromWindow on the main window, then the children with their
// names, roles, states, values and places, and default actions that do what
// a click does. The last test reads the install page of the real setup
// program running in a process of its own, as a screen reader does; the
// others build the program's main window from a test package in this
// process, where its elements can be compared with what the client reads.
//
// The interface ids are taken with __uuidof: mingw-w64's liboleacc.a also
// defines IID_IAccessible (as an import thunk, not the GUID), which clashes
// with libuuid's and, linked first, hands oleacc a wrong interface id.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/main_wnd.h"
#include "setup/package_format.h"
#include "setup/win_handles.h"
#include "tests/app/app_test_support.h"
#include "ui/controls/cx_edit.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_check_box.h"

namespace {

using app_test::Package;

VARIANT Child(LONG id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

// What the client reads of one child.
struct Seen {
  std::wstring name;
  LONG role = -1;
  LONG state = -1;
  std::wstring value;
  std::wstring action;
  RECT screen = {};
};

std::wstring TakeText(HRESULT result, BSTR text) {
  std::wstring copy = result == S_OK && text ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return copy;
}

Seen Read(IAccessible* object, LONG id) {
  Seen seen;
  BSTR text = nullptr;
  HRESULT result = object->get_accName(Child(id), &text);
  seen.name = TakeText(result, text);
  text = nullptr;
  result = object->get_accValue(Child(id), &text);
  seen.value = TakeText(result, text);
  text = nullptr;
  result = object->get_accDefaultAction(Child(id), &text);
  seen.action = TakeText(result, text);
  VARIANT number;
  if (object->get_accRole(Child(id), &number) == S_OK && number.vt == VT_I4)
    seen.role = number.lVal;
  if (object->get_accState(Child(id), &number) == S_OK && number.vt == VT_I4) {
    seen.state = number.lVal;
  }
  long left = 0, top = 0, width = 0, height = 0;
  if (object->accLocation(&left, &top, &width, &height, Child(id)) == S_OK) {
    seen.screen = {left, top, left + width, top + height};
  }
  return seen;
}

// Dispatches this thread's messages until `done` holds (at most 5 s).
template <typename Done>
bool PumpUntil(Done done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 5000) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

RECT ScreenRect(HWND window, const RECT& client) {
  POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
  ClientToScreen(window, &corners[0]);
  ClientToScreen(window, &corners[1]);
  return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

// The real setup program (copied beside this test) with a package of
// `config_text` behind its image.
std::string SetupProgramPackage(const std::string& config_text) {
  std::string image;
  test_package::ReadFileBytes(test_package::SiblingProgram(L"BrindleSetup.exe"), image);
  if (image.size() < kDosHeaderSize) return std::string();
  const uint32_t lfanew = LoadU32(reinterpret_cast<const unsigned char*>(&image[kLfanewOffset]));
  StoreU32(static_cast<uint32_t>(image.size()),
           reinterpret_cast<unsigned char*>(&image[lfanew - 4]));
  AppendU32(static_cast<uint32_t>(config_text.size()), image);
  return image + config_text;
}

struct PageSearch {
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK FindVisiblePage(HWND window, LPARAM lparam) {
  auto* search = reinterpret_cast<PageSearch*>(lparam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t class_name[16] = {};
  GetClassNameW(window, class_name, 16);
  if (owner != search->process_id || !IsWindowVisible(window) ||
      wcscmp(class_name, L"CHWindow") != 0) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// The visible main window of `process`, once it shows (at most 30 s).
HWND WaitForPage(const PROCESS_INFORMATION& process) {
  const DWORD start = GetTickCount();
  PageSearch search = {process.dwProcessId, nullptr};
  while (!search.found && GetTickCount() - start < 30000) {
    if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
    EnumWindows(&FindVisiblePage, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

class AccessibilityClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app_test::PrepareWindows());
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    ASSERT_FALSE(scratch_.path().empty());
    ASSERT_TRUE(CreateDirectoryW(scratch_.Join(L"temp").c_str(), nullptr));
  }
  void TearDown() override {
    window_.reset();
    app_test::TakeQuitMessage();
    CoUninitialize();
  }

  // The main window on a package of `config_text`, shown as the user sees it.
  bool Open(const std::wstring& path, const std::string& config_text) {
    EXPECT_TRUE(test_package::WriteFileBytes(path, Package(config_text)));
    window_ = std::make_unique<CHMainWnd>(GetModuleHandleW(nullptr));
    window_->SetStartupPaths(path, scratch_.Join(L"temp") + L"\\");
    if (!window_->CreateMainWindow()) return false;
    ShowWindow(window_->hwnd(), SW_SHOWNOACTIVATE);
    return true;
  }

  ComPtr<IAccessible> ClientObject() {
    ComPtr<IAccessible> object;
    EXPECT_EQ(S_OK, AccessibleObjectFromWindow(window_->hwnd(), OBJID_CLIENT, __uuidof(IAccessible),
                                               object.put_void()));
    return object;
  }

  ScratchFolder scratch_;
  std::unique_ptr<CHMainWnd> window_;
};

TEST_F(AccessibilityClientTest, TheInstallPageListsItsControls) {
  ASSERT_TRUE(Open(scratch_.Join(L"setup.exe"), app_test::InstallConfigText("Licence text")));
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  long count = 0;
  ASSERT_EQ(S_OK, object->get_accChildCount(&count));

  constexpr LONG kBox = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED;
  const std::wstring folder = window_->offered_folder();
  const struct {
    const UIObject* element;
    const wchar_t* name;
    LONG role;
    LONG state;
    const wchar_t* value;
    const wchar_t* action;
  } expected[] = {
      {window_->licence_box(), L"用户协议", ROLE_SYSTEM_TEXT,
       STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY, L"Licence text", L""},
      {window_->agreement_box(), L"我同意用户协议", ROLE_SYSTEM_CHECKBUTTON, kBox, L"", L"Uncheck"},
      {window_->folder_box(), L"安装目录", ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE, folder.c_str(),
       L""},
      {window_->browse_button(), L"更换目录", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"",
       L"Press"},
      {window_->desktop_box(), L"建立桌面快捷方式", ROLE_SYSTEM_CHECKBUTTON, kBox, L"", L"Uncheck"},
      {window_->taskbar_box(), L"建立任务栏快捷方式", ROLE_SYSTEM_CHECKBUTTON, kBox, L"",
       L"Uncheck"},
      {window_->start_menu_box(), L"建立开始菜单快捷方式", ROLE_SYSTEM_CHECKBUTTON, kBox, L"",
       L"Uncheck"},
      {window_->install_button(), L"立即安装", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"",
       L"Press"},
      {window_->close_button(), L"关闭", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"",
       L"Press"},
  };
  ASSERT_EQ(static_cast<long>(std::size(expected)), count);
  for (LONG id = 1; id <= count; ++id) {
    const auto& row = expected[id - 1];
    SCOPED_TRACE(row.name);
    const Seen seen = Read(object.get(), id);
    EXPECT_EQ(row.name, seen.name);
    EXPECT_EQ(row.role, seen.role);
    EXPECT_EQ(row.state, seen.state);
    EXPECT_EQ(row.value, seen.value);
    EXPECT_EQ(row.action, seen.action);
    ASSERT_NE(nullptr, row.element);
    const RECT screen = ScreenRect(window_->hwnd(), row.element->rect());
    EXPECT_TRUE(EqualRect(&screen, &seen.screen));
  }
}

TEST_F(AccessibilityClientTest, DefaultActionsTickAndUntickAsAClickDoes) {
  ASSERT_TRUE(Open(scratch_.Join(L"setup.exe"), app_test::InstallConfigText("Licence text")));
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  constexpr LONG kDesktopBox = 5;
  constexpr LONG kAgreementBox = 2;
  constexpr LONG kInstallButton = 8;
  ASSERT_EQ(L"建立桌面快捷方式", Read(object.get(), kDesktopBox).name);

  ASSERT_EQ(S_OK, object->accDoDefaultAction(Child(kDesktopBox)));
  ASSERT_TRUE(PumpUntil([this] { return !window_->desktop_box()->checked(); }));
  EXPECT_EQ(STATE_SYSTEM_FOCUSABLE, Read(object.get(), kDesktopBox).state);
  EXPECT_EQ(L"Check", Read(object.get(), kDesktopBox).action);

  // Unticking the agreement disables the install button, as a click does.
  ASSERT_EQ(S_OK, object->accDoDefaultAction(Child(kAgreementBox)));
  ASSERT_TRUE(PumpUntil([this] { return !window_->install_button()->enabled(); }));
  EXPECT_EQ(STATE_SYSTEM_UNAVAILABLE, Read(object.get(), kInstallButton).state);
  EXPECT_EQ(E_FAIL, object->accDoDefaultAction(Child(kInstallButton)));
}

TEST_F(AccessibilityClientTest, TheUninstallPageAsksByItsLabel) {
  const std::wstring run_folder =
      scratch_.Join(L"temp") + L"\\unins-0123456789abcdef0123456789abcdef";
  ASSERT_TRUE(CreateDirectoryW(run_folder.c_str(), nullptr));
  ASSERT_TRUE(Open(run_folder + L"\\unins000.exe", "{\"mode\":0}"));
  const ComPtr<IAccessible> object = ClientObject();
  ASSERT_TRUE(object);
  long count = 0;
  ASSERT_EQ(S_OK, object->get_accChildCount(&count));
  ASSERT_EQ(3, count);  // the close button of this page has no size
  const struct {
    const wchar_t* name;
    LONG role;
  } expected[] = {
      {L"您确认卸载Velto吗？", ROLE_SYSTEM_STATICTEXT},
      {L"卸载", ROLE_SYSTEM_PUSHBUTTON},
      {L"取消", ROLE_SYSTEM_PUSHBUTTON},
  };
  for (LONG id = 1; id <= count; ++id) {
    const Seen seen = Read(object.get(), id);
    EXPECT_EQ(expected[id - 1].name, seen.name);
    EXPECT_EQ(expected[id - 1].role, seen.role);
  }
}

// The accessible object of `page`'s client area, or null (the call sets its
// result to null when it fails).
ComPtr<IAccessible> PageObject(HWND page) {
  ComPtr<IAccessible> object;
  AccessibleObjectFromWindow(page, OBJID_CLIENT, __uuidof(IAccessible), object.put_void());
  return object;
}

// The real setup program started on a package of `config_text` in the
// scratch folder; ended (and waited for) when this goes.
class RunningSetup {
 public:
  RunningSetup(const std::wstring& folder, const std::string& config_text) {
    const std::wstring path = folder + L"\\Setup.exe";
    const std::string package = SetupProgramPackage(config_text);
    if (package.empty() || !test_package::WriteFileBytes(path, package)) return;
    std::wstring command_line = L"\"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (CreateProcessW(path.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr,
                       folder.c_str(), &startup, &process_)) {
      CloseHandle(process_.hThread);
    }
  }
  ~RunningSetup() {
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hProcess);
  }
  // Its visible main window, once it shows; null when it never does.
  HWND Page() const { return process_.hProcess ? WaitForPage(process_) : nullptr; }
  // The accessible object of that window with the number of its children in
  // `count`; null when the window never shows or answers no client.
  ComPtr<IAccessible> PageObject(long& count) const {
    const HWND page = Page();
    ComPtr<IAccessible> object = page ? ::PageObject(page) : ComPtr<IAccessible>();
    if (!object || object->get_accChildCount(&count) != S_OK) count = 0;
    return object;
  }

 private:
  PROCESS_INFORMATION process_ = {};
};

TEST_F(AccessibilityClientTest, ARunningSetupPackedInJapaneseNamesItsControlsInJapanese) {
  const RunningSetup setup(scratch_.path(), app_test::TranslatedConfigText("ja"));
  long count = 0;
  const ComPtr<IAccessible> object = setup.PageObject(count);
  ASSERT_TRUE(object);
  std::vector<std::wstring> names;
  for (LONG id = 1; id <= count; ++id) names.push_back(Read(object.get(), id).name);
  for (const wchar_t* expected :
       {L"インストール", L"参照...", L"デスクトップに追加", L"タスクバーに追加", L"スタートに追加",
        L"使用許諾契約に同意する", L"使用許諾契約", L"閉じる"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << count;
  }
}

TEST_F(AccessibilityClientTest, TheRunningSetupAnswersAClientInAnotherProcess) {
  const RunningSetup setup(scratch_.path(), app_test::InstallConfigText("Licence text"));
  const HWND page = setup.Page();
  ASSERT_NE(nullptr, page);
  const ComPtr<IAccessible> object = PageObject(page);
  ASSERT_TRUE(object);
  long count = 0;
  ASSERT_EQ(S_OK, object->get_accChildCount(&count));
  constexpr LONG kButton = STATE_SYSTEM_FOCUSABLE;
  constexpr LONG kBox = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED;
  const struct {
    const wchar_t* name;
    LONG role;
    LONG state;
  } expected[] = {
      {L"用户协议", ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY},
      {L"我同意用户协议", ROLE_SYSTEM_CHECKBUTTON, kBox},
      {L"安装目录", ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE},
      {L"更换目录", ROLE_SYSTEM_PUSHBUTTON, kButton},
      {L"建立桌面快捷方式", ROLE_SYSTEM_CHECKBUTTON, kBox},
      {L"建立任务栏快捷方式", ROLE_SYSTEM_CHECKBUTTON, kBox},
      {L"建立开始菜单快捷方式", ROLE_SYSTEM_CHECKBUTTON, kBox},
      {L"立即安装", ROLE_SYSTEM_PUSHBUTTON, kButton},
      {L"关闭", ROLE_SYSTEM_PUSHBUTTON, kButton},
  };
  ASSERT_EQ(static_cast<long>(std::size(expected)), count);
  RECT page_rect = {};
  GetWindowRect(page, &page_rect);
  for (LONG id = 1; id <= count; ++id) {
    const auto& row = expected[id - 1];
    SCOPED_TRACE(row.name);
    const Seen seen = Read(object.get(), id);
    EXPECT_EQ(row.name, seen.name);
    EXPECT_EQ(row.role, seen.role);
    // Focus depends on which window the system activated: not compared.
    EXPECT_EQ(row.state, seen.state & ~STATE_SYSTEM_FOCUSED);
    RECT inside = {};
    EXPECT_TRUE(IntersectRect(&inside, &seen.screen, &page_rect) &&
                EqualRect(&inside, &seen.screen));
  }
  EXPECT_EQ(L"Licence text", Read(object.get(), 1).value);
  const std::wstring folder = Read(object.get(), 3).value;
  EXPECT_EQ(L"\\Velto", folder.substr(folder.size() - std::min<size_t>(folder.size(), 6)));

  constexpr LONG kDesktopBox = 5;
  ASSERT_EQ(S_OK, object->accDoDefaultAction(Child(kDesktopBox)));
  EXPECT_TRUE(PumpUntil(
      [&object] { return !(Read(object.get(), kDesktopBox).state & STATE_SYSTEM_CHECKED); }));
}

}  // namespace
