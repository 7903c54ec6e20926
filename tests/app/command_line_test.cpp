// The switches of the setup program and the uninstaller: one table of command
// lines and what each means, and the arguments a hand-off passes on.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
  const wchar_t* arguments;
  UiLevel ui;
  const wchar_t* folder;
  const wchar_t* log_path;
  // "d", "t", "s" for the shortcuts left out, "a" for /ALLUSERS, "c" for
  // /CURRENTUSER, "?" for /?, "g" for /ALLOWDOWNGRADE, "n" for
  // /ALLOWNONEMPTYFOLDER, "k" for /CLOSEAPPLICATIONS.
  const char* flags;
  const wchar_t* unknown;
};

std::string FlagsOf(const CommandLineOptions& options) {
  std::string flags;
  if (options.no_desktop) flags += 'd';
  if (options.no_taskbar) flags += 't';
  if (options.no_start_menu) flags += 's';
  if (options.scope == ScopeSwitch::kAllUsers) flags += 'a';
  if (options.scope == ScopeSwitch::kCurrentUser) flags += 'c';
  if (options.help) flags += '?';
  if (options.allow_downgrade) flags += 'g';
  if (options.allow_non_empty_folder) flags += 'n';
  if (options.close_applications) flags += 'k';
  return flags;
}

TEST(CommandLineTest, EachCommandLineMeansWhatItSays) {
  const UiLevel full = UiLevel::kFull;
  const UiLevel passive = UiLevel::kPassive;
  const UiLevel silent = UiLevel::kSilent;
  const Case cases[] = {
      {L"", full, L"", L"", "", L""},
      {L"   ", full, L"", L"", "", L""},
      {L"/S", silent, L"", L"", "", L""},
      {L"-s", silent, L"", L"", "", L""},
      {L"/passive", passive, L"", L"", "", L""},
      {L"/S /PASSIVE", silent, L"", L"", "", L""},
      {L"-Passive /s", silent, L"", L"", "", L""},
      {L"/S /D=C:\\Program Files\\My App", silent, L"C:\\Program Files\\My App", L"", "", L""},
      {L"/D=C:\\a  b  ", full, L"C:\\a  b", L"", "", L""},
      {L"/d=C:\\x /S", silent, L"C:\\x", L"", "", L""},
      {L"/S /D=C:\\Apps\\Velto /NORESTART", silent, L"C:\\Apps\\Velto", L"", "", L""},
      {L"/D=C:\\a -b /S", silent, L"C:\\a -b", L"", "", L""},
      {L"/D=\"C:\\a b\" /S", silent, L"C:\\a b", L"", "", L""},
      {L"/DIR=C:\\x", full, L"C:\\x", L"", "", L""},
      {L"/dir=\"C:\\Program Files\\X\" /VERYSILENT", silent, L"C:\\Program Files\\X", L"", "", L""},
      {L"\"/DIR=C:\\a b\" /S", silent, L"C:\\a b", L"", "", L""},
      {L"\"/D=C:\\Program Files\\App\"", full, L"C:\\Program Files\\App", L"", "", L""},
      {L"/D=\"C:\\a b\"", full, L"C:\\a b", L"", "", L""},
      {L"/S \"/LOG=C:\\my logs\\a.txt\"", silent, L"", L"C:\\my logs\\a.txt", "", L""},
      {L"\"/S\"", silent, L"", L"", "", L""},
      {L"/S /LOG=C:\\log.txt", silent, L"", L"C:\\log.txt", "", L""},
      {L"/log=\"C:\\my logs\\a.txt\" /S", silent, L"", L"C:\\my logs\\a.txt", "", L""},
      {L"/NODESKTOP -notaskbar /NoStartMenu", full, L"", L"", "dts", L""},
      {L"/ALLUSERS", full, L"", L"", "a", L""},
      {L"-currentuser /S", silent, L"", L"", "c", L""},
      {L"/CurrentUser /AllUsers", full, L"", L"", "a", L""},
      {L"/ALLUSERS /currentUSER /D=C:\\x", full, L"C:\\x", L"", "c", L""},
      {L"/ALLUSER", full, L"", L"", "", L"/ALLUSER"},
      {L"/?", full, L"", L"", "?", L""},
      {L"-?", full, L"", L"", "?", L""},
      {L"/SILENT", passive, L"", L"", "", L""},
      {L"/VERYSILENT /SUPPRESSMSGBOXES", silent, L"", L"", "", L""},
      {L"/S /NORESTART", silent, L"", L"", "", L""},
      {L"/SILENT /VERYSILENT", silent, L"", L"", "", L""},
      {L"/ALLOWDOWNGRADE /AllowNonEmptyFolder -closeapplications", full, L"", L"", "gnk", L""},
      {L"/LOG=\"C:\\a b\\x.log\" /S", silent, L"", L"C:\\a b\\x.log", "", L""},
      {L"\"/LOG=\\\"C:\\a b\\x.log\\\"\" /S", silent, L"", L"C:\\a b\\x.log", "", L""},
      {L"/LOG=C:\\a\\\\\"b c\" /S", silent, L"", L"C:\\a\\b c", "", L""},
      {L"/LOG=\"\"", full, L"", L"", "", L"/LOG=\"\""},
      {L"/PASSIVE /LOG=C:\\Users\\John Smith\\x.log", passive, L"", L"C:\\Users\\John", "",
       L"Smith\\x.log"},
      {L"/VERYSILENT /X /NORESTART", silent, L"", L"", "", L"/X"},
      {L"/S /DIR=", silent, L"", L"", "", L"/DIR="},
      {L"/S setup", silent, L"", L"", "", L"setup"},
      {L"/LOG=", full, L"", L"", "", L"/LOG="},
      {L"/S /D=", silent, L"", L"", "", L"/D="},
      {L"/Sx /S", silent, L"", L"", "", L"/Sx"},
  };
  for (const Case& c : cases) {
    const CommandLineOptions options = ParseCommandLine(c.arguments);
    EXPECT_EQ(options.ui, c.ui) << c.arguments;
    EXPECT_EQ(options.folder, c.folder) << c.arguments;
    EXPECT_EQ(options.log_path, c.log_path) << c.arguments;
    EXPECT_EQ(FlagsOf(options), c.flags) << c.arguments;
    EXPECT_EQ(options.unknown, c.unknown) << c.arguments;
    EXPECT_EQ(options.unattended(), c.ui != UiLevel::kFull) << c.arguments;
  }
}

