#include "app/install_failure_text.h"

#include "app/exit_code.h"
#include "setup/space_text.h"

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
    case InstallError::kLinkInTheWay:
      return texts.link_in_the_way;
    case InstallError::kNotEnoughSpace:
      return texts.not_enough_space;
    case InstallError::kNone:
    case InstallError::kPackageDamaged:
      break;
  }
  return texts.package_damaged;
}

}  // namespace

std::wstring InstallFailureText(const InstallResult& result, const AppTexts& texts) {
  std::wstring text = FillText(FormatOf(result.error, texts), result.path);
  const bool about_space =
      result.error == InstallError::kNotEnoughSpace || result.error == InstallError::kDiskFull;
  if (about_space && result.needed_bytes > 0) {
    text += FillText(texts.space_figures, SpaceText(result.needed_bytes, SpaceRounding::kUp),
                     SpaceText(result.free_bytes, SpaceRounding::kDown));
  }
  if (!result.unrestored.empty()) {
    text += FillText(texts.rollback_incomplete, JoinLines(result.unrestored));
  }
  return text;
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
  std::wstring joined;
  for (const std::wstring& line : lines) {
    if (!joined.empty()) joined += L"\n";
    joined += line;
  }
  return joined;
}

UINT InstallFailureExitCode(const InstallResult& result) {
  if (!result.unrestored.empty()) return kExitRollbackIncomplete;
  switch (result.error) {
    case InstallError::kPackageDamaged:
      return kExitPackageDamaged;
    case InstallError::kProgramNotClosed:
      return kExitProductRunning;
    default:
      return kExitFailed;
  }
}

UINT UninstallExitCode(const UninstallResult& result) {
  if (!result.read) return kExitFailed;
  if (result.left.empty()) return kExitSuccess;
  return result.restart_scheduled ? kExitRestartNeeded : kExitFailed;
}
