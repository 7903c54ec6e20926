#include "app/main_wnd.h"

#include <shlobj.h>

#include <memory>
#include <utility>
#include <vector>

#include "app/child_elements.h"
#include "app/command_ids.h"
#include "app/elevation.h"
#include "app/exit_code.h"
#include "app/fade_out.h"
#include "app/install_folder.h"
#include "app/package_config.h"
#include "app/process_end.h"
#include "app/temporary_uninstaller.h"
#include "app/texts.h"
#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/file_utils.h"
#include "setup/paths.h"
#include "setup/product.h"
#include "setup/same_path.h"
#include "setup/scratch_pool.h"
#include "setup/text_convert.h"
#include "ui/controls/cx_edit.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_check_box.h"
#include "ui/controls/ui_edit_box.h"
#include "ui/controls/ui_label.h"

CHMainWnd::CHMainWnd(HINSTANCE instance)
    : instance_(instance), package_path_(GetModulePath()), temp_folder_(GetTempFolder()) {}

CHMainWnd::~CHMainWnd() {
  // The window and the elements go before the skin they borrow from.
  const HWND window = Detach();
  if (window && ::IsWindow(window)) ::DestroyWindow(window);
  hover_child_ = nullptr;
  focus_child_ = nullptr;
  std::vector<std::unique_ptr<UIObject>> children = std::move(children_);
  children.clear();
}

bool CHMainWnd::CreateMainWindow() {
  return Create(nullptr, CW_USEDEFAULT, CW_USEDEFAULT, kMainWindowStyle, kMainWindowExStyle,
                kMainWindowTitle);
}

void CHMainWnd::SetStartupPaths(const std::wstring& package_path, const std::wstring& temp_folder) {
  package_path_ = package_path;
  temp_folder_ = temp_folder;
}

void CHMainWnd::PresetPage(int run_mode, JsonValue config) {
  page_preset_ = true;
  run_mode_ = run_mode;
  preset_config_ = std::move(config);
}

LRESULT CHMainWnd::HandleCreate(WPARAM wparam, LPARAM lparam) {
  UIFrameWindow::HandleCreate(wparam, lparam);  // Strips the caption bits.
  // The config lives while the page is built (the licence comes from it).
  JsonValue config;
  if (page_preset_) {
    config = std::move(preset_config_);
  } else {
    if (!SettleStartup(config)) return -1;
    skin_.LoadFromResource(instance_, kSkinResourceType, kSkinResourceId);
  }
  if (run_mode_ != kRunModeUninstall) {
    BuildInstallPage(config);
  } else {
    BuildUninstallPage();
  }
  CenterWindow();
  MakeLayered(this);
  return 0;
}

bool CHMainWnd::SettleStartup(JsonValue& config) {
  if (NeedsElevation()) {
    RelaunchElevated(package_path_, ElevationParameters(::GetCommandLineW()));
    EndProcess(kExitSuccess);
    return false;
  }
  if (!ReadPackageConfig(package_path_, config, run_mode_)) {
    ::MessageBoxW(hwnd(), kPackageDamagedText, nullptr, MB_ICONERROR);
    EndProcess(kExitSuccess);
    return false;
  }
  if (run_mode_ == kRunModeUninstall && !IsTemporaryUninstaller(package_path_, temp_folder_)) {
    // Never run from the install folder that the uninstall removes.
    if (StartTemporaryUninstaller(package_path_, temp_folder_)) {
      EndProcess(kExitSuccess);
    } else {
      ::MessageBoxW(hwnd(), kUninstallFailedText, nullptr, MB_ICONERROR);
      EndProcess(kExitTemporaryUninstallerFailed);
    }
    return false;
  }
  return true;
}

void CHMainWnd::BuildInstallPage(JsonValue& config) {
  LoadSkin(&skin_, "MainWindow", nullptr);
  install_button_ =
      CreateElementAs<UIButton>("MainWindow/InstallButton2", &skin_, kElementButton, this);
  desktop_box_ =
      CreateElementAs<UICheckBox>("MainWindow/CheckBoxDesktop", &skin_, kElementCheckBox, this);
  taskbar_box_ =
      CreateElementAs<UICheckBox>("MainWindow/CheckBoxTaskbar", &skin_, kElementCheckBox, this);
  start_menu_box_ =
      CreateElementAs<UICheckBox>("MainWindow/CheckBoxStartMenu", &skin_, kElementCheckBox, this);
  agreement_box_ =
      CreateElementAs<UICheckBox>("MainWindow/CheckBoxAgree", &skin_, kElementCheckBox, this);
  install_button_->SetText(kInstallButtonCaption);
  set_default_command(kCommandStart);
  set_cancel_command(kCommandClose);
  const std::pair<UICheckBox*, const wchar_t*> boxes[] = {
      {desktop_box_, kDesktopBoxCaption},
      {taskbar_box_, kTaskbarBoxCaption},
      {start_menu_box_, kStartMenuBoxCaption},
      {agreement_box_, kAgreementBoxCaption},
  };
  for (const auto& [box, caption] : boxes) {
    box->SetText(caption);
    box->SetCheck();
  }

  auto folder_box = std::make_unique<CXEdit>();
  folder_box_ = folder_box.get();
  AppendChild(this, std::move(folder_box));
  LayoutTree(folder_box_);
  folder_box_->LoadSkin(&skin_, "MainWindow/EditBoxPath", nullptr);
  offered_folder_ = DefaultInstallFolder(GetSpecialFolder(CSIDL_PROGRAM_FILES));
  folder_box_->SetText(offered_folder_.c_str());

  browse_button_ =
      CreateElementAs<UIButton>("MainWindow/ButtonBrowser", &skin_, kElementButton, this);
  browse_button_->SetText(kBrowseButtonCaption);

  CreateProgressWindow();

  licence_box_ =
      CreateElementAs<UIEditBox>("MainWindow/EditBoxReadMe", &skin_, kElementEditBox, this);
  licence_box_->set_multi_line(true);
  licence_box_->Invalidate(nullptr, true);
  ScratchPool pool;
  const char* licence = Base64Decode(config["protocol"].toCString(), pool);
  licence_box_->SetText(ToWide(pool, licence, CP_UTF8));

  ResizeWindow(kMainWindowWidth, kInstallPageHeight);
}

