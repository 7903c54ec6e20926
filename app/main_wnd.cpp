#include "app/main_wnd.h"

#include <shlobj.h>

#include <memory>
#include <utility>
#include <vector>

#include "app/child_elements.h"
#include "app/command_ids.h"
#include "app/command_line.h"
#include "app/elevation.h"
#include "app/exit_code.h"
#include "app/fade_out.h"
#include "app/folder_problem_text.h"
#include "app/install_failure_text.h"
#include "app/install_folder.h"
#include "app/package_config.h"
#include "app/process_end.h"
#include "app/process_wait.h"
#include "app/run_folder.h"
#include "app/running_image.h"
#include "app/setup_log.h"
#include "app/temporary_uninstaller.h"
#include "app/texts.h"
#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/dotted_version.h"
#include "setup/file_utils.h"
#include "setup/install_record.h"
#include "setup/journal_file.h"
#include "setup/journal_recovery.h"
#include "setup/number_text.h"
#include "setup/os_version.h"
#include "setup/paths.h"
#include "setup/record_file.h"
#include "setup/same_path.h"
#include "setup/scratch_pool.h"
#include "setup/text_convert.h"
#include "setup/uninstall_key.h"
#include "setup/uninstaller_image.h"
#include "ui/controls/box_row.h"
#include "ui/controls/cx_edit.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_check_box.h"
#include "ui/controls/ui_edit_box.h"
#include "ui/controls/ui_label.h"
#include "ui/framework/dpi_scale.h"

namespace {

// The least space between two check boxes of a row, at 96 DPI.
constexpr int kBoxRowGap = 12;

// What the recovery of an interrupted run did, for the log.
void LogRecovery(const RecoveryResult& recovery) {
  if (!recovery.found) return;
  LogLine(L"interrupted run", recovery.uninstall
                                  ? L"uninstall finished"
                                  : (recovery.committed ? L"install finished" : L"install undone"));
  for (const std::wstring& line : recovery.unrestored) LogLine(L"not restored", line);
}

}  // namespace

CHMainWnd::CHMainWnd(HINSTANCE instance)
    : instance_(instance),
      package_path_(GetModulePath()),
      package_(package_path_),
      temp_folder_(GetTempFolder()) {}

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
  package_ = PackageFile(package_path);
  package_is_own_image_ = false;
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
    if (!ReadProduct(config, product_)) product_ = DefaultProduct();
  } else {
    if (!SettleStartup(config)) return -1;
  }
  scope_ = StartScope(product_.scope, options_);
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
  if (options_.help || !options_.unknown.empty()) {
    ShowUsage();
    return false;
  }
  if (MustElevate()) {
    // The elevated copy writes the log; this process only waits for it.
    EndProcess(RunElevated(package_path_, arguments_, kExitElevationDeclined));
    return false;
  }
  if (!options_.log_path.empty()) OpenSetupLog(options_.log_path);
  LogLine(L"package", package_path_);
  LogLine(L"arguments", arguments_);
  if ((package_is_own_image_ && !HoldsRunningImage(package_)) ||
      !ReadPackageConfig(package_, config, run_mode_) || !ReadProductAndSkin(config)) {
    EndWithDamagedPackage();
    return false;
  }
  LogLine(L"product", product_.name);
  LogLine(L"mode", run_mode_ == kRunModeUninstall ? L"uninstall" : L"install");
  if (run_mode_ == kRunModeUninstall && !IsTemporaryUninstaller(package_path_, temp_folder_)) {
    if (IsVistaOrLater() && !RunsAsAdministrator() &&
        StartScope(product_.scope, options_) == InstallScope::kMachine) {
      ElevateBeforeHandOff();
    } else {
      HandToTemporaryUninstaller();
    }
    return false;
  }
  // The process that does the work holds the product's lock until it ends.
  bool recovered = false;
  return LockAndRecover(recovered);
}

