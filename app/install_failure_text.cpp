#include "app/install_failure_text.h"

#include "app/texts.h"

namespace {

const wchar_t* FormatOf(InstallError error) {
  switch (error) {
    case InstallError::kDiskFull:
      return kDiskFullText;
    case InstallError::kCannotWrite:
      return kCannotWriteText;
    case InstallError::kFileInUse:
      return kFileInUseText;
    case InstallError::kFolderInTheWay:
      return kFolderInTheWayText;
    case InstallError::kFileInTheWay:
      return kFileInTheWayText;
    case InstallError::kProgramNotClosed:
      return kProgramNotClosedText;
    case InstallError::kNone:
    case InstallError::kPackageDamaged:
      break;
  }
  return kPackageDamagedText;
}

}  // namespace

std::wstring InstallFailureText(const InstallResult& result) {
  std::wstring text = FormatOf(result.error);
  // Replaced, not printed: a path may hold "%" itself.
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, result.path);
  return text;
}
