// The switches of the setup program and of the uninstaller. Each is a word
// after "/" or "-", in any case: /S, /PASSIVE, /D=<folder>, /NODESKTOP,
// /NOTASKBAR, /NOSTARTMENU, /ALLUSERS, /CURRENTUSER, /LOG=<file>, /?. /D=
// takes the rest of the command line as the folder (blanks allowed, no
// quotes needed), so it comes last; double quotes in it are dropped (a folder
// name has none). A /LOG= value with blanks is written in double quotes; a
// switch may also be quoted as a whole ("/LOG=C:\my logs\a.txt",
// "/D=C:\Program Files\App"), as callers that quote every argument with
// blanks do.
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
  // The first argument that is no switch of this program, or a /D= or /LOG=
  // without a value; empty when every argument was understood.
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
