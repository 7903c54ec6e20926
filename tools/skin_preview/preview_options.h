// The command line of the skin preview:
//
//   brindle-skin-preview OUTPUT_FOLDER [--skin SKIN.uir] [--licence LICENCE.txt]
//                        [--package SETUP.exe]
//
// OUTPUT_FOLDER receives the pictures (created with its parents when
// missing); --skin names a skin container file (default: the skin embedded
// in the program); --licence a UTF-8 text shown in the install page's
// licence box (default: a short sample text); --package a setup package
// whose product (name, language), licence and skin the windows show, as its
// setup would (its skin and licence before --skin and --licence).
#ifndef BRINDLE_TOOLS_SKIN_PREVIEW_PREVIEW_OPTIONS_H_
#define BRINDLE_TOOLS_SKIN_PREVIEW_PREVIEW_OPTIONS_H_

#include <string>
#include <vector>

struct PreviewOptions {
  std::wstring output_folder;
  // Empty: the embedded skin.
  std::wstring skin_path;
  // Empty: the sample licence.
  std::wstring licence_path;
  // Empty: Velto's product and texts.
  std::wstring package_path;
};

// Reads the arguments after the program name. False, with a message in
// `error`, when the output folder is missing or given twice, an option lacks
// its value or is repeated, or an argument is unknown.
bool ParsePreviewOptions(const std::vector<std::wstring>& arguments, PreviewOptions& options,
                         std::wstring& error);

// The usage text, one line per form, ending with a line break.
const wchar_t* PreviewUsage();

#endif  // BRINDLE_TOOLS_SKIN_PREVIEW_PREVIEW_OPTIONS_H_