bool CHMainWnd::LockAndRecover(bool& recovered) {
  // The lock's area follows this process's rights, not the page's scope.
  const DWORD lock = product_lock_.Acquire(
      product_.id, RunsAsAdministrator() ? InstallScope::kMachine : InstallScope::kUser);
  if (lock != ERROR_SUCCESS) {
    LogLine(L"product lock", FormatLong(L"not taken, error %ld", static_cast<long>(lock)));
    Report(AppTextsFor(product_.language).already_running, nullptr, MB_ICONERROR);
    EndProcess(kExitSetupRunning);
    return false;
  }
  // Before any page: a run of the product that was interrupted is undone,
  // in either scope (a package of scope "both" may have run in either).
  // A journal area that someone else may change is neither read nor cleared.
  for (const InstallScope scope : {InstallScope::kMachine, InstallScope::kUser}) {
    const std::wstring problem = JournalTrustProblem(product_.id, scope);
    if (!problem.empty()) LogLine(L"journal not trusted", problem);
    const RecoveryResult recovery = RecoverInterruptedRun(product_.id, scope);
    LogRecovery(recovery);
    recovered = recovered || recovery.found;
    if (!recovery.unrestored.empty()) {
      // Its journal stays for the next start to try again; a new run would
      // replace it.
      const std::wstring text = FillText(AppTextsFor(product_.language).recovery_incomplete,
                                         JoinLines(recovery.unrestored));
      Report(text.c_str(), nullptr, MB_ICONERROR);
      EndProcess(kExitRollbackIncomplete);
      return false;
    }
  }
  return true;
}

bool CHMainWnd::MustElevate() const {
  if (!NeedsElevation()) return false;
  JsonValue package;
  int run_mode = 0;
  Product product;
  return !ReadPackageConfig(package_, package, run_mode) || !ReadProduct(package, product) ||
         StartScope(product.scope, options_) == InstallScope::kMachine;
}

void CHMainWnd::ElevateBeforeHandOff() {
  // A standard user's temporary copy would lie in a folder that user can
  // write, and an administrator's approval would then run whatever stands
  // there. The installed uninstaller lies where only administrators write:
  // it is started elevated, and the elevated process makes and protects its
  // own temporary copy. It writes the log from here on.
  LogLine(L"handed to", L"the elevated uninstaller");
  CloseSetupLog();
  package_ = PackageFile();
  EndProcess(RunElevated(package_path_, arguments_, kExitElevationDeclined));
}

void CHMainWnd::HandToTemporaryUninstaller() {
  // Never run from the install folder that the uninstall removes. This
  // process waits for the copy, and its running image could not be deleted:
  // it leaves the install folder (a running program may be renamed on its
  // volume) and leaves a copy of its bytes in its place, so that the
  // Uninstall entry names a working uninstaller until the uninstall itself
  // removes both, whenever the uninstall stops. An elevated process waits
  // where only administrators write: what waits is what it copies and may
  // move back to where the Uninstall entry points.
  UniqueHandle waiting_folder;
  const std::wstring waiting_image = WaitingUninstallerPath(
      temp_folder_, RunsAsAdministrator(), ::GetCurrentProcessId(), waiting_folder);
  // This process reads no more of its package; holding it would keep it from
  // moving. Its bytes are kept to check what is moved back.
  std::string moved_bytes;
  const bool read = ReadWholeFile(package_path_, moved_bytes);
  package_ = PackageFile();
  const bool moved = read && !waiting_image.empty() &&
                     ::MoveFileExW(package_path_.c_str(), waiting_image.c_str(),
                                   MOVEFILE_REPLACE_EXISTING) != FALSE;
  if (moved && !::CopyFileW(waiting_image.c_str(), package_path_.c_str(), TRUE)) {
    ::DeleteFileW(package_path_.c_str());  // what a failed copy may have left
  }
  // `completed`: the install folder holds what the work left, never this
  // uninstaller again.
  const auto leave = [&](bool completed) {
    if (moved) ReturnOrDropWaitingImage(waiting_image, moved_bytes, completed);
  };
  // Recovery first: an interrupted upgrade may have left this uninstaller
  // with a record that its recovery makes stale. The copy takes the lock
  // again for its work.
  bool recovered = false;
  if (!LockAndRecover(recovered)) {
    leave(false);
    return;
  }
  product_lock_.Release();
  if (recovered) {
    leave(true);
    RestartRecoveredUninstaller();
    return;
  }
  const std::wstring self = moved ? waiting_image : package_path_;
  // A signed uninstaller's record stays in the install folder; the copy takes it along.
  const std::wstring record =
      KeepsRecordBeside(self) ? RecordPathBeside(package_path_) : std::wstring();
  UniqueHandle copy;
  if (StartTemporaryUninstaller(self, temp_folder_, arguments_, copy, record) && copy) {
    // The copy writes the log from here on.
    LogLine(L"handed to", L"the temporary uninstaller copy");
    CloseSetupLog();
    const UINT code = WaitForExitCode(copy.get(), kExitTemporaryUninstallerFailed);
    // The copy has ended: its run folder goes now, not only at the next
    // restart (which needs administrator rights to be scheduled) or run.
    RemoveEarlierRunFolders(temp_folder_);
    leave(code == kExitSuccess);
    EndProcess(code);
    return;
  }
  leave(false);
  Report(AppTextsFor(product_.language).uninstall_failed, nullptr, MB_ICONERROR);
  EndProcess(kExitTemporaryUninstallerFailed);
}

