#include "app/process_wnd.h"

#include "app/child_elements.h"
#include "app/command_ids.h"
#include "app/exit_code.h"
#include "app/fade_out.h"
#include "app/install_failure_text.h"
#include "app/process_end.h"
#include "app/setup_log.h"
#include "app/texts.h"
#include "setup/install_engine.h"
#include "setup/paths.h"
#include "setup/uninstall_engine.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_label.h"
#include "ui/controls/ui_progress.h"
#include "ui/framework/accessible_elements.h"
#include "ui/framework/dpi_scale.h"

namespace {

constexpr int kProgressLower = 0;
constexpr int kProgressUpper = 100;

}  // namespace

void ShowTopmost(HWND window) {
  ::ShowWindow(window, SW_SHOW);
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

CHProcessWnd::CHProcessWnd() = default;

CHProcessWnd::~CHProcessWnd() = default;

void CHProcessWnd::set_language(const Language& language) {
  language_ = language;
  success_window_.set_language(language);
  success_window2_.set_language(language);
}

LRESULT CHProcessWnd::HandleCommand(WPARAM wparam, LPARAM lparam) {
  if (LOWORD(wparam) == kCommandCancelWork) {
    if (cancel_button_) {
      cancel_button_->set_enabled(false);
      cancel_button_->Invalidate(nullptr, true);
    }
    return 0;
  }
  // Default processing, then the owner (the main window) with its table.
  return UIFrameWindow::HandleCommand(wparam, lparam);
}

LRESULT CHProcessWnd::HandleTimer(WPARAM, LPARAM) { return 0; }

LRESULT CHProcessWnd::HandleCreate(WPARAM wparam, LPARAM lparam) {
  UIFrameWindow::HandleCreate(wparam, lparam);
  ResizeWindow(ScaleLength(kProcessWindowWidth, dpi()), ScaleLength(kProcessWindowHeight, dpi()));
  CenterWindow();
  MakeLayered(this);
  if (run_mode_) {
    success_window_.Create(hwnd(), 0, 0, WS_POPUP, 0, L"");
  } else {
    success_window2_.Create(hwnd(), 0, 0, WS_POPUP, 0, L"");
  }
  return 0;
}

LRESULT CHProcessWnd::HandleClose(WPARAM, LPARAM) { return 0; }

LRESULT CHProcessWnd::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != kInstallFinishedMessage) return UIFrameWindow::OnMessage(message, wparam, lparam);
  SetStepText(AppTextsFor(language_).install_finished);
  SetProgressPosition(kProgressUpper);
  FinishWork();
  return 0;
}

bool CHProcessWnd::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  if (run_mode_) {
    success_window_.LoadSkin(resource, "SuccessWindow", nullptr);
  } else {
    success_window2_.LoadSkin(resource, "SuccessWindow2", nullptr);
  }
  step_label_ = AddLoadedChild<UILabel>(this, resource, "ProcessWindow/Label1");
  progress_bar_ = AddLoadedChild<UIProgress>(this, resource, "ProcessWindow/Progress1");
  progress_bar_->set_lower(kProgressLower);
  progress_bar_->set_upper(kProgressUpper);
  progress_bar_->Invalidate(nullptr, true);
  cancel_button_ = AddLoadedChild<UIButton>(this, resource, "ProcessWindow/ButtonCancel");
  const AppTexts& texts = AppTextsFor(language_);
  progress_bar_->set_accessible_name(texts.progress_name);
  cancel_button_->SetText(texts.cancel);
  // The engines consult no cancel request, so the button never shows.
  if (cancel_button_->visible()) SetVisible(cancel_button_, false);
  step_label_->SetText(run_mode_ ? texts.preparing_install : texts.preparing_uninstall);
  UIFrameWindow::LoadSkin(resource, path, base);
  if (close_button()) close_button()->set_accessible_name(texts.close_name);
  return true;
}

void CHProcessWnd::StartWork() {
  const AppTexts& texts = AppTextsFor(language_);
  std::wstring failure;
  UINT exit_code = kExitFailed;
  if (run_mode_) {
    const InstallResult result = RunInstallFromPackage(package_, *this);
    if (!result) {
      failure = InstallFailureText(result, texts);
      exit_code = InstallFailureExitCode(result);
    }
  } else {
    const UninstallResult result = RunUninstallFromPackage(package_, *this);
    for (const std::wstring& path : result.skipped) LogLine(L"skipped (outside the folder)", path);
    exit_code = UninstallExitCode(result);
    if (!result.read) {
      failure = texts.uninstall_failed;
    } else if (result.restart_scheduled) {
      // The restart removes what is left: the uninstall is complete then.
      failure = FillText(texts.uninstall_restart, JoinLines(result.left));
    } else if (!result.left.empty()) {
      // What is left stays registered and uninstallable; closing the
      // programs that hold the files and uninstalling again finishes it.
      failure = FillText(texts.uninstall_incomplete, JoinLines(result.left));
    }
  }
  if (exit_code == kExitRestartNeeded) {
    LogLine(L"result", failure);
    if (ui_level_ == UiLevel::kFull) {
      ::MessageBoxW(hwnd(), failure.c_str(), nullptr, MB_ICONINFORMATION);
    }
    EndProcess(exit_code);
    return;
  }
  if (failure.empty()) {
    LogLine(L"result", L"completed");
    if (ui_level_ != UiLevel::kFull) EndProcess(kExitSuccess);
    return;
  }
  LogLine(L"failed", failure);
  // The box must not stand in front of a step that seems to go on.
  SetStepText(run_mode_ ? texts.install_failed_step : texts.uninstall_failed_step);
  if (ui_level_ == UiLevel::kFull) ::MessageBoxW(hwnd(), failure.c_str(), nullptr, MB_ICONERROR);
  EndProcess(exit_code);
}

int CHProcessWnd::Ask(const std::wstring& text, const wchar_t* caption, UINT flags) {
  LogLine(L"question", text);
  const int unattended_answer = close_applications_ ? IDYES : IDNO;
  const int answer = ui_level_ == UiLevel::kFull
                         ? ::MessageBoxW(hwnd(), text.c_str(), caption, flags)
                         : unattended_answer;
  LogLine(L"answer", answer == IDYES ? L"yes" : L"no");
  return answer;
}

void CHProcessWnd::SetStepText(const std::wstring& text) {
  LogLine(L"step", text);
  if (step_label_) step_label_->SetText(text.c_str());
}

void CHProcessWnd::SetProgressPosition(int percent) {
  if (!progress_bar_) return;
  progress_bar_->set_position(percent);
  progress_bar_->Invalidate(nullptr, true);
  NotifyElementChange(progress_bar_, EVENT_OBJECT_VALUECHANGE);
}

void CHProcessWnd::FinishWork() {
  if (ui_level_ != UiLevel::kFull) return;
  FadeOut(this);
  if (run_mode_) {
    success_window_.set_launch_path(launch_path_);
    ShowTopmost(success_window_.hwnd());
  } else {
    ShowTopmost(success_window2_.hwnd());
  }
}
