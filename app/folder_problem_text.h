// The warning text of the folder check.
#ifndef BRINDLE_APP_FOLDER_PROBLEM_TEXT_H_
#define BRINDLE_APP_FOLDER_PROBLEM_TEXT_H_

#include <string>

#include "app/install_folder.h"
#include "app/texts.h"

// The text of `texts` for the cause of the refused `check`, with its path in
// place of "%s"; folder_warning for kOther (and for a check that passed).
std::wstring FolderProblemText(const FolderCheck& check, const AppTexts& texts);

#endif  // BRINDLE_APP_FOLDER_PROBLEM_TEXT_H_
