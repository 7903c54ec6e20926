// The main window under Wine: the start-up checks on packages made from the
// test stub, both pages as built from the shipped skin, and the command
// table. Early ends are recorded instead of ending the test.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/elevation.h"
#include "app/exit_code.h"
#include "app/install_folder.h"
#include "app/main_wnd.h"
#include "app/run_folder.h"
#include "app/texts.h"
#include "setup/engine_texts.h"
#include "setup/number_text.h"
#include "setup/paths.h"
#include "setup/uninstall_key.h"
#include "setup/win_handles.h"
#include "tests/app/access_list.h"
#include "tests/app/app_test_support.h"
#include "ui/controls/box_row.h"
#include "ui/controls/cx_edit.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_check_box.h"
#include "ui/controls/ui_edit_box.h"
#include "ui/controls/ui_label.h"
#include "ui/framework/dpi_awareness.h"
#include "ui/framework/draw_primitives.h"

namespace {

using app_test::ClickElement;
using app_test::IsCentred;
using app_test::IsLayered;
using app_test::MessageBoxAnswerer;
using app_test::Package;
using app_test::ProcessEndRecorder;
using app_test::TakeQuitMessage;
using app_test::WindowSize;

// A licence with Chinese text and several lines, as UTF-8 with CR LF line
// ends; the licence box keeps its line ends as LF.
constexpr char kLicence[] = "Velto \xe8\xae\xb8\xe5\x8f\xaf\xe5\x8d\x8f\xe8\xae\xae\r\nLine 2\r\n";
constexpr wchar_t kLicenceShown[] = L"Velto 许可协议\nLine 2\n";

// A run folder of the temporary uninstaller.
constexpr wchar_t kRunName[] = L"unins-0123456789abcdef0123456789abcdef";

// The system's list of files to remove or rename at the next restart, as
// (source, target) pairs; an empty target means removal.
constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";

std::vector<std::pair<std::wstring, std::wstring>> PendingRenames() {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, key.put()) != 0) {
    return pairs;
  }
  DWORD bytes = 0;
  if (RegQueryValueExW(key.get(), kPendingRenames, nullptr, nullptr, nullptr, &bytes) != 0) {
    return pairs;
  }
  std::wstring data(bytes / sizeof(wchar_t) + 2, L'\0');
  if (RegQueryValueExW(key.get(), kPendingRenames, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&data[0]), &bytes) != 0) {
    return pairs;
  }
  std::vector<std::wstring> strings;
  for (size_t at = 0; at < bytes / sizeof(wchar_t);) {
    const std::wstring item = data.c_str() + at;
    strings.push_back(item);
    at += item.size() + 1;
  }
  for (size_t i = 0; i + 1 < strings.size(); i += 2) pairs.push_back({strings[i], strings[i + 1]});
  return pairs;
}

// Takes the pairs whose source lies under `folder` out of the list again, so
// that the test leaves the system's list as it found it.
void ForgetPendingRenamesUnder(const std::wstring& folder) {
  std::wstring kept;
  for (const auto& [source, target] : PendingRenames()) {
    if (source.find(folder) == std::wstring::npos) kept += source + L'\0' + target + L'\0';
  }
  RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.put()) != 0) return;
  if (kept.empty()) {
    RegDeleteValueW(key.get(), kPendingRenames);
    return;
  }
  kept += L'\0';
  RegSetValueExW(key.get(), kPendingRenames, 0, REG_MULTI_SZ,
                 reinterpret_cast<const BYTE*>(kept.c_str()),
                 static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
}

// The run folders in `temp_folder`, as full paths.
std::vector<std::wstring> RunFolders(const std::wstring& temp_folder) {
  std::vector<std::wstring> folders;
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((temp_folder + L"unins-*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return folders;
  do {
    if (IsRunFolderName(entry.cFileName)) folders.push_back(temp_folder + entry.cFileName);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return folders;
}

// The run folders in `temp_folder` but the one an elevated uninstaller waited in: that one holds
// nothing but its waiting image (or nothing, once the image went home) and stays until the restart
// removes it.
std::vector<std::wstring> CopyRunFolders(const std::wstring& temp_folder) {
  std::vector<std::wstring> folders;
  for (const std::wstring& folder : RunFolders(temp_folder)) {
    bool waiting_only = true;
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L".." && name.rfind(L"waiting-uninstaller-", 0) != 0) {
          waiting_only = false;
        }
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    if (!waiting_only) folders.push_back(folder);
  }
  return folders;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app_test::PrepareWindows());
    CoInitialize(nullptr);
    ASSERT_FALSE(scratch_.path().empty());
    temp_folder_ = scratch_.Join(L"temp") + L"\\";
    ASSERT_TRUE(CreateDirectoryW(scratch_.Join(L"temp").c_str(), nullptr));
  }
  void TearDown() override {
    window_.reset();
    TakeQuitMessage();
    CoUninitialize();
  }

  // Writes `package` to `path` and creates the main window on it, started
  // with the switches `arguments`.
  bool CreateOn(const std::wstring& path, const std::string& package,
                const std::wstring& arguments = L"") {
    EXPECT_TRUE(test_package::WriteFileBytes(path, package));
    window_ = std::make_unique<CHMainWnd>(GetModuleHandleW(nullptr));
    window_->SetStartupPaths(path, temp_folder_);
    window_->set_options(ParseCommandLine(arguments), arguments);
    return window_->CreateMainWindow();
  }

  bool CreateInstallPage(const std::string& config_text, const std::wstring& arguments = L"") {
    return CreateOn(scratch_.Join(L"setup.exe"), Package(config_text), arguments);
  }

  // The uninstall page, as the temporary uninstaller copy shows it.
  bool CreateUninstallPage() {
    EXPECT_TRUE(CreateDirectoryW((temp_folder_ + kRunName).c_str(), nullptr));
    return CreateOn(temp_folder_ + kRunName + L"\\unins000.exe", Package("{\"mode\":0}"));
  }

  HWND hwnd() const { return window_->hwnd(); }

  ScratchFolder scratch_;
  std::wstring temp_folder_;
  std::unique_ptr<CHMainWnd> window_;
};

