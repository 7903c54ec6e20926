// CHMainWnd: the setup's main window. Its creation settles the process's life
// (elevated relaunch, package check, uninstall relaunch from the temporary
// folder) and builds the page of the run mode: in install mode the licence,
// the install folder with a browse button, three shortcut options, the
// agreement box and the install button; in uninstall mode a confirmation
// with an uninstall and a cancel button. On the start command it checks the
// folder, fades out, hands folder and options to the progress window and
// runs the work there.
//
// The main window owns the skin resource, which every setup window draws
// from, and the progress window, which owns the finish windows.
#ifndef BRINDLE_APP_MAIN_WND_H_
#define BRINDLE_APP_MAIN_WND_H_

#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "app/install_folder.h"
#include "app/process_wnd.h"
#include "app/product_lock.h"
#include "json/json_value.h"
#include "setup/product.h"
#include "ui/framework/ui_frame_window.h"
#include "ui/framework/ui_resource.h"

struct AppTexts;
class CXEdit;
class UIButton;
class UICheckBox;
class UIEditBox;

// Window styles of the main window (a borderless, captionless popup).
inline constexpr DWORD kMainWindowStyle = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
inline constexpr DWORD kMainWindowExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

// Page sizes in pixels.
inline constexpr int kMainWindowWidth = 670;
inline constexpr int kInstallPageHeight = 680;
inline constexpr int kUninstallPageHeight = 330;

// The skin resource: type "UIR", id 129 of the program's instance.
inline constexpr wchar_t kSkinResourceType[] = L"UIR";
inline constexpr int kSkinResourceId = 129;

class CHMainWnd : public UIFrameWindow {
 public:
  // `instance` holds the skin resource (the program's instance).
  explicit CHMainWnd(HINSTANCE instance);
  // Destroys the window and the element tree while the skin still exists.
  ~CHMainWnd() override;

  // Runs the command table of the page (see main_wnd.cpp); returns what the
  // previous window procedure returned.
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override;
  // Start-up checks, then the page. Returns -1 (no window) only when a test
  // hook kept an early end from ending the process.
  LRESULT HandleCreate(WPARAM wparam, LPARAM lparam) override;
  // Ends the message loop: closing the main window ends the program.
  LRESULT HandleDestroy(WPARAM wparam, LPARAM lparam) override;
  // After every layout (size or DPI change): the frame's own work, then the
  // install page's check boxes fitted to their captions (FitInstallPageBoxes).
  void OnResized() override;

  // Creates the hidden window; HandleCreate runs inside. True when it exists.
  bool CreateMainWindow();

  // The package the start-up reads and the engines work on (by default the
  // running executable, opened when this window object is made and read only
  // through that handle) and the folder of the temporary uninstaller copy (by
  // default the user's temporary folder). Tests point them at scratch files
  // before CreateMainWindow; a package set here is not checked against the
  // running image.
  void SetStartupPaths(const std::wstring& package_path, const std::wstring& temp_folder);

  // The skin preview: CreateMainWindow skips the start-up checks (elevation,
  // package, uninstall relaunch) and the embedded skin, and builds the page of
  // `run_mode` from the skin the caller loaded into skin() beforehand, with
  // `config` as the package config (the install page's licence is its
  // "protocol"). Call before CreateMainWindow.
  void PresetPage(int run_mode, JsonValue config);

  // The switches of this run and the arguments they came from (passed on in
  // full to the elevated relaunch and the temporary uninstaller). Call
  // before CreateMainWindow; without a call the run has no switches.
  void set_options(const CommandLineOptions& options, const std::wstring& arguments);
  const CommandLineOptions& options() const { return options_; }
  // True for /S and /PASSIVE: the page is never shown; RunUnattended does
  // the work at once.
  bool unattended() const { return options_.unattended(); }
  // Starts the work of the page without a person: the install with the
  // folder and shortcut options of the page (a bad folder ends the process
  // with kExitBadFolder), or the uninstall. Ends the process.
  void RunUnattended();

  int run_mode() const { return run_mode_; }
  // The product the package describes; Velto until the start-up read it.
  const Product& product() const { return product_; }
  UIResource& skin() { return skin_; }
  CHProcessWnd& progress_window() { return progress_window_; }
  const std::wstring& offered_folder() const { return offered_folder_; }
  // Install page controls; null on the uninstall page.
  UIButton* install_button() const { return install_button_; }
  UIButton* browse_button() const { return browse_button_; }
  UICheckBox* agreement_box() const { return agreement_box_; }
  UICheckBox* desktop_box() const { return desktop_box_; }
  UICheckBox* taskbar_box() const { return taskbar_box_; }
  UICheckBox* start_menu_box() const { return start_menu_box_; }
  // Null unless the package's scope is "both".
  UICheckBox* all_users_box() const { return all_users_box_; }
  // For whom the install is made: the package's scope, the switches and the
  // page's box (valid once the start-up has read the package).
  InstallScope scope() const { return scope_; }
  CXEdit* folder_box() const { return folder_box_; }
  UIEditBox* licence_box() const { return licence_box_; }

