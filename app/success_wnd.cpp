#include "app/success_wnd.h"

#include <shellapi.h>
#include <windowsx.h>

#include "app/child_elements.h"
#include "app/command_ids.h"
#include "app/desktop_launch.h"
#include "app/exit_code.h"
#include "app/process_end.h"
#include "app/setup_log.h"
#include "app/texts.h"
#include "ui/controls/ui_button.h"
#include "ui/framework/dpi_awareness.h"
#include "ui/framework/dpi_scale.h"
#include "ui/framework/draw_primitives.h"

CHSuccessWnd::CHSuccessWnd() = default;
CHSuccessWnd::~CHSuccessWnd() = default;

LRESULT CHSuccessWnd::HandleLButtonDown(WPARAM wparam, LPARAM lparam) {
  const POINT point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  if (!HitTestChildren(this, point)) ::PostMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
  return UIObject::HandleLButtonDown(wparam, lparam);
}

LRESULT CHSuccessWnd::HandleCommand(WPARAM wparam, LPARAM) {
  if (LOWORD(wparam) == kCommandLaunch && !launch_path_.empty() &&
      !StartInstalledProduct(launch_path_, StartsElevated())) {
    LogLine(L"product not started", launch_path_);
    ::MessageBoxW(hwnd(),
                  FillText(AppTextsFor(language_).product_not_started, launch_path_).c_str(),
                  nullptr, MB_ICONERROR);
  }
  EndProcess(kExitSuccess);
  return 0;
}

LRESULT CHSuccessWnd::HandleCreate(WPARAM wparam, LPARAM lparam) {
  set_dpi(WindowDpi(hwnd()));
  ResizeWindow(ScaleLength(kSuccessWindowWidth, dpi()), ScaleLength(kSuccessWindowHeight, dpi()));
  CenterWindow();
  MakeLayered(this);
  return CallPreviousProc(WM_CREATE, wparam, lparam);
}

LRESULT CHSuccessWnd::HandleClose(WPARAM, LPARAM) {
  EndProcess(kExitSuccess);
  return 0;
}

LRESULT CHSuccessWnd::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != kDpiChangedMessage) return UIObject::OnMessage(message, wparam, lparam);
  ApplyDpiChange(this, wparam, lparam);
  Invalidate(nullptr, true);
  return 0;
}

void CHSuccessWnd::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  DrawStateEntry(rect, background_, dc);
}

bool CHSuccessWnd::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  // Read at this window's DPI (the resource is shared with the other windows).
  if (hwnd()) resource->SetDpi(dpi());
  RememberSkin(resource, path, base);
  const JsonValue* node = resource->Find(path, base);
  set_command_id(resource->GetInt("id", node));
  const SkinRect size = resource->GetRect("size", node);
  set_size(size.x, size.y, size.width, size.height);
  background_ = resource->GetStyle("bkgnd", node);
  // Read again at another DPI, the buttons are there already (and reload
  // their own skins). Both are pictures: their names come from the texts.
  if (children().empty()) {
    const AppTexts& texts = AppTextsFor(language_);
    AddLoadedChild<UIButton>(this, resource, "SuccessWindow/Button1")
        ->set_accessible_name(texts.start_product_name);
    AddLoadedChild<UIButton>(this, resource, "SuccessWindow/SysBtns/Close")
        ->set_accessible_name(texts.close_name);
  }
  set_default_command(kCommandLaunch);
  set_cancel_command(kCommandClose);
  return true;
}
