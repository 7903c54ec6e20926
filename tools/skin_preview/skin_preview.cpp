// brindle-skin-preview: writes pictures of the setup windows as a skin draws
// them, for skin designers (see preview_options.h for the command line and
// preview_pictures.h for the pictures). Exit codes: 0 every picture written,
// 1 a failure (message on standard error), 2 a wrong command line.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "json/json_value.h"
#include "setup/file_utils.h"
#include "setup/package_layout.h"
#include "setup/product.h"
#include "tools/skin_preview/preview_options.h"
#include "tools/skin_preview/preview_pictures.h"
#include "ui/framework/dpi_awareness.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Shown in the licence box without --licence.
constexpr char kSampleLicence[] =
    "Velto 软件许可协议 / Velto Software Licence Agreement\r\n\r\n"
    "请在安装前仔细阅读本协议。\r\n"
    "Please read this agreement carefully before installing.\r\n";

int Fail(const std::wstring& message) {
  std::fwprintf(stderr, L"brindle-skin-preview: %ls\n", message.c_str());
  return kExitFailure;
}

// `path` made absolute against the current folder; empty when it cannot be.
std::wstring FullPath(const std::wstring& path) {
  const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::wstring();
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return std::wstring();
  full.resize(length);
  return full;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::vector<std::wstring> arguments(argv + 1, argv + argc);
  PreviewOptions options;
  std::wstring error;
  if (!ParsePreviewOptions(arguments, options, error)) {
    std::fwprintf(stderr, L"brindle-skin-preview: %ls\n%ls", error.c_str(), PreviewUsage());
    return kExitUsage;
  }

  PreviewSource source;
  source.skin_path = options.skin_path;
  source.licence_utf8 = kSampleLicence;
  if (!options.licence_path.empty() && !ReadWholeFile(options.licence_path, source.licence_utf8)) {
    return Fail(L"cannot read the licence " + options.licence_path);
  }
  if (!options.package_path.empty()) {
    JsonValue config;
    Product product;
    if (!LoadPackageConfig(options.package_path, config) || config.kind() != JsonKind::Object ||
        !ReadProduct(config, product)) {
      return Fail(L"no valid package in " + options.package_path);
    }
    source.package_config = std::move(config);
  }
  const std::wstring folder = FullPath(options.output_folder);
  if (folder.empty() || !EnsureDirectory(folder)) {
    return Fail(L"cannot create the output folder " + options.output_folder);
  }
  // The pictures are drawn at the system DPI, as the setup program draws them.
  EnableDpiAwareness();
  if (!PrepareSetupWindows()) return Fail(L"cannot register the window class");
  if (!WritePreviewPictures(source, folder, error)) return Fail(error);
  return 0;
}
