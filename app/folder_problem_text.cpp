#include "app/folder_problem_text.h"

namespace {

const wchar_t* FormatOf(FolderProblem problem, const AppTexts& texts) {
  switch (problem) {
    case FolderProblem::kNotFullPath:
      return texts.folder_not_full_path;
    case FolderProblem::kBadName:
      return texts.folder_bad_name;
    case FolderProblem::kTooLong:
      return texts.folder_too_long;
    case FolderProblem::kUnreachable:
      return texts.folder_unreachable;
    case FolderProblem::kNotWritable:
      return texts.folder_not_writable;
    case FolderProblem::kIsFile:
      return texts.folder_is_file;
    case FolderProblem::kNone:
    case FolderProblem::kOther:
      break;
  }
  return texts.folder_warning;
}

}  // namespace

std::wstring FolderProblemText(const FolderCheck& check, const AppTexts& texts) {
  return FillText(FormatOf(check.problem, texts), check.path);
}