void CHMainWnd::BuildUninstallPage() {
  LoadSkin(&skin_, "MainWindow2", nullptr);
  auto* question = CreateElementAs<UILabel>("MainWindow2/Label1", &skin_, kElementLabel, this);
  auto* uninstall = CreateElementAs<UIButton>("MainWindow2/ButtonOK", &skin_, kElementButton, this);
  auto* cancel =
      CreateElementAs<UIButton>("MainWindow2/ButtonCancel", &skin_, kElementButton, this);
  question->SetText(kUninstallQuestion);
  uninstall->SetText(kUninstallButtonCaption);
  cancel->SetText(kCancelCaption);
  set_default_command(kCommandStart);
  set_cancel_command(kCommandAgreeOrCancel);
  CreateProgressWindow();
  ResizeWindow(kMainWindowWidth, kUninstallPageHeight);
}

void CHMainWnd::CreateProgressWindow() {
  progress_window_.set_run_mode(run_mode_);
  progress_window_.set_package_path(package_path_);
  progress_window_.Create(hwnd(), 0, 0, WS_POPUP, 0, L"");
  progress_window_.LoadSkin(&skin_, "ProcessWindow", nullptr);
}

LRESULT CHMainWnd::HandleCommand(WPARAM wparam, LPARAM lparam) {
  // Default processing and the parent window first (the main window has none).
  const LRESULT result = UIFrameWindow::HandleCommand(wparam, lparam);
  const int id = LOWORD(wparam);
  if (run_mode_ != kRunModeUninstall) {
    OnInstallCommand(id);
  } else {
    OnUninstallCommand(id);
  }
  return result;
}

void CHMainWnd::OnInstallCommand(int id) {
  switch (id) {
    case kCommandClose:
      Close();
      break;
    case kCommandStart:
      CheckFolderAndStart();
      break;
    case kCommandAgreeOrCancel:
      // The agreement box only governs the install button.
      install_button_->set_enabled(agreement_box_->checked());
      install_button_->Invalidate(nullptr, true);
      break;
    case kCommandBrowse:
      Browse();
      break;
    default:
      break;
  }
}

void CHMainWnd::OnUninstallCommand(int id) {
  switch (id) {
    case kCommandClose:
    case kCommandAgreeOrCancel:
      Close();
      break;
    case kCommandStart:
      StartWork();
      break;
    default:
      break;
  }
}

LRESULT CHMainWnd::HandleDestroy(WPARAM wparam, LPARAM lparam) {
  ::PostQuitMessage(0);
  return CallPreviousProc(WM_DESTROY, wparam, lparam);
}

std::wstring CHMainWnd::FolderText() const { return folder_box_->text(); }

void CHMainWnd::CheckFolderAndStart() {
  PreparedFolder folder;
  if (!PrepareInstallFolder(FolderText(), folder)) {
    ::MessageBoxW(hwnd(), kFolderWarningText, kFolderWarningCaption, MB_ICONWARNING);
    return;
  }
  progress_window_.set_install_folder(folder.path);
  progress_window_.set_created_folder_root(folder.created_root);
  StartWork();
}

void CHMainWnd::StartWork() {
  FadeOut(this);
  ShowTopmost(progress_window_.hwnd());
  if (run_mode_ != kRunModeUninstall) {
    progress_window_.set_desktop_option(desktop_box_->checked() ? 1 : 0);
    progress_window_.set_taskbar_option(taskbar_box_->checked() ? 1 : 0);
    progress_window_.set_start_menu_option(start_menu_box_->checked() ? 1 : 0);
  }
  progress_window_.StartWork();
}

void CHMainWnd::Browse() {
  const std::wstring kept = offered_folder_;
  BrowseForFolder(hwnd(), offered_folder_);
  if (offered_folder_.empty()) {
    offered_folder_ = kept;
    return;
  }
  offered_folder_ = ChosenInstallFolder(offered_folder_);
  folder_box_->SetText(offered_folder_.c_str());
}

void CHMainWnd::Close() { ::SendMessageW(hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }
