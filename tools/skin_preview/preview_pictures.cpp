#include "tools/skin_preview/preview_pictures.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "app/brindle_app.h"
#include "app/main_wnd.h"
#include "app/package_config.h"
#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/engine_texts.h"
#include "setup/number_text.h"
#include "tools/skin_preview/host_snapshot.h"
#include "tools/skin_preview/png_file.h"
#include "ui/controls/ui_check_box.h"
#include "ui/framework/ch_app.h"
#include "ui/framework/ch_window.h"

namespace {

// The progress window's position part way through the file copy.
constexpr int kSamplePosition = 45;

// Only registers the window class; the preview runs no message loop.
class ClassRegistrar : public CHApp {
 public:
  BOOL InitInstance() override { return TRUE; }
  void ExitInstance() override {}
  CHWindow* GetMainWindow() override { return nullptr; }
};

bool LoadSkin(UIResource& skin, const PreviewSource& source) {
  if (HasPackageSkin(source.package_config)) return LoadPackageSkin(source.package_config, skin);
  if (source.skin_path.empty()) {
    return skin.LoadFromResource(nullptr, kSkinResourceType, kSkinResourceId);
  }
  return skin.LoadFromFile(source.skin_path);
}

// A press and release of the left button on the centre of `element`, then
// the pointer leaving the window, as the host receives them from the system.
void ClickAndLeave(HWND host, const UIObject* element) {
  const RECT& rect = element->rect();
  const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  ::SendMessageW(host, WM_MOUSEMOVE, 0, point);
  ::SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, point);
  ::SendMessageW(host, WM_LBUTTONUP, 0, point);
  ::SendMessageW(host, WM_MOUSELEAVE, 0, 0);
}

// Writes pictures of layered hosts into one folder; remembers the first
// failure.
class PictureWriter {
 public:
  PictureWriter(const std::wstring& folder, std::wstring& error) : folder_(folder), error_(error) {}

  bool Write(UIObject* host, const wchar_t* file_name) {
    Picture picture;
    if (!SnapshotLayeredHost(host, picture)) {
      error_ = std::wstring(L"cannot compose the window of ") + file_name;
      return false;
    }
    const std::wstring path = folder_ + L"\\" + file_name;
    if (!WritePng(picture, path)) {
      error_ = L"cannot write " + path;
      return false;
    }
    return true;
  }

 private:
  const std::wstring& folder_;
  std::wstring& error_;
};

// A main window of `run_mode` with the page built from the skin of `source`;
// null with a message in `error` when the skin does not load or the window
// cannot be created.
std::unique_ptr<CHMainWnd> MakeMainWindow(const PreviewSource& source, int run_mode,
                                          std::wstring& error) {
  auto window = std::make_unique<CHMainWnd>(::GetModuleHandleW(nullptr));
  if (!LoadSkin(window->skin(), source)) {
    error = HasPackageSkin(source.package_config) ? L"the package's skin is damaged"
            : source.skin_path.empty()            ? L"the program has no embedded skin"
                                                  : L"cannot load the skin " + source.skin_path;
    return nullptr;
  }
  JsonValue config = source.package_config;
  config["mode"] = run_mode;
  if (!config.hasMember("protocol")) {
    config["protocol"] = JsonValue(Base64EncodeBytes(source.licence_utf8));
  }
  window->PresetPage(run_mode, std::move(config));
  if (!window->CreateMainWindow()) {
    error = L"cannot create the main window";
    return nullptr;
  }
  return window;
}

bool WriteInstallPictures(const PreviewSource& source, PictureWriter& writer, std::wstring& error) {
  std::unique_ptr<CHMainWnd> window = MakeMainWindow(source, kRunModeInstall, error);
  if (!window || !writer.Write(window.get(), L"main-install.png")) return false;
  // The user's way: a click on the box, whose command greys the button.
  ClickAndLeave(window->hwnd(), window->agreement_box());
  if (!writer.Write(window.get(), L"main-install-unticked.png")) return false;

  CHProcessWnd& progress = window->progress_window();
  const Language language = window->product().language;
  progress.SetStepText(FormatLong(EngineTextsFor(language).copying_step, kSamplePosition));
  progress.SetProgressPosition(kSamplePosition);
  return writer.Write(&progress, L"progress.png") &&
         writer.Write(&progress.success_window(), L"success-install.png");
}

bool WriteUninstallPictures(const PreviewSource& source, PictureWriter& writer,
                            std::wstring& error) {
  std::unique_ptr<CHMainWnd> window = MakeMainWindow(source, kRunModeUninstall, error);
  return window && writer.Write(window.get(), L"main-uninstall.png") &&
         writer.Write(&window->progress_window().success_window2(), L"success-uninstall.png");
}

}  // namespace

bool PrepareSetupWindows() {
  RegisterSetupElementKinds();
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  if (::GetClassInfoExW(instance, kCHWindowClassName, &info)) return true;
  ClassRegistrar registrar;
  return registrar.RegisterWindowClass(SW_HIDE, nullptr, instance, nullptr) != 0;
}

bool WritePreviewPictures(const PreviewSource& source, const std::wstring& folder,
                          std::wstring& error) {
  PictureWriter writer(folder, error);
  return WriteInstallPictures(source, writer, error) &&
         WriteUninstallPictures(source, writer, error);
}