void CHMainWnd::RestartRecoveredUninstaller() {
  // What recovery left in the install folder is the uninstaller of the
  // install that stands now (none: nothing of the product is left).
  if (::GetFileAttributesW(package_path_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    LogLine(L"uninstall", L"nothing left to uninstall");
    EndProcess(kExitSuccess);
    return;
  }
  UniqueHandle restarted;
  StartProgram(package_path_, arguments_, restarted);
  if (!restarted) {
    Report(AppTextsFor(product_.language).uninstall_failed, nullptr, MB_ICONERROR);
    EndProcess(kExitTemporaryUninstallerFailed);
    return;
  }
  LogLine(L"handed to", L"the recovered install's uninstaller");
  CloseSetupLog();
  EndProcess(WaitForExitCode(restarted.get(), kExitTemporaryUninstallerFailed));
}

void CHMainWnd::ReturnOrDropWaitingImage(const std::wstring& waiting_image,
                                         const std::string& moved_bytes, bool completed) {
  if (!completed && ::GetFileAttributesW(package_path_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // Not completed, and the copy left in the install folder is gone: the
    // install gets this uninstaller back, unless the waiting file is no
    // longer the one moved out.
    if (ReturnWaitingUninstaller(waiting_image, package_path_, moved_bytes)) return;
    LogLine(L"uninstaller not moved back", waiting_image);
  }
  // Removed when the system restarts (with administrator rights), or by a
  // person: this process still runs from it.
  ::MoveFileExW(waiting_image.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  // Its protected run folder after it; a later run removes it once empty.
  const std::wstring folder = waiting_image.substr(0, waiting_image.find_last_of(L'\\'));
  if (IsRunFolderName(folder.substr(folder.find_last_of(L'\\') + 1))) {
    ::MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

void CHMainWnd::ShowUsage() {
  // The language of the package when it can be read; the box needs no more.
  JsonValue package;
  int run_mode = 0;
  if (ReadPackageConfig(package_, package, run_mode)) ReadProduct(package, product_);
  if (!options_.unknown.empty() && options_.unattended()) {
    // Nobody would click the box away: the deployment would hang on it.
    if (!options_.log_path.empty()) OpenSetupLog(options_.log_path);
    LogLine(L"arguments", arguments_);
    LogLine(L"unknown switch", options_.unknown);
  } else {
    ::MessageBoxW(hwnd(), AppTextsFor(product_.language).usage, nullptr, MB_ICONINFORMATION);
  }
  EndProcess(options_.help && options_.unknown.empty() ? kExitSuccess : kExitBadCommandLine);
}

void CHMainWnd::Report(const wchar_t* text, const wchar_t* caption, UINT flags) {
  LogLine(L"failed", text);
  if (!options_.unattended()) ::MessageBoxW(hwnd(), text, caption, flags);
}

bool CHMainWnd::ReadProductAndSkin(const JsonValue& config) {
  if (!ReadProduct(config, product_)) return false;
  if (HasPackageSkin(config)) return LoadPackageSkin(config, skin_);
  // A program without the embedded skin draws nothing, as a skin without a key does.
  skin_.LoadFromResource(instance_, kSkinResourceType, kSkinResourceId);
  return true;
}

void CHMainWnd::EndWithDamagedPackage() {
  // A signed uninstaller whose record file is missing or damaged: the log names the file.
  if (KeepsRecordBeside(package_path_)) LogLine(L"record", RecordPathBeside(package_path_));
  Report(AppTextsFor(product_.language).package_damaged, nullptr, MB_ICONERROR);
  EndProcess(kExitPackageDamaged);
}

void CHMainWnd::BuildInstallPage(JsonValue& config) {
  const AppTexts& texts = AppTextsFor(product_.language);
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
  install_button_->SetText(texts.install_button);
  set_default_command(kCommandStart);
  set_cancel_command(kCommandClose);
  // Every box starts ticked but the shortcuts that switches leave out.
  const struct {
    UICheckBox* box;
    const wchar_t* caption;
    bool left_out;
  } boxes[] = {
      {desktop_box_, texts.desktop_box, options_.no_desktop},
      {taskbar_box_, texts.taskbar_box, options_.no_taskbar},
      {start_menu_box_, texts.start_menu_box, options_.no_start_menu},
      {agreement_box_, texts.agreement_box, false},
  };
  for (const auto& [box, caption, left_out] : boxes) {
    box->SetText(caption);
    if (!left_out) box->SetCheck();
  }
  if (product_.scope == PackageScope::kBoth) BuildScopeBox(texts);

  auto folder_box = std::make_unique<CXEdit>();
  folder_box_ = folder_box.get();
  AppendChild(this, std::move(folder_box));
  LayoutTree(folder_box_);
  folder_box_->LoadSkin(&skin_, "MainWindow/EditBoxPath", nullptr);
  folder_follows_scope_ = options_.folder.empty();
  offered_folder_ = folder_follows_scope_ ? OfferedFolder() : options_.folder;
  package_version_ =
      config["version"].kind() == JsonKind::String ? config["version"].toCString() : std::string();
  folder_box_->SetText(offered_folder_.c_str());

  browse_button_ =
      CreateElementAs<UIButton>("MainWindow/ButtonBrowser", &skin_, kElementButton, this);
  browse_button_->SetText(texts.browse_button);

  CreateProgressWindow();

  licence_box_ =
      CreateElementAs<UIEditBox>("MainWindow/EditBoxReadMe", &skin_, kElementEditBox, this);
  licence_box_->set_multi_line(true);
  licence_box_->Invalidate(nullptr, true);
  ScratchPool pool;
  const char* licence = Base64Decode(config["protocol"].toCString(), pool);
  licence_box_->SetText(ToWide(pool, licence, CP_UTF8));

  // The folder box's and the licence's labels are drawn into the skin, the
  // close button is a picture: assistive technology gets their names here.
  folder_box_->set_accessible_name(texts.folder_box_name);
  licence_box_->set_accessible_name(texts.licence_box_name);
  if (close_button()) close_button()->set_accessible_name(texts.close_name);

  ResizeWindow(ScaleLength(kMainWindowWidth, dpi()), ScaleLength(kInstallPageHeight, dpi()));
}

void CHMainWnd::OnResized() {
  UIFrameWindow::OnResized();
  if (!install_button_ || !browse_button_) return;
  // The shortcut boxes share the row before the install button; the agreement
  // box (with the scope box beside it) may use the width of the folder row.
  const int gap = ScaleLength(kBoxRowGap, dpi());
  FitBoxRow({desktop_box_, taskbar_box_, start_menu_box_}, install_button_->rect().left - gap / 2,
            gap);
  std::vector<UICheckBox*> agreement_row = {agreement_box_};
  if (all_users_box_) agreement_row.push_back(all_users_box_);
  FitBoxRow(agreement_row, browse_button_->rect().right, gap);
}

void CHMainWnd::BuildScopeBox(const AppTexts& texts) {
  all_users_box_ =
      CreateElementAs<UICheckBox>("MainWindow/CheckBoxAllUsers", &skin_, kElementCheckBox, this);
  all_users_box_->SetText(texts.all_users_box);
  if (scope_ == InstallScope::kMachine) all_users_box_->SetCheck();
  all_users_box_->set_enabled(all_users_box_->checked() || RunsAsAdministrator());
}

void CHMainWnd::OnAllUsersBox() {
  scope_ = all_users_box_->checked() ? InstallScope::kMachine : InstallScope::kUser;
  // Unticked without administrator rights, it stays unticked.
  all_users_box_->set_enabled(all_users_box_->checked() || RunsAsAdministrator());
  all_users_box_->Invalidate(nullptr, true);
  if (folder_follows_scope_ && FolderText() == offered_folder_) {
    offered_folder_ = OfferedFolder();
    folder_box_->SetText(offered_folder_.c_str());
  }
}

void CHMainWnd::BuildUninstallPage() {
  const AppTexts& texts = AppTextsFor(product_.language);
  LoadSkin(&skin_, "MainWindow2", nullptr);
  auto* question = CreateElementAs<UILabel>("MainWindow2/Label1", &skin_, kElementLabel, this);
  auto* uninstall = CreateElementAs<UIButton>("MainWindow2/ButtonOK", &skin_, kElementButton, this);
  auto* cancel =
      CreateElementAs<UIButton>("MainWindow2/ButtonCancel", &skin_, kElementButton, this);
  question->SetText(FillText(texts.uninstall_question, product_.name).c_str());
  uninstall->SetText(texts.uninstall_button);
  cancel->SetText(texts.cancel);
  set_default_command(kCommandStart);
  set_cancel_command(kCommandAgreeOrCancel);
  if (close_button()) close_button()->set_accessible_name(texts.close_name);
  CreateProgressWindow();
  ResizeWindow(ScaleLength(kMainWindowWidth, dpi()), ScaleLength(kUninstallPageHeight, dpi()));
}

void CHMainWnd::CreateProgressWindow() {
  progress_window_.set_run_mode(run_mode_);
  progress_window_.set_package(package_);
  progress_window_.set_language(product_.language);
  progress_window_.set_ui_level(options_.ui);
  progress_window_.set_close_applications(options_.close_applications);
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
    case kCommandAllUsersBox:
      if (all_users_box_) OnAllUsersBox();
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
  // The page is closed only before the work starts: the user cancelled.
  ::PostQuitMessage(static_cast<int>(kExitCancelled));
  return CallPreviousProc(WM_DESTROY, wparam, lparam);
}

std::wstring CHMainWnd::FolderText() const { return folder_box_->text(); }

std::wstring CHMainWnd::OfferedFolder() const {
  std::wstring installed;
  if (ReadUninstallValue(product_.id, L"InstallLocation", installed, scope_) == ERROR_SUCCESS &&
      IsFullPath(installed)) {
    return installed;
  }
  const std::wstring programs =
      scope_ == InstallScope::kUser ? UserProgramsFolder() : GetSpecialFolder(CSIDL_PROGRAM_FILES);
  return DefaultInstallFolder(programs, product_.name);
}

bool CHMainWnd::AskYesNo(bool allowed, const std::wstring& question) {
  LogLine(L"question", question);
  if (allowed) {
    LogLine(L"answer", L"yes (by switch)");
    return true;
  }
  // Without a person every other question takes its safe answer, No.
  const bool yes =
      !options_.unattended() &&
      ::MessageBoxW(hwnd(), question.c_str(), AppTextsFor(product_.language).folder_warning_caption,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  LogLine(L"answer", yes ? L"yes" : L"no");
  return yes;
}

UINT CHMainWnd::ConfirmFolderAndVersion(const PreparedFolder& folder) {
  const AppTexts& texts = AppTextsFor(product_.language);
  if (folder.created_root.empty() && IsFolderNotEmpty(folder.path) &&
      !FindEarlierInstall(folder.path, product_.id).found &&
      !AskYesNo(options_.allow_non_empty_folder, FillText(texts.folder_not_empty, folder.path))) {
    return kExitFolderNotEmpty;
  }
  std::wstring installed;
  if (!package_version_.empty() &&
      ReadUninstallValue(product_.id, L"DisplayVersion", installed, scope_) == ERROR_SUCCESS) {
    ScratchPool pool;
    const std::string installed_utf8 = ToNarrow(installed.c_str(), pool, CP_UTF8);
    if (CompareDottedVersions(package_version_, installed_utf8) < 0 &&
        !AskYesNo(options_.allow_downgrade, FillText(texts.downgrade, installed))) {
      return kExitDowngradeNotAllowed;
    }
  }
  return kExitSuccess;
}

void CHMainWnd::CheckFolderAndStart() {
  PreparedFolder folder;
  const FolderCheck check = PrepareInstallFolder(FolderText(), product_.name, folder);
  if (!check) {
    const AppTexts& texts = AppTextsFor(product_.language);
    const std::wstring text = FolderProblemText(check, texts);
    LogLine(L"folder", FolderText());
    Report(text.c_str(), texts.folder_warning_caption, MB_ICONWARNING);
    if (options_.unattended()) EndProcess(kExitBadFolder);
    return;
  }
  const UINT refused = ConfirmFolderAndVersion(folder);
  if (refused != kExitSuccess) {
    // Only what the check made goes again; the user may choose another folder.
    RemoveCreatedFolders(folder);
    if (options_.unattended()) EndProcess(refused);
    return;
  }
  progress_window_.set_install_folder(folder.path);
  progress_window_.set_created_folder_root(folder.created_root);
  StartWork();
}

void CHMainWnd::StartWork() {
  if (::IsWindowVisible(hwnd())) FadeOut(this);
  if (options_.ui != UiLevel::kSilent) ShowTopmost(progress_window_.hwnd());
  if (run_mode_ != kRunModeUninstall) {
    progress_window_.set_desktop_option(desktop_box_->checked() ? 1 : 0);
    progress_window_.set_taskbar_option(taskbar_box_->checked() ? 1 : 0);
    progress_window_.set_start_menu_option(start_menu_box_->checked() ? 1 : 0);
    progress_window_.set_scope(scope_);
    UseShortcutPlace(ChooseShortcutPlace(scope_ == InstallScope::kMachine, product_.shortcuts,
                                         RunsAsLocalSystem()));
    LogLine(L"shortcut folders",
            ShortcutPlaceInUse() == ShortcutPlace::kAllUsers ? L"all users" : L"current user");
    LogLine(L"folder", progress_window_.install_folder());
    LogLine(L"scope", scope_ == InstallScope::kUser ? L"current user" : L"all users");
    LogLine(L"shortcuts", ShortcutsText());
  }
  progress_window_.StartWork();
}

std::wstring CHMainWnd::ShortcutsText() const {
  std::wstring text;
  const std::pair<const wchar_t*, UICheckBox*> boxes[] = {
      {L"desktop", desktop_box_}, {L"taskbar", taskbar_box_}, {L"start menu", start_menu_box_}};
  for (const auto& [name, box] : boxes) {
    if (!box->checked()) continue;
    if (!text.empty()) text += L", ";
    text += name;
  }
  return text.empty() ? L"none" : text;
}

void CHMainWnd::set_options(const CommandLineOptions& options, const std::wstring& arguments) {
  options_ = options;
  arguments_ = arguments;
}

void CHMainWnd::RunUnattended() {
  if (run_mode_ != kRunModeUninstall) {
    CheckFolderAndStart();
  } else {
    StartWork();
  }
}

void CHMainWnd::Browse() {
  const std::wstring kept = offered_folder_;
  BrowseForFolder(hwnd(), offered_folder_);
  if (offered_folder_.empty()) {
    offered_folder_ = kept;
    return;
  }
  offered_folder_ = ChosenInstallFolder(offered_folder_, product_.name);
  folder_follows_scope_ = false;
  folder_box_->SetText(offered_folder_.c_str());
}

void CHMainWnd::Close() { ::SendMessageW(hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }
