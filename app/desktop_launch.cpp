#include "app/desktop_launch.h"

// windows.h first.
// clang-format off
#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shellapi.h>
// clang-format on
// shellapi.h maps ShellExecute to ShellExecuteW, which would rename the method
// IShellDispatch2::ShellExecute; the function is called by its W name here.
#undef ShellExecute

#include "app/elevation.h"
#include "setup/os_version.h"
#include "setup/win_handles.h"

namespace {

// Owns a BSTR.
class Bstr {
 public:
  explicit Bstr(const std::wstring& text) : text_(::SysAllocString(text.c_str())) {}
  ~Bstr() { ::SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return text_; }

 private:
  BSTR text_;
};

// The IShellDispatch2 of the desktop's shell view, or an empty pointer.
ComPtr<IShellDispatch2> DesktopShellDispatch() {
  ComPtr<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.put_void()))) {
    return {};
  }
  VARIANT location = {};
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT root = {};
  long window = 0;
  ComPtr<IDispatch> found;
  if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            found.put()) != S_OK ||
      !found) {
    return {};
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folder_view;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(found->QueryInterface(IID_IServiceProvider, services.put_void())) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) ||
      FAILED(browser->QueryActiveShellView(view.put())) || !view ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, folder_view.put_void())) ||
      FAILED(folder_view->get_Application(application.put())) || !application ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, shell.put_void()))) {
    return {};
  }
  return shell;
}

}  // namespace

bool StartThroughDesktopShell(const std::wstring& program) {
  const ComPtr<IShellDispatch2> shell = DesktopShellDispatch();
  if (!shell) return false;
  const Bstr file(program);
  const Bstr verb(L"open");
  VARIANT none = {};
  VARIANT operation = {};
  operation.vt = VT_BSTR;
  operation.bstrVal = verb.get();
  VARIANT show = {};
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  return file.get() && verb.get() &&
         SUCCEEDED(shell->ShellExecute(file.get(), none, none, operation, show));
}

namespace {

bool OwnStart(const std::wstring& program) {
  const HINSTANCE started =
      ::ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(started) > 32;
}

}  // namespace

ProductStarters SystemProductStarters() { return {StartThroughDesktopShell, OwnStart}; }

bool StartsElevated() { return IsVistaOrLater() && RunsAsAdministrator(); }

bool StartInstalledProduct(const std::wstring& program, bool elevated,
                           const ProductStarters& starters) {
  // A start of this elevated process's own would give the product its rights.
  if (elevated) return starters.through_desktop_shell(program);
  return starters.own_start(program);
}
