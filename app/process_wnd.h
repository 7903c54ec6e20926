// CHProcessWnd: the window on screen while an engine works, and the work
// driver. It shows a step text and a progress bar, carries the install folder
// and the shortcut options the main window hands over, runs the engine of
// the run mode on the calling (user-interface) thread and then shows the
// finish window of the run mode, or reports the failure and ends the process
// with exit code 1. It owns both finish windows; only the one of the run mode
// gets a window. It cannot be closed.
#ifndef BRINDLE_APP_PROCESS_WND_H_
#define BRINDLE_APP_PROCESS_WND_H_

#include <string>

#include "app/command_line.h"
#include "app/success_wnd.h"
#include "app/success_wnd2.h"
#include "setup/package_layout.h"
#include "setup/product.h"
#include "setup/progress_sink.h"
#include "ui/framework/ui_frame_window.h"

class UIButton;
class UILabel;
class UIProgress;

inline constexpr int kProcessWindowWidth = 670;
inline constexpr int kProcessWindowHeight = 300;

class CHProcessWnd : public UIFrameWindow, public ProgressSink {
 public:
  CHProcessWnd();
  ~CHProcessWnd() override;

  // Command 2002 (the hidden cancel button) only disables that button; every
  // other command goes to the default processing and then to the owner.
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override;
  // No element timers run in this window: returns 0.
  LRESULT HandleTimer(WPARAM wparam, LPARAM lparam) override;
  // Sizes (670 x 300 at 96 DPI, scaled to dpi()), centres and layers the window and creates the
  // hidden finish window of the run mode.
  LRESULT HandleCreate(WPARAM wparam, LPARAM lparam) override;
  // The window cannot be closed: returns 0.
  LRESULT HandleClose(WPARAM wparam, LPARAM lparam) override;
  // kInstallFinishedMessage: shows "安装完毕: 100%" and a full bar, then
  // FinishWork.
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  // Loads the finish window's skin, builds the step label, the bar (0 to
  // 100) and the hidden cancel button, sets the first step text, then the
  // frame's own skin. Returns true.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;

  // The work driver: runs the engine of the run mode and logs its result. A
  // failed engine puts up the failed step text ("安装失败") and then shows its
  // error box owned by this window (for an
  // installation, the text of its cause; no box in an unattended run) and
  // ends the process with the exit code of the failure. On success it
  // returns, or in an unattended run ends the process with kExitSuccess.
  void StartWork();

  // ProgressSink, for the engines.
  HWND WindowHandle() const override { return hwnd(); }
  // Logs the question; a person answers it in a message box, an unattended
  // run answers without showing anything: IDYES with /CLOSEAPPLICATIONS (the
  // engine asks only whether to end the product's programs), else the safe
  // answer IDNO.
  int Ask(const std::wstring& text, const wchar_t* caption, UINT flags) override;
  void SetStepText(const std::wstring& text) override;
  void SetProgressPosition(int percent) override;
  std::wstring InstallFolder() const override { return install_folder_; }
  std::wstring CreatedFolderRoot() const override { return created_folder_root_; }
  bool DesktopOption() const override { return desktop_option_ != 0; }
  bool TaskbarOption() const override { return taskbar_option_ != 0; }
  bool StartMenuOption() const override { return start_menu_option_ != 0; }
  InstallScope Scope() const override { return scope_; }
  void SetLaunchPath(const std::wstring& path) override { launch_path_ = path; }
  // Fades this window out and shows the finish window of the run mode
  // topmost; an unattended run shows no finish window (and so never starts
  // the product).
  void FinishWork() override;

  // Set by the main window: the run mode before the window is created, the
  // folder (with the outermost folder its check created, or empty), the
  // options (0 or 1) and the install scope when the work starts.
  int run_mode() const { return run_mode_; }
  void set_run_mode(int mode) { run_mode_ = mode; }
  void set_install_folder(const std::wstring& folder) { install_folder_ = folder; }
  void set_created_folder_root(const std::wstring& root) { created_folder_root_ = root; }
  void set_desktop_option(int value) { desktop_option_ = value; }
  void set_taskbar_option(int value) { taskbar_option_ = value; }
  void set_start_menu_option(int value) { start_menu_option_ = value; }
  void set_scope(InstallScope scope) { scope_ = scope; }
  int desktop_option() const { return desktop_option_; }
  int taskbar_option() const { return taskbar_option_; }
  int start_menu_option() const { return start_menu_option_; }
  const std::wstring& install_folder() const { return install_folder_; }
  const std::wstring& launch_path() const { return launch_path_; }
  // The setup package (install) or uninstaller copy (uninstall) the engine
  // reads: the main window hands over the running executable, opened at
  // start; empty (nothing to read) until then.
  const PackageFile& package() const { return package_; }
  void set_package(const PackageFile& package) { package_ = package; }
  // The language of the texts of this window, its error boxes and its finish
  // windows; set before the window is created (default Chinese).
  void set_language(const Language& language);
  const Language& language() const { return language_; }
  // How much of the work a person sees (default: everything).
  void set_ui_level(UiLevel level) { ui_level_ = level; }
  // /CLOSEAPPLICATIONS: an unattended run answers Yes (default No).
  void set_close_applications(bool close) { close_applications_ = close; }

  UILabel* step_label() const { return step_label_; }
  UIProgress* progress_bar() const { return progress_bar_; }
  UIButton* cancel_button() const { return cancel_button_; }
  CHSuccessWnd& success_window() { return success_window_; }
  CHSuccessWnd2& success_window2() { return success_window2_; }

 private:
  UILabel* step_label_ = nullptr;
  UIProgress* progress_bar_ = nullptr;
  UIButton* cancel_button_ = nullptr;
  int run_mode_ = 0;
  Language language_;
  UiLevel ui_level_ = UiLevel::kFull;
  bool close_applications_ = false;
  int desktop_option_ = 1;
  int taskbar_option_ = 1;
  int start_menu_option_ = 1;
  InstallScope scope_ = InstallScope::kMachine;
  std::wstring install_folder_;
  std::wstring created_folder_root_;
  std::wstring launch_path_;
  PackageFile package_;
  CHSuccessWnd success_window_;
  CHSuccessWnd2 success_window2_;
};

// Shows `window` and puts it topmost without moving or sizing it.
void ShowTopmost(HWND window);

#endif  // BRINDLE_APP_PROCESS_WND_H_
