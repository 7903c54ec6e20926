// Benchmark driver: one headless installation of a setup package through the install engine,
// with a recording progress sink (no window is shown, no shortcut option is set).
//   brindle_bench_install PACKAGE FOLDER
//   brindle_bench_install --hold-desktop
// Creates FOLDER (the setup program's main window does that before the engine runs), installs
// PACKAGE into it and prints one line on stdout:
//   result=ok engine_ms=<wall time of the engine call, ms> peak_working_set=<bytes>
//   start_working_set=<bytes> finished_message=<0|1>
// peak_working_set is GetProcessMemoryInfo's PeakWorkingSetSize after the run (the whole
// process, start-up included); start_working_set is the working set just before the engine call.
// Exit status: 0 installed, 1 the engine failed, 2 wrong usage.
// --hold-desktop keeps a hidden window until its standard input reaches end of file, and exits
// 0. Under Wine the desktop process of a prefix ends about a second after its last window user
// has gone, and a program started during that end cannot create windows; a benchmark that
// starts GUI programs one after another holds the desktop with this.

// psapi.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "setup/install_engine.h"
#include "tests/setup/recording_sink.h"

namespace {

PROCESS_MEMORY_COUNTERS MemoryCounters() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters;
}

double ElapsedMs(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

bool CreateFolder(const std::wstring& folder) {
  const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
}

bool Contains(const std::vector<std::wstring>& events, const wchar_t* event) {
  for (const std::wstring& recorded : events) {
    if (recorded == event) return true;
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"--hold-desktop") {
    RecordingSink holder(L"", false, false, false);
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
  }
  if (argc != 3) {
    std::fputs("usage: brindle_bench_install PACKAGE FOLDER | --hold-desktop\n", stderr);
    return 2;
  }
  const std::wstring package = argv[1];
  const std::wstring folder = argv[2];
  if (!CreateFolder(folder)) {
    std::fprintf(stderr, "brindle_bench_install: cannot create the install folder\n");
    return 1;
  }
  RecordingSink sink(folder, /*desktop=*/false, /*taskbar=*/false, /*start_menu=*/false);

  const SIZE_T start_working_set = MemoryCounters().WorkingSetSize;
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  const bool installed = static_cast<bool>(RunInstallFromPackage(package, sink));
  QueryPerformanceCounter(&end);
  const PROCESS_MEMORY_COUNTERS after = MemoryCounters();

  std::printf(
      "result=%s engine_ms=%.1f peak_working_set=%lu start_working_set=%lu "
      "finished_message=%d\n",
      installed ? "ok" : "failed", ElapsedMs(start, end),
      static_cast<unsigned long>(after.PeakWorkingSetSize),
      static_cast<unsigned long>(start_working_set),
      Contains(sink.events, L"finished message") ? 1 : 0);
  return installed ? 0 : 1;
}
