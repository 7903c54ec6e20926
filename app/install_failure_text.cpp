#include "app/install_failure_text.h"

#include "app/exit_code.h"

namespace {

const wchar_t* FormatOf(InstallError error, const AppTexts& texts) {
  switch (error) {
    case InstallError::kDiskFull:
      return texts.disk_full;
    case InstallError::kCannotWrite:
      return texts.cannot_write;
    case InstallError::kFileInUse:
      return texts.file_in_use;
    case InstallError::kFolderInTheWay:
      return texts.folder_in_the_way;
    case InstallError::kFileInTheWay:
      return texts.file_in_the_way;
    case InstallError::kProgramNotClosed:
      return texts.program_not_closed;
    case InstallError::kNone:
    case InstallError::kPackageDamaged:
      break;
  }
  return texts.package_damaged;
}

}  // namespace

std::wstring InstallFailureText(const InstallResult& result, const AppTexts& texts) {
  return FillText(FormatOf(result.error, texts), result.path);
}

UINT InstallFailureExitCode(const InstallResult& result) {
  switch (result.error) {
    case InstallError::kPackageDamaged:
      return kExitPackageDamaged;
    case InstallError::kProgramNotClosed:
      return kExitProductRunning;
    default:
      return kExitFailed;
  }
}
