#include "app/process_end.h"

#include "app/setup_log.h"

namespace {

ProcessEndHook g_end_hook = nullptr;

}  // namespace

void EndProcess(UINT exit_code) {
  LogExitCode(exit_code);
  if (g_end_hook) {
    g_end_hook(exit_code);
    return;
  }
  ::TerminateProcess(::GetCurrentProcess(), exit_code);
}

void SetProcessEndHookForTesting(ProcessEndHook hook) { g_end_hook = hook; }