TEST_F(MainWindowTest, InstallPageIsBuiltHiddenCentredAndLayered) {
  ProcessEndRecorder ends;
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  EXPECT_TRUE(ends.calls().empty());
  EXPECT_EQ(window_->run_mode(), 1);
  EXPECT_FALSE(IsWindowVisible(hwnd()));
  const SIZE size = WindowSize(hwnd());
  EXPECT_EQ(size.cx, 670);
  EXPECT_EQ(size.cy, 680);
  EXPECT_TRUE(IsCentred(hwnd()));
  EXPECT_TRUE(IsLayered(hwnd()));
  const LONG style = GetWindowLongW(hwnd(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_EQ(GetWindowLongW(hwnd(), GWL_EXSTYLE) & (WS_EX_APPWINDOW | WS_EX_CONTROLPARENT),
            WS_EX_APPWINDOW | WS_EX_CONTROLPARENT);
  wchar_t title[32] = {};
  GetWindowTextW(hwnd(), title, 32);
  EXPECT_STREQ(title, L"Brindle");
}

TEST_F(MainWindowTest, InstallPageControlsStartAsTheUserSeesThem) {
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  ASSERT_NE(window_->install_button(), nullptr);
  EXPECT_EQ(window_->install_button()->caption(), L"立即安装");
  EXPECT_EQ(window_->install_button()->command_id(), 1001);
  EXPECT_TRUE(window_->install_button()->enabled());
  const struct {
    UICheckBox* box;
    const wchar_t* caption;
    int id;
  } boxes[] = {
      {window_->desktop_box(), L"建立桌面快捷方式", 1003},
      {window_->taskbar_box(), L"建立任务栏快捷方式", 1004},
      {window_->start_menu_box(), L"建立开始菜单快捷方式", 1004},
      {window_->agreement_box(), L"我同意用户协议", 1002},
  };
  for (const auto& b : boxes) {
    ASSERT_NE(b.box, nullptr) << b.caption;
    EXPECT_EQ(b.box->caption(), b.caption);
    EXPECT_TRUE(b.box->checked()) << b.caption;
    EXPECT_EQ(b.box->command_id(), b.id) << b.caption;
  }
  ASSERT_NE(window_->browse_button(), nullptr);
  EXPECT_EQ(window_->browse_button()->caption(), L"更换目录");
  EXPECT_EQ(window_->browse_button()->command_id(), 1005);

  // The registered install's folder when a Velto is installed in this prefix, else the default.
  std::wstring installed;
  const std::wstring expected_folder =
      ReadUninstallValue(L"Velto", L"InstallLocation", installed) == ERROR_SUCCESS &&
              IsFullPath(installed)
          ? installed
          : GetSpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Velto";
  ASSERT_NE(window_->folder_box(), nullptr);
  EXPECT_EQ(window_->folder_box()->text(), expected_folder);
  EXPECT_EQ(window_->offered_folder(), expected_folder);
  ASSERT_NE(window_->licence_box(), nullptr);
  EXPECT_TRUE(window_->licence_box()->multi_line());
  EXPECT_EQ(window_->licence_box()->text(), kLicenceShown);

  // The skin's places, at 670 x 680 (x, y, width, height; negative from the
  // right or bottom edge).
  const struct {
    const UIObject* element;
    RECT rect;
  } places[] = {
      {window_->install_button(), {670 - 195, 680 - 96, 670 - 195 + 140, 680 - 96 + 37}},
      {window_->agreement_box(), {48, 680 - 200, 48 + 220, 680 - 200 + 27}},
      {window_->folder_box(), {55, 680 - 160, 55 + 560, 680 - 160 + 35}},
      {window_->licence_box(), {55, 305, 55 + 560, 305 + 170}},
  };
  for (const auto& p : places) {
    EXPECT_TRUE(EqualRect(&p.element->rect(), &p.rect))
        << p.element->rect().left << "," << p.element->rect().top << " " << p.element->rect().right
        << "," << p.element->rect().bottom;
  }
}

TEST_F(MainWindowTest, TheInstallPageSpeaksTheLanguageThePackageNames) {
  ASSERT_TRUE(CreateInstallPage(app_test::TranslatedConfigText("ja")));
  EXPECT_EQ(window_->install_button()->caption(), L"インストール");
  EXPECT_EQ(window_->desktop_box()->caption(), L"デスクトップに追加");
  EXPECT_EQ(window_->browse_button()->caption(), L"参照...");
}

// The width `button`'s caption needs in its normal state's font.
int CaptionNeed(UIButton* button) {
  const CaptionLook& look = button->caption_look();
  return look.margin.left + look.margin.right +
         MeasureSkinText(button->GetHostDC(), look.styles[kVisualNormal],
                         button->caption().c_str());
}

// True when the whole of `text` fits `label`'s width on one line (and was
// measured at all).
bool FitsLabel(UILabel* label, const std::wstring& text) {
  const int need = MeasureSkinText(label->GetHostDC(), label->style(), text.c_str());
  return need > 0 && need <= label->rect().right - label->rect().left;
}

// Expects every caption and label text among `window`'s children to fit its
// element; returns how many were measured.
int ExpectChildrenFit(const UIObject& window) {
  int measured = 0;
  for (const auto& child : window.children()) {
    if (auto* button = dynamic_cast<UIButton*>(child.get()); button && !button->caption().empty()) {
      EXPECT_LE(CaptionNeed(button), button->rect().right - button->rect().left)
          << button->command_id();
      ++measured;
    } else if (auto* label = dynamic_cast<UILabel*>(child.get())) {
      EXPECT_TRUE(FitsLabel(label, label->text())) << label->text();
      ++measured;
    }
  }
  return measured;
}

// Moves `window` (shown at 96 DPI) to a monitor of `dpi`, as Windows tells
// it; Wine never sends the message, so the test does.
void MoveToDpi(const UIObject& window, int dpi) {
  if (dpi == 96) return;
  const SIZE size = WindowSize(window.hwnd());
  const RECT suggested = {0, 0, MulDiv(size.cx, dpi, 96), MulDiv(size.cy, dpi, 96)};
  SendMessageW(window.hwnd(), kDpiChangedMessage, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
}

// Every step text the progress window of `progress`'s run shows, as the
// engines fill them (the percentage at its widest, 100).
std::vector<std::wstring> StepTexts(const CHProcessWnd& progress, bool install) {
  const AppTexts app = AppTextsFor(progress.language());
  const EngineTexts engine = EngineTextsFor(progress.language());
  if (!install) {
    return {app.preparing_uninstall, app.uninstall_failed_step,
            FormatLong(engine.deleting_step, 100)};
  }
  return {app.preparing_install,
          app.install_finished,
          app.install_failed_step,
          FormatLong(engine.copying_step, 100),
          FormatLong(engine.desktop_step, 100),
          FormatLong(engine.taskbar_step, 100),
          FormatLong(engine.start_menu_step, 100)};
}

// Expects every step text of the run to fit the progress window's step label.
void ExpectStepTextsFit(CHProcessWnd& progress, bool install) {
  ASSERT_NE(progress.step_label(), nullptr);
  for (const std::wstring& text : StepTexts(progress, install)) {
    EXPECT_TRUE(FitsLabel(progress.step_label(), text)) << text;
  }
}

TEST_F(MainWindowTest, EveryCaptionOfEveryShippedLanguageFitsItsRoom) {
  std::vector<std::string> languages = {"zh", "en"};
  languages.insert(languages.end(), app_test::ShippedLanguages().begin(),
                   app_test::ShippedLanguages().end());
  ASSERT_TRUE(CreateDirectoryW((temp_folder_ + kRunName).c_str(), nullptr));
  for (const int dpi : {96, 192}) {
    for (const std::string& language : languages) {
      SCOPED_TRACE(language + " at " + std::to_string(dpi));
      ASSERT_TRUE(CreateInstallPage(app_test::TranslatedConfigText(language)));
      MoveToDpi(*window_, dpi);
      const std::vector<UICheckBox*> row = {window_->desktop_box(), window_->taskbar_box(),
                                            window_->start_menu_box()};
      for (size_t i = 0; i < row.size(); ++i) {
        SCOPED_TRACE(i);
        const RECT& rect = row[i]->rect();
        // The whole caption fits its box and ends before the neighbour begins.
        const int need = NeededWidth(row[i]);
        EXPECT_LE(need, rect.right - rect.left) << rect.left << " " << rect.right;
        const LONG limit =
            i + 1 < row.size() ? row[i + 1]->rect().left : window_->install_button()->rect().left;
        EXPECT_LE(rect.left + need, limit);
      }
      const RECT& agreement = window_->agreement_box()->rect();
      EXPECT_LE(NeededWidth(window_->agreement_box()), agreement.right - agreement.left);
      for (UIButton* button : {window_->install_button(), window_->browse_button()}) {
        EXPECT_LE(CaptionNeed(button), button->rect().right - button->rect().left)
            << button->command_id();
      }
      // The progress window of the install (its finish window shows pictures only).
      MoveToDpi(window_->progress_window(), dpi);
      const RECT& step = window_->progress_window().step_label()->rect();
      EXPECT_EQ(step.right - step.left, MulDiv(558, dpi, 96));
      ExpectStepTextsFit(window_->progress_window(), true);
      window_.reset();
      TakeQuitMessage();

      // The uninstall page: its question and both buttons; then its progress
      // window and the uninstall-finished window's text and button.
      ASSERT_TRUE(CreateOn(temp_folder_ + kRunName + L"\\unins000.exe",
                           Package(app_test::TranslatedConfigText(language, 0))));
      MoveToDpi(*window_, dpi);
      EXPECT_EQ(ExpectChildrenFit(*window_), 3);
      CHProcessWnd& progress = window_->progress_window();
      MoveToDpi(progress, dpi);
      ExpectStepTextsFit(progress, false);
      MoveToDpi(progress.success_window2(), dpi);
      EXPECT_EQ(ExpectChildrenFit(progress.success_window2()), 2);
      window_.reset();
      TakeQuitMessage();
    }
  }
}

TEST_F(MainWindowTest, ProgressAndInstallFinishedWindowsWaitHidden) {
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  CHProcessWnd& progress = window_->progress_window();
  ASSERT_NE(progress.hwnd(), nullptr);
  EXPECT_FALSE(IsWindowVisible(progress.hwnd()));
  EXPECT_EQ(GetWindow(progress.hwnd(), GW_OWNER), hwnd());
  EXPECT_EQ(progress.run_mode(), 1);
  EXPECT_EQ(WindowSize(progress.hwnd()).cx, 670);
  EXPECT_EQ(WindowSize(progress.hwnd()).cy, 300);
  ASSERT_NE(progress.success_window().hwnd(), nullptr);
  EXPECT_FALSE(IsWindowVisible(progress.success_window().hwnd()));
  EXPECT_EQ(GetWindow(progress.success_window().hwnd(), GW_OWNER), progress.hwnd());
  EXPECT_EQ(progress.success_window2().hwnd(), nullptr);
}

TEST_F(MainWindowTest, MissingOrNonStringLicenceGivesAnEmptyBox) {
  ASSERT_TRUE(CreateInstallPage("{\"mode\":1,\"protocol\":7}"));
  EXPECT_EQ(window_->licence_box()->text(), L"");
  window_.reset();
  ASSERT_TRUE(CreateInstallPage("{\"mode\":1}"));
  EXPECT_EQ(window_->licence_box()->text(), L"");
}

TEST_F(MainWindowTest, AgreementBoxGovernsTheInstallButton) {
  ProcessEndRecorder ends;
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  UICheckBox* agree = window_->agreement_box();
  UIButton* install = window_->install_button();
  // A folder that the install button would create if the click got through.
  const std::wstring folder = scratch_.Join(L"never");
  window_->folder_box()->SetText(folder.c_str());

  ClickElement(hwnd(), agree);
  EXPECT_FALSE(agree->checked());
  EXPECT_FALSE(install->enabled());
  ClickElement(hwnd(), install);
  EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(IsWindowVisible(window_->progress_window().hwnd()));
  EXPECT_EQ(WindowSize(hwnd()).cx, 670);

  // Move the pointer off the box first: a release over a lighted, unchecked
  // box does not toggle it.
  SendMessageW(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ClickElement(hwnd(), agree);
  EXPECT_TRUE(agree->checked());
  EXPECT_TRUE(install->enabled());
  EXPECT_TRUE(ends.calls().empty());
}

TEST_F(MainWindowTest, ShortcutBoxCommandsChangeNothing) {
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  for (WPARAM id : {1003, 1004, 4711}) {
    SendMessageW(hwnd(), WM_COMMAND, id, reinterpret_cast<LPARAM>(hwnd()));
    EXPECT_TRUE(IsWindow(hwnd()));
    EXPECT_TRUE(window_->install_button()->enabled());
  }
  ClickElement(hwnd(), window_->desktop_box());
  EXPECT_FALSE(window_->desktop_box()->checked());
  EXPECT_TRUE(window_->install_button()->enabled());
}

// The folder the page offers in `scope`: the registered install's when the
// prefix has one there, else the scope's default.
std::wstring OfferedIn(InstallScope scope) {
  std::wstring installed;
  if (ReadUninstallValue(L"Velto", L"InstallLocation", installed, scope) == ERROR_SUCCESS &&
      IsFullPath(installed)) {
    return installed;
  }
  return (scope == InstallScope::kUser ? UserProgramsFolder()
                                       : GetSpecialFolder(CSIDL_PROGRAM_FILES)) +
         L"\\Velto";
}

// Only a package for both scopes shows the scope box, ticked unless /CURRENTUSER was given.
TEST_F(MainWindowTest, ThePageStartsInTheScopeOfThePackageAndTheSwitches) {
  const char* both = "{\"mode\":1,\"scope\":\"both\"}";
  const struct {
    const char* config;
    const wchar_t* arguments;
    InstallScope scope;
    bool box;
  } cases[] = {
      {"{\"mode\":1}", L"/CURRENTUSER", InstallScope::kMachine, false},
      {"{\"mode\":1,\"scope\":\"user\"}", L"", InstallScope::kUser, false},
      {both, L"", InstallScope::kMachine, true},
      {both, L"/CurrentUser", InstallScope::kUser, true},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(CreateInstallPage(c.config, c.arguments)) << c.config;
    EXPECT_EQ(window_->scope(), c.scope) << c.config;
    ASSERT_EQ(window_->all_users_box() != nullptr, c.box) << c.config;
    if (c.box) {
      EXPECT_EQ(window_->all_users_box()->checked(), c.scope == InstallScope::kMachine);
    }
    EXPECT_EQ(window_->offered_folder(), OfferedIn(c.scope)) << c.config;
    window_.reset();
  }
  const std::wstring user_programs = UserProgramsFolder();
  EXPECT_NE(user_programs.find(L"\\AppData\\Local\\Programs"), std::wstring::npos) << user_programs;
}

TEST_F(MainWindowTest, TheScopeBoxChoosesTheScopeAndTheOfferedFolderFollows) {
  ASSERT_TRUE(CreateInstallPage("{\"mode\":1,\"scope\":\"both\"}"));
  UICheckBox* box = window_->all_users_box();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->caption(), L"为所有用户安装");
  EXPECT_EQ(box->command_id(), 1006);
  EXPECT_TRUE(box->checked());
  EXPECT_TRUE(box->enabled());
  const RECT place = {320, 680 - 200, 320 + 240, 680 - 200 + 27};
  EXPECT_TRUE(EqualRect(&box->rect(), &place));

  ClickElement(hwnd(), box);
  EXPECT_FALSE(box->checked());
  EXPECT_EQ(window_->scope(), InstallScope::kUser);
  EXPECT_EQ(window_->folder_box()->text(), OfferedIn(InstallScope::kUser));
  // Ticking it again needs administrator rights, which every Wine process has.
  ASSERT_EQ(box->enabled(), RunsAsAdministrator());
  if (!box->enabled()) return;
  SendMessageW(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ClickElement(hwnd(), box);
  EXPECT_TRUE(box->checked());
  EXPECT_EQ(window_->scope(), InstallScope::kMachine);
  EXPECT_EQ(window_->folder_box()->text(), OfferedIn(InstallScope::kMachine));

  // A folder the user typed stays whatever the box says.
  const std::wstring typed = scratch_.Join(L"typed");
  window_->folder_box()->SetText(typed.c_str());
  SendMessageW(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ClickElement(hwnd(), box);
  EXPECT_EQ(window_->scope(), InstallScope::kUser);
  EXPECT_EQ(window_->folder_box()->text(), typed);
}

TEST_F(MainWindowTest, CloseButtonEndsTheLoop) {
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  const HWND window = hwnd();
  TakeQuitMessage();
  SendMessageW(window, WM_COMMAND, 1000, reinterpret_cast<LPARAM>(window));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(MainWindowTest, FolderOnAMissingDriveShowsTheWarningAndTheWindowStays) {
  ProcessEndRecorder ends;
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  const DWORD drives = GetLogicalDrives();
  wchar_t missing = 0;
  for (wchar_t letter = L'Z'; letter >= L'D' && !missing; --letter) {
    if (!(drives & (1u << (letter - L'A')))) missing = letter;
  }
  ASSERT_NE(missing, 0);
  const std::wstring folder = std::wstring(1, missing) + L":\\Velto";
  window_->folder_box()->SetText(folder.c_str());
  MessageBoxAnswerer answerer(IDOK);
  ASSERT_TRUE(answerer.active());
  SendMessageW(hwnd(), WM_COMMAND, 1001, reinterpret_cast<LPARAM>(hwnd()));
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text,
            L"无法访问“" + std::wstring(1, missing) +
                L":\\”, 该驱动器或网络位置不存在或未连接, 无法安装在此路径下");
  EXPECT_EQ(answerer.seen()[0].caption, L"提示");
  EXPECT_EQ(answerer.seen()[0].owner, hwnd());
  EXPECT_EQ(WindowSize(hwnd()).cx, 670);
  EXPECT_EQ(WindowSize(hwnd()).cy, 680);
  EXPECT_FALSE(IsWindowVisible(window_->progress_window().hwnd()));
  EXPECT_EQ(window_->folder_box()->text(), folder);
  EXPECT_TRUE(ends.calls().empty());
}

TEST_F(MainWindowTest, FolderTakenByAFileShowsTheWarning) {
  ProcessEndRecorder ends;
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  const std::wstring file = scratch_.Join(L"Velto");
  ASSERT_TRUE(test_package::WriteFileBytes(file, "a file"));
  window_->folder_box()->SetText(file.c_str());
  MessageBoxAnswerer answerer(IDOK);
  SendMessageW(hwnd(), WM_COMMAND, 1001, reinterpret_cast<LPARAM>(hwnd()));
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text, L"“" + file + L"”是一个文件, 不是文件夹, 无法安装在此路径下");
  EXPECT_EQ(answerer.seen()[0].caption, L"提示");
  EXPECT_FALSE(IsWindowVisible(window_->progress_window().hwnd()));
  EXPECT_TRUE(ends.calls().empty());
}

TEST_F(MainWindowTest, RelativeFolderShowsTheWarning) {
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  window_->folder_box()->SetText(L"Velto");
  MessageBoxAnswerer answerer(IDOK);
  SendMessageW(hwnd(), WM_COMMAND, 1001, reinterpret_cast<LPARAM>(hwnd()));
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text,
            L"“Velto”不是完整的路径, 请输入以盘符 (如 C:\\) 开头的路径, 无法安装在此路径下");
  EXPECT_EQ(answerer.seen()[0].caption, L"提示");
}

// The install package has no payload archive, so the engine fails at once:
// the work start up to the engine's failure, which removes the folders that
// the folder check made for it. The folder is typed with "/" separators.
TEST_F(MainWindowTest, StartCreatesTheFolderHandsOverAndReportsAFailedEngine) {
  ProcessEndRecorder ends;
  ASSERT_TRUE(CreateInstallPage(app_test::InstallConfigText(kLicence)));
  ShowWindow(hwnd(), SW_SHOW);
  const std::wstring folder = scratch_.Join(L"new\\nested\\Velto");
  std::wstring typed = folder;
  for (wchar_t& c : typed) c = c == L'\\' ? L'/' : c;
  window_->folder_box()->SetText(typed.c_str());
  ClickElement(hwnd(), window_->taskbar_box());
  ASSERT_FALSE(window_->taskbar_box()->checked());

  MessageBoxAnswerer answerer(IDOK);
  const DWORD start = GetTickCount();
  SendMessageW(hwnd(), WM_COMMAND, 1001, reinterpret_cast<LPARAM>(hwnd()));
  EXPECT_GE(GetTickCount() - start, 250u) << "the main window fades out";

  EXPECT_EQ(GetFileAttributesW(scratch_.Join(L"new").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(WindowSize(hwnd()).cx, 1);
  EXPECT_EQ(WindowSize(hwnd()).cy, 1);
  EXPECT_TRUE(IsWindowVisible(hwnd()));
  CHProcessWnd& progress = window_->progress_window();
  EXPECT_EQ(progress.install_folder(), folder);
  EXPECT_EQ(progress.CreatedFolderRoot(), scratch_.Join(L"new"));
  EXPECT_EQ(progress.desktop_option(), 1);
  EXPECT_EQ(progress.taskbar_option(), 0);
  EXPECT_EQ(progress.start_menu_option(), 1);
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text, L"安装包校验失败, 操作终止.");
  EXPECT_EQ(answerer.seen()[0].owner, progress.hwnd());
  // The box comes over the shown progress window. (Its topmost placement is
  // not checked: Wine 8 does not make a window topmost that owns another
  // window, as the progress window owns its finish window; Windows does.)
  EXPECT_TRUE(answerer.seen()[0].owner_visible);
  EXPECT_EQ(ends.calls(), std::vector<UINT>{kExitPackageDamaged});
}

// An unknown switch shows the box of switches only to a person: an unattended
// run would hang on it. It logs the switch instead (to a log path with a blank,
// quoted) and ends with the code of a bad command line.
TEST_F(MainWindowTest, AnUnknownSwitchShowsABoxOnlyWhenAPersonWatches) {
  const std::wstring log = scratch_.Join(L"log with blank.txt");
  const struct {
    std::wstring arguments;
    bool box;
    UINT exit_code;
  } cases[] = {
      {L"/NOSUCH", true, kExitBadCommandLine},
      {L"/?", true, kExitSuccess},
      {L"/PASSIVE /NOSUCH /LOG=\"" + log + L"\"", false, kExitBadCommandLine},
      {L"/VERYSILENT /SUPPRESSMSGBOXES /NOSUCH /LOG=\"" + log + L"\"", false, kExitBadCommandLine},
      {L"/SILENT /? /NOSUCH", false, kExitBadCommandLine},
  };
  for (const auto& c : cases) {
    DeleteFileW(log.c_str());
    ProcessEndRecorder ends;
    MessageBoxAnswerer answerer(IDOK);
    EXPECT_FALSE(CreateInstallPage(app_test::InstallConfigText(kLicence), c.arguments));
    EXPECT_EQ(answerer.seen().size(), c.box ? 1u : 0u) << c.arguments;
    EXPECT_EQ(ends.calls(), std::vector<UINT>{c.exit_code}) << c.arguments;
    std::string text;
    if (c.arguments.find(L"/LOG=") != std::wstring::npos) {
      ASSERT_TRUE(test_package::ReadFileBytes(log, text)) << c.arguments;
      EXPECT_NE(text.find("unknown switch: /NOSUCH\r\n"), std::string::npos) << text;
      EXPECT_NE(text.find("exit code: 2\r\n"), std::string::npos) << text;
    }
    window_.reset();
  }
}

// A damaged package is a failure to every caller, not a success.
TEST_F(MainWindowTest, MissingPackageShowsTheErrorAndEndsAsDamaged) {
  ProcessEndRecorder ends;
  MessageBoxAnswerer answerer(IDOK);
  window_ = std::make_unique<CHMainWnd>(GetModuleHandleW(nullptr));
  window_->SetStartupPaths(scratch_.Join(L"missing.exe"), temp_folder_);
  EXPECT_FALSE(window_->CreateMainWindow());
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text, L"安装包校验失败, 操作终止.");
  EXPECT_NE(answerer.seen()[0].caption, L"提示");
  EXPECT_EQ(ends.calls(), std::vector<UINT>{kExitPackageDamaged});
}

TEST_F(MainWindowTest, UninstallPageInTheTemporaryCopy) {
  ProcessEndRecorder ends;
  ASSERT_TRUE(CreateUninstallPage());
  EXPECT_TRUE(ends.calls().empty());
  EXPECT_EQ(window_->run_mode(), 0);
  EXPECT_EQ(WindowSize(hwnd()).cx, 670);
  EXPECT_EQ(WindowSize(hwnd()).cy, 330);
  EXPECT_TRUE(IsCentred(hwnd()));
  EXPECT_TRUE(IsLayered(hwnd()));
  EXPECT_EQ(window_->install_button(), nullptr);
  EXPECT_EQ(window_->folder_box(), nullptr);

  std::wstring texts;
  for (const auto& child : window_->children()) {
    if (auto* button = dynamic_cast<UIButton*>(child.get())) {
      texts += button->caption() + L"=" + std::to_wstring(button->command_id()) + L";";
    } else if (auto* label = dynamic_cast<UILabel*>(child.get())) {
      texts += label->text() + L";";
    }
  }
  EXPECT_NE(texts.find(L"您确认卸载Velto吗？;"), std::wstring::npos) << texts;
  EXPECT_NE(texts.find(L"卸载=1001;"), std::wstring::npos) << texts;
  EXPECT_NE(texts.find(L"取消=1002;"), std::wstring::npos) << texts;

  CHProcessWnd& progress = window_->progress_window();
  EXPECT_EQ(progress.run_mode(), 0);
  EXPECT_EQ(progress.success_window().hwnd(), nullptr);
  ASSERT_NE(progress.success_window2().hwnd(), nullptr);
  EXPECT_FALSE(IsWindowVisible(progress.success_window2().hwnd()));
}

TEST_F(MainWindowTest, UninstallCancelAndAgreeIdCloseTheWindow) {
  ASSERT_TRUE(CreateUninstallPage());
  const HWND window = hwnd();
  TakeQuitMessage();
  SendMessageW(window, WM_COMMAND, 1002, reinterpret_cast<LPARAM>(window));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(MainWindowTest, TemporaryCopyRecognisesItselfInShortAndUpperCaseForms) {
  wchar_t short_temp[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameW(temp_folder_.c_str(), short_temp, MAX_PATH), 0u);
  std::wstring upper = temp_folder_;
  CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
  ASSERT_TRUE(CreateDirectoryW((temp_folder_ + kRunName).c_str(), nullptr));
  const std::wstring copy = temp_folder_ + kRunName + L"\\unins000.exe";
  for (const std::wstring& form : {std::wstring(short_temp), upper}) {
    ProcessEndRecorder ends;
    ASSERT_TRUE(test_package::WriteFileBytes(copy, Package("{\"mode\":0}")));
    window_ = std::make_unique<CHMainWnd>(GetModuleHandleW(nullptr));
    window_->SetStartupPaths(copy, form);
    EXPECT_TRUE(window_->CreateMainWindow()) << form;
    EXPECT_TRUE(ends.calls().empty()) << form;
    window_.reset();
  }
}

// Each start from outside the temporary folder makes a new run folder there,
// copies itself into it, schedules copy and folder for removal at restart,
// starts the copy and waits for it; once the copy has ended its folder goes.
// (The copy's bytes are compared while it runs in the walk-through; the
// folder's access list in run_folder_test.cpp.)
TEST_F(MainWindowTest, UninstallerOutsideTheTemporaryFolderStartsACopyInANewRunFolder) {
  const std::wstring installed = scratch_.Join(L"unins000.exe");
  const std::string package = Package("{\"mode\":0,\"setup\":{}}");
  std::set<std::wstring> scheduled_folders;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    ProcessEndRecorder ends;
    app_test::StubRanEvent ran(L"unins000.exe");
    ASSERT_TRUE(test_package::WriteFileBytes(installed, package));
    window_ = std::make_unique<CHMainWnd>(GetModuleHandleW(nullptr));
    window_->SetStartupPaths(installed, temp_folder_);
    const std::wstring arguments = L"/S  /NODESKTOP";
    window_->set_options(ParseCommandLine(arguments), arguments);
    EXPECT_FALSE(window_->CreateMainWindow());
    // The installed uninstaller waited for its copy (the stub, which exits
    // with the length of its arguments) and ends with the copy's code.
    EXPECT_EQ(ends.calls(), std::vector<UINT>{static_cast<UINT>(arguments.size())});
    EXPECT_TRUE(ran.Wait()) << "the copy was not started";
    EXPECT_TRUE(CopyRunFolders(temp_folder_).empty()) << "the ended copy's run folder stays";
    if (RunsAsAdministrator()) {
      // Scheduled at restart as well, the file before its folder.
      const auto pending = PendingRenames();
      const auto file_at = std::find_if(pending.begin(), pending.end(), [&](const auto& rename) {
        return rename.first.rfind(L"\\??\\" + temp_folder_ + L"unins-", 0) == 0 &&
               rename.first.size() > 13 &&
               rename.first.compare(rename.first.size() - 13, 13, L"\\unins000.exe") == 0;
      });
      ASSERT_NE(file_at, pending.end()) << "the copy is not scheduled for removal";
      const std::wstring folder = file_at->first.substr(0, file_at->first.size() - 13);
      EXPECT_NE(std::find(file_at, pending.end(), std::make_pair(folder, std::wstring())),
                pending.end())
          << "the folder is not scheduled for removal after its file";
      EXPECT_TRUE(scheduled_folders.insert(folder).second) << "each run gets a new folder";
    }
    ForgetPendingRenamesUnder(temp_folder_);
  }
}

// An unknown temporary folder, or one where no run folder can be made: the
// uninstaller does not run from its install folder but reports the failure.
TEST_F(MainWindowTest, NoTemporaryCopyShowsTheUninstallErrorAndEndsWithOne) {
  const std::wstring installed = scratch_.Join(L"unins000.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(installed, Package("{\"mode\":0}")));
  for (const std::wstring& temp : {std::wstring(), temp_folder_ + L"missing\\"}) {
    SCOPED_TRACE(temp);
    ProcessEndRecorder ends;
    MessageBoxAnswerer answerer(IDOK);
    window_ = std::make_unique<CHMainWnd>(GetModuleHandleW(nullptr));
    window_->SetStartupPaths(installed, temp);
    EXPECT_FALSE(window_->CreateMainWindow());
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text, L"卸载出现错误, 操作中止.");
    EXPECT_NE(answerer.seen()[0].caption, L"提示");
    EXPECT_EQ(ends.calls(), std::vector<UINT>{kExitTemporaryUninstallerFailed});
    EXPECT_TRUE(RunFolders(temp_folder_).empty());
  }
}

}  // namespace
