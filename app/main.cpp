// Entry point of the setup program.
#include <windows.h>

#include "app/brindle_app.h"
#include "app/dll_search.h"
#include "app/setup_log.h"

namespace {

CHBrindleApp g_brindle_app;

}  // namespace

// The one application object, set by static initialisation.
CHApp* const g_app = &g_brindle_app;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous_instance, PWSTR command_line,
                    int show_command) {
  // Before anything else can load a DLL.
  RestrictDllSearch();
  PreloadSystemLibraries();
  const int exit_code = RunApp(*g_app, instance, previous_instance, command_line, show_command);
  LogExitCode(static_cast<unsigned>(exit_code));
  return exit_code;
}
