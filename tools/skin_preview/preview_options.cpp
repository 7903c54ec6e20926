#include "tools/skin_preview/preview_options.h"

bool ParsePreviewOptions(const std::vector<std::wstring>& arguments, PreviewOptions& options,
                         std::wstring& error) {
  PreviewOptions parsed;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    std::wstring* value = nullptr;
    if (argument == L"--skin") {
      value = &parsed.skin_path;
    } else if (argument == L"--licence") {
      value = &parsed.licence_path;
    } else if (argument == L"--package") {
      value = &parsed.package_path;
    }
    if (value) {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = argument + L" needs a file name";
        return false;
      }
      if (!value->empty()) {
        error = argument + L" is given twice";
        return false;
      }
      *value = arguments[++i];
      continue;
    }
    if (argument.empty() || argument[0] == L'-') {
      error = L"unknown option \"" + argument + L"\"";
      return false;
    }
    if (!parsed.output_folder.empty()) {
      error = L"more than one output folder: \"" + argument + L"\"";
      return false;
    }
    parsed.output_folder = argument;
  }
  if (parsed.output_folder.empty()) {
    error = L"no output folder";
    return false;
  }
  options = parsed;
  return true;
}

const wchar_t* PreviewUsage() {
  return L"usage: brindle-skin-preview OUTPUT_FOLDER [--skin SKIN.uir] [--licence LICENCE.txt]\n"
         L"                            [--package SETUP.exe]\n";
}
