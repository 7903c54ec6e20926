#include "setup/processes.h"

#include <shlwapi.h>
#include <tlhelp32.h>
#include <windows.h>

#include "setup/win_handles.h"

namespace {

// Access mask for ending a process: PROCESS_ALL_ACCESS as Windows XP defines
// it, which later systems accept as well.
constexpr DWORD kProcessAllAccessXp = 0x1F0FFF;

// Calls `visit(entry)` for each process of a fresh snapshot until it returns
// false. False when no snapshot could be taken.
template <typename Visitor>
bool ForEachProcess(Visitor visit) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (!visit(entry)) break;
  }
  return true;
}

bool NameMatches(const PROCESSENTRY32W& entry, const wchar_t* name) {
  return _wcsicmp(entry.szExeFile, name) == 0;
}

}  // namespace

bool IsProcessRunning(const std::wstring& path) {
  const wchar_t* name = PathFindFileNameW(path.c_str());
  if (*name == L'\0') return false;
  bool found = false;
  ForEachProcess([&](const PROCESSENTRY32W& entry) {
    found = NameMatches(entry, name);
    return !found;
  });
  return found;
}

void TerminateProcessesByName(const std::wstring& path) {
  const wchar_t* name = PathFindFileNameW(path.c_str());
  if (*name == L'\0') return;
  ForEachProcess([&](const PROCESSENTRY32W& entry) {
    if (NameMatches(entry, name)) {
      UniqueHandle process(OpenProcess(kProcessAllAccessXp, FALSE, entry.th32ProcessID));
      if (process) TerminateProcess(process.get(), 0);
    }
    return true;
  });
}
