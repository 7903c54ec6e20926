#include "setup/processes.h"

#include <tlhelp32.h>

#include <vector>

#include "setup/same_path.h"
#include "setup/win_handles.h"

namespace {

// Longest image path the system reports, in characters.
constexpr DWORD kImagePathChars = 32768;

// The full path of the executable that `process` runs; empty when it cannot be
// read.
std::wstring ImagePath(HANDLE process) {
  std::wstring buffer(kImagePathChars, L'\0');
  DWORD size = kImagePathChars;
  if (!QueryFullProcessImageNameW(process, 0, &buffer[0], &size)) return std::wstring();
  buffer.resize(size);
  return buffer;
}

// Calls `visit(process)` with an open handle (`access` plus the right to read
// its image path) for each process that runs the file at `path`, until it
// returns false. False when no snapshot could be taken.
template <typename Visitor>
bool ForEachProcessOf(const std::wstring& path, DWORD access, Visitor visit) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    UniqueHandle process(
        OpenProcess(access | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) continue;
    const std::wstring image = ImagePath(process.get());
    if (image.empty() || !IsSamePath(image, path)) continue;
    if (!visit(std::move(process))) break;
  }
  return true;
}

}  // namespace

bool IsProcessRunning(const std::wstring& path) {
  if (path.empty()) return false;
  bool found = false;
  ForEachProcessOf(path, 0, [&found](UniqueHandle) {
    found = true;
    return false;
  });
  return found;
}

int TerminateProcessesByPath(const std::wstring& path, DWORD timeout_ms) {
  if (path.empty()) return 0;
  std::vector<UniqueHandle> ended;
  ForEachProcessOf(path, PROCESS_TERMINATE | SYNCHRONIZE, [&ended](UniqueHandle process) {
    if (TerminateProcess(process.get(), 0)) ended.push_back(std::move(process));
    return true;
  });
  const DWORD start = GetTickCount();
  for (const UniqueHandle& process : ended) {
    const DWORD spent = GetTickCount() - start;
    WaitForSingleObject(process.get(), spent < timeout_ms ? timeout_ms - spent : 0);
  }
  return static_cast<int>(ended.size());
}
