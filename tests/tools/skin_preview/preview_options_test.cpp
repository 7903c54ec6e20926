// The preview's command line.
#include "tools/skin_preview/preview_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ParsePreviewOptions, AcceptsTheFolderAndOptionsInAnyOrder) {
  struct Case {
    std::vector<std::wstring> arguments;
    PreviewOptions expected;
  };
  const Case cases[] = {
      {{L"out"}, {L"out", L"", L"", L""}},
      {{L"out", L"--skin", L"a.uir"}, {L"out", L"a.uir", L"", L""}},
      {{L"--licence", L"l.txt", L"out", L"--skin", L"a.uir"}, {L"out", L"a.uir", L"l.txt", L""}},
      {{L"--package", L"s.exe", L"out"}, {L"out", L"", L"", L"s.exe"}},
      // A value is taken as it is, even when it looks like an option.
      {{L"--skin", L"--licence", L"C:\\pictures"}, {L"C:\\pictures", L"--licence", L"", L""}},
  };
  for (const Case& c : cases) {
    PreviewOptions options;
    std::wstring error;
    ASSERT_TRUE(ParsePreviewOptions(c.arguments, options, error)) << error;
    EXPECT_EQ(options.output_folder, c.expected.output_folder);
    EXPECT_EQ(options.skin_path, c.expected.skin_path);
    EXPECT_EQ(options.licence_path, c.expected.licence_path);
    EXPECT_EQ(options.package_path, c.expected.package_path);
  }
}

TEST(ParsePreviewOptions, RefusesIncompleteOrAmbiguousCommandLines) {
  const std::vector<std::vector<std::wstring>> refused = {
      {},                                                  // no folder
      {L"--skin", L"a.uir"},                               // no folder
      {L"out", L"--skin"},                                 // option without value
      {L"out", L"--skin", L""},                            // empty value
      {L"out", L"--skin", L"a.uir", L"--skin", L"b.uir"},  // repeated option
      {L"out", L"other"},                                  // two folders
      {L"out", L"--colour"},                               // unknown option
      {L"out", L""},                                       // empty argument
  };
  for (const auto& arguments : refused) {
    PreviewOptions options;
    options.output_folder = L"kept";
    std::wstring error;
    EXPECT_FALSE(ParsePreviewOptions(arguments, options, error)) << arguments.size();
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(options.output_folder, L"kept") << "a refused command line changes nothing";
  }
}

}  // namespace
