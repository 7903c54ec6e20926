// brindle-pack: packs and inspects setup packages. See tools/README.md.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/inspect_command.h"
#include "tools/pack_command.h"

namespace {

constexpr char kUsage[] =
    "usage:\n"
    "  brindle-pack pack --stub FILE --payload DIR --licence FILE --lastrun PATH\n"
    "                    [--desktop NAME=PATH]... [--taskbar NAME=PATH]...\n"
    "                    [--progress auto|always|never] --output FILE\n"
    "  brindle-pack inspect FILE\n"
    "  brindle-pack --help\n";

constexpr char kHelp[] =
    "\n"
    "pack: writes a setup package: the stub's program image, the package config and a ZIP\n"
    "archive of the payload folder. The same inputs always give the same bytes.\n"
    "  --stub FILE          the setup program: a 32-bit PE, linked with -s (nothing may follow\n"
    "                       its last section) and without a package\n"
    "  --payload DIR        the folder whose content is installed into the install folder\n"
    "  --licence FILE       the licence text shown before installing: UTF-8, any line breaks\n"
    "                       (stored with CR LF); --license is accepted too\n"
    "  --lastrun PATH       the program the finish window starts, relative to the install\n"
    "                       folder (for example Velto.exe)\n"
    "  --desktop NAME=PATH  a desktop and start-menu shortcut NAME.lnk to PATH; repeatable\n"
    "  --taskbar NAME=PATH  a Quick Launch shortcut and taskbar pin NAME.lnk to PATH;\n"
    "                       repeatable\n"
    "  --progress MODE      progress bar on stderr when packing takes over a second: auto\n"
    "                       (when stderr is a terminal, the default), always or never\n"
    "  -o, --output FILE    the setup package to write; replaced only when packing succeeds\n"
    "\n"
    "inspect: prints the package offset, the config, the licence and the archive entries of\n"
    "a setup package (or the recorded paths of an uninstaller copy), checks every entry's\n"
    "CRC-32, or names the rule of the package layout that the file breaks.\n"
    "\n"
    "exit status: 0 success, 1 bad input or a broken package, 2 wrong usage\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string& command = arguments[0];
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (command == "inspect") {
    if (arguments.size() != 2) {
      std::fputs("brindle-pack: inspect takes exactly one file\n", stderr);
      std::fputs(kUsage, stderr);
      return 2;
    }
    return RunInspect(arguments[1], stdout, stderr);
  }
  if (command == "pack") {
    PackOptions options;
    std::string problem;
    if (!ParsePackOptions({arguments.begin() + 1, arguments.end()}, options, problem)) {
      std::fprintf(stderr, "brindle-pack: %s\n%s", problem.c_str(), kUsage);
      return 2;
    }
    return RunPack(options, stdout, stderr);
  }
  std::fprintf(stderr, "brindle-pack: unknown command '%s'\n%s", command.c_str(), kUsage);
  return 2;
}
