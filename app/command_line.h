// The switches of the setup program and of the uninstaller. Each is a word
// after "/" or "-", in any case; docs/deploying.md lists them in one table.
// Arguments are split as CommandLineToArgvW splits them, so a value with
// blanks is quoted (/LOG="C:\my logs\a.txt"), and a caller may quote the
// whole switch ("/LOG=C:\my logs\a.txt", "/LOG=\"C:\a b\x.log\""); the
// double quotes a value keeps after the splitting are dropped (a path has
// none). An unquoted /D= (or /DIR=) value keeps its blanks: it runs to the end
// of the line or to the first blank followed by "/".
#ifndef BRINDLE_APP_COMMAND_LINE_H_
#define BRINDLE_APP_COMMAND_LINE_H_

#include <string>

#include "setup/product.h"

// How much of the setup a person sees.
enum class UiLevel {
  kFull,     // the pages, questions and finish windows (no switch)
  kPassive,  // the progress window only; every question takes its safe answer
  kSilent,   // no window and no message box at all
};

// /ALLUSERS and /CURRENTUSER: for whom a package of scope "both" installs.
enum class ScopeSwitch { kNone, kAllUsers, kCurrentUser };

struct CommandLineOptions {
  UiLevel ui = UiLevel::kFull;
  // The install folder of /D=, as written; empty without /D=.
  std::wstring folder;
  // Shortcuts the page would make by default and the command line leaves out.
  bool no_desktop = false;
  bool no_taskbar = false;
  bool no_start_menu = false;
  // The last of /ALLUSERS and /CURRENTUSER; kNone without either.
  ScopeSwitch scope = ScopeSwitch::kNone;
  // The file of /LOG=; empty without /LOG (no log is written).
  std::wstring log_path;
  // /? asks for the list of switches.
  bool help = false;
  // The answers an unattended run gives to the questions a person would be
  // asked: /ALLOWDOWNGRADE installs over a newer installed version,
  // /ALLOWNONEMPTYFOLDER installs into a folder that holds files of no
  // earlier install, /CLOSEAPPLICATIONS ends the product's programs that hold
  // its files (by their exact path). Without them such a run ends with the
  // question's own exit code.
  bool allow_downgrade = false;
  bool allow_non_empty_folder = false;
  bool close_applications = false;
  // The first argument that is no switch of this program, or a /D=, /DIR= or
  // /LOG= without a value, as written; empty when every argument was
  // understood.
  std::wstring unknown;

  bool unattended() const { return ui != UiLevel::kFull; }
};

// Parses `arguments`: the command line after the program's own name, as
// wWinMain receives it. Empty or blank text gives the defaults.
CommandLineOptions ParseCommandLine(const std::wstring& arguments);

// The scope a run starts with for a package (or uninstaller) of scope
// `package`: a package of "both" installs for the current user with
// /CURRENTUSER and for every user otherwise; any other package decides
// alone, whatever the switches say.
InstallScope StartScope(PackageScope package, const CommandLineOptions& options);

// The arguments of the whole `command_line` (program name first, as
// GetCommandLineW gives it): the text after the program name and the blanks
// that follow it, unchanged. The program name is split off as
// CommandLineToArgvW splits its first argument.
std::wstring ArgumentsOf(const std::wstring& command_line);

#endif  // BRINDLE_APP_COMMAND_LINE_H_
