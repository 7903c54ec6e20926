// Stands in for the setup program as the stub of a setup package until that program exists:
// reads its own package and shows what it found in a message box. Exit code 0 when it found a
// setup package, 1 otherwise.
#include <windows.h>

#include <string>

#include "json/json_value.h"
#include "setup/package_layout.h"
#include "setup/paths.h"
#include "setup/scratch_pool.h"
#include "setup/text_convert.h"

namespace {

constexpr wchar_t kCaption[] = L"Brindle placeholder setup";

std::wstring Describe(const JsonValue& config, const PackageLocation& location,
                      const ArchiveRange* archive) {
  ScratchPool pool;
  std::wstring text =
      L"This program stands in for the setup program. It found its package:\n\n"
      L"package offset: " +
      std::to_wstring(location.package_offset) + L"\nconfig: " +
      std::to_wstring(location.config_length) + L" bytes, mode " +
      std::to_wstring(config["mode"].toInt64()) + L", lastrun \"" +
      ToWide(pool, config["lastrun"].toCString(), CP_UTF8) + L"\"\n";
  text += archive ? L"payload archive: " + std::to_wstring(archive->length) + L" bytes"
                  : std::wstring(L"no payload archive");
  return text;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring self = GetModulePath();
  JsonValue config;
  PackageLocation location;
  if (!LoadPackageConfig(self, config, &location)) {
    MessageBoxW(nullptr, L"This program carries no package.", kCaption, MB_ICONERROR);
    return 1;
  }
  ArchiveRange archive;
  const bool has_archive =
      LocatePayloadArchive(self, location.package_offset, location.config_length, archive);
  MessageBoxW(nullptr, Describe(config, location, has_archive ? &archive : nullptr).c_str(),
              kCaption, has_archive ? MB_ICONINFORMATION : MB_ICONWARNING);
  return has_archive ? 0 : 1;
}