// Only a package of scope "both" lets the switches choose; for it every user
// is the default.
TEST(CommandLineTest, TheStartScopeFollowsTheSwitchesOnlyWhereThePackageLetsThem) {
  const InstallScope machine = InstallScope::kMachine;
  const InstallScope user = InstallScope::kUser;
  const struct {
    PackageScope package;
    const wchar_t* arguments;
    InstallScope expected;
  } cases[] = {
      {PackageScope::kBoth, L"", machine},
      {PackageScope::kBoth, L"/CURRENTUSER", user},
      {PackageScope::kBoth, L"/ALLUSERS", machine},
      {PackageScope::kUser, L"", user},
      {PackageScope::kUser, L"/ALLUSERS", user},
      {PackageScope::kMachine, L"", machine},
      {PackageScope::kMachine, L"/CURRENTUSER", machine},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StartScope(c.package, ParseCommandLine(c.arguments)), c.expected)
        << ScopeName(c.package) << " " << c.arguments;
  }
}

TEST(CommandLineTest, AHandOffPassesOnEveryArgumentUnchanged) {
  const struct {
    const wchar_t* command_line;
    const wchar_t* arguments;
  } cases[] = {
      {L"setup.exe", L""},
      {L"setup.exe /S", L"/S"},
      {L"\"C:\\Down loads\\setup.exe\" /S /LOG=\"C:\\a b.txt\" /D=C:\\x  y",
       L"/S /LOG=\"C:\\a b.txt\" /D=C:\\x  y"},
      {L"\"C:\\unquoted end", L""},
      {L"setup.exe    one two three four", L"one two three four"},
      {L"\"setup.exe\"/S", L"/S"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ArgumentsOf(c.command_line), c.arguments) << c.command_line;
  }
}

}  // namespace