 private:
  // False when the process ends here (relaunch or no package).
  bool SettleStartup(JsonValue& config);
  // True when the process must start itself again with administrator
  // rights: NeedsElevation, unless the package (or uninstaller) is for the
  // current user only (a package that cannot be read is left to the
  // elevated copy to report, as before).
  bool MustElevate() const;
  // The scope box of a package of scope "both", ticked for every user; it
  // can be ticked only by a process with administrator rights.
  void BuildScopeBox(const AppTexts& texts);
  // The scope box was clicked: the scope follows it, and so does the
  // offered folder unless the user chose one.
  void OnAllUsersBox();
  // The package's product and its skin (the package's own, or the one built
  // into the program). False when the product or the package's own skin is
  // damaged.
  bool ReadProductAndSkin(const JsonValue& config);
  // Shows the damaged-package box and ends the process.
  void EndWithDamagedPackage();
  // Takes the product's lock and undoes or finishes an interrupted run of the
  // product; `recovered` is set when a journal was found. False, having ended
  // the process (1618 or an incomplete recovery), when the run may not go on.
  bool LockAndRecover(bool& recovered);
  // Moves this (installed) uninstaller out of the install folder, leaving a
  // copy there, recovers an interrupted run, then starts the temporary
  // uninstaller copy, waits for it and ends the process with its exit code.
  void HandToTemporaryUninstaller();
  // After a recovery before the hand-off: starts the uninstaller the install
  // folder holds now with the same arguments and ends with its exit code
  // (0 when recovery left nothing of the product).
  void RestartRecoveredUninstaller();
  // For a process without administrator rights on Windows Vista and later:
  // starts this (installed) uninstaller elevated, waits for it and ends the
  // process with its exit code (kExitElevationDeclined when refused).
  void ElevateBeforeHandOff();
  // After the wait: puts the image this process runs from back as the
  // install's uninstaller when the install folder has none and the work did
  // not complete (`completed`: the folder holds what an uninstall or a
  // recovery left), unless the image no longer holds `moved_bytes`, what was
  // moved out; otherwise has it removed at restart.
  void ReturnOrDropWaitingImage(const std::wstring& waiting_image, const std::string& moved_bytes,
                                bool completed);
  // The box of switches (/?, or an unknown switch when a person watches) and
  // the end of the process; an unattended run with an unknown switch only
  // logs it (to its /LOG= file, when it names one).
  void ShowUsage();
  // Logs `text` as the cause of a failure and shows it in a message box, but
  // only when a person watches (no /S or /PASSIVE).
  void Report(const wchar_t* text, const wchar_t* caption, UINT flags);
  // The chosen shortcuts, for the log.
  std::wstring ShortcutsText() const;
  void BuildInstallPage(JsonValue& config);
  void BuildUninstallPage();
  void CreateProgressWindow();
  void OnInstallCommand(int id);
  void OnUninstallCommand(int id);
  void CheckFolderAndStart();
  // The folder of the product's install registered in the scope, or the
  // scope's default one.
  std::wstring OfferedFolder() const;
  // The questions before installing into `folder`: a folder holding other
  // files than an earlier install of the product, and a package older than
  // the installed version. kExitSuccess to go on; otherwise the question was
  // answered No and the result is the code an unattended run ends with.
  UINT ConfirmFolderAndVersion(const PreparedFolder& folder);
  // True when the switch of the question (`allowed`) answers it, or else a
  // person answers Yes in a question box owned by this window (No the
  // default; an unattended run answers No).
  bool AskYesNo(bool allowed, const std::wstring& question);
  void StartWork();
  void Browse();
  void Close();
  std::wstring FolderText() const;

  // Declared first so that it is destroyed last: every element borrows from it.
  UIResource skin_;
  CHProcessWnd progress_window_;
  std::wstring offered_folder_;
  int run_mode_ = 1;
  Product product_ = DefaultProduct();
  // Held for the life of the process once the start-up has settled.
  ProductLock product_lock_;
  // The package's "version"; empty when it names none.
  std::string package_version_;
  HINSTANCE instance_;
  std::wstring package_path_;
  // The package, open from the start to the end of the process (see
  // SetStartupPaths), and whether it must be the running image.
  PackageFile package_;
  bool package_is_own_image_ = true;
  std::wstring temp_folder_;
  UIButton* install_button_ = nullptr;
  UIButton* browse_button_ = nullptr;
  UICheckBox* agreement_box_ = nullptr;
  UICheckBox* desktop_box_ = nullptr;
  UICheckBox* taskbar_box_ = nullptr;
  UICheckBox* start_menu_box_ = nullptr;
  UICheckBox* all_users_box_ = nullptr;
  CXEdit* folder_box_ = nullptr;
  UIEditBox* licence_box_ = nullptr;
  CommandLineOptions options_;
  InstallScope scope_ = InstallScope::kMachine;
  // False once the folder came from /D= or the folder dialog: the scope box
  // no longer changes it.
  bool folder_follows_scope_ = true;
  std::wstring arguments_;
  bool page_preset_ = false;
  JsonValue preset_config_;
};

#endif  // BRINDLE_APP_MAIN_WND_H_
