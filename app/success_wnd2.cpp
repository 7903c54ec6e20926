#include "app/success_wnd2.h"

#include "app/child_elements.h"
#include "app/command_ids.h"
#include "app/exit_code.h"
#include "app/process_end.h"
#include "app/texts.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_label.h"
#include "ui/controls/ui_pane.h"
#include "ui/framework/dpi_scale.h"

CHSuccessWnd2::CHSuccessWnd2() = default;
CHSuccessWnd2::~CHSuccessWnd2() = default;

LRESULT CHSuccessWnd2::HandleCommand(WPARAM wparam, LPARAM) {
  switch (LOWORD(wparam)) {
    case kCommandClose:
    case kCommandAgreeOrCancel:
      EndProcess(kExitSuccess);
      return 0;
    default:
      return 0;
  }
}

LRESULT CHSuccessWnd2::HandleCreate(WPARAM, LPARAM) {
  const LONG style = ::GetWindowLongW(hwnd(), GWL_STYLE);
  if (style & WS_CAPTION) ::SetWindowLongW(hwnd(), GWL_STYLE, style & ~WS_CAPTION);
  MakeLayered(this);
  ResizeWindow(ScaleLength(kSuccessWindow2Width, dpi()), ScaleLength(kSuccessWindow2Height, dpi()));
  CenterWindow();
  return 0;
}

LRESULT CHSuccessWnd2::HandleClose(WPARAM, LPARAM) {
  EndProcess(kExitSuccess);
  return 0;
}

bool CHSuccessWnd2::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  UIFrameWindow::LoadSkin(resource, path, base);
  const AppTexts& texts = AppTextsFor(language_);
  AddLoadedChild<UILabel>(this, resource, "SuccessWindow2/Label1")
      ->SetText(texts.uninstall_finished);
  AddLoadedChild<UIButton>(this, resource, "SuccessWindow2/ButtonOK")->SetText(texts.done);
  AddLoadedChild<UIPane>(this, resource, "SuccessWindow2/Icon");
  if (close_button()) close_button()->set_accessible_name(texts.close_name);
  set_default_command(kCommandAgreeOrCancel);
  set_cancel_command(kCommandClose);
  return true;
}
