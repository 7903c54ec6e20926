// host_system.h on Windows: UTF-8 paths and arguments are converted to UTF-16 for the wide
// functions, so that names in any script work whatever the ANSI code page is.
// shellapi.h needs the declarations of windows.h.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <cwctype>

#include "setup/win_handles.h"
#include "tools/host_system.h"

namespace {

constexpr size_t kPathCapacity = 4096;

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                      nullptr, nullptr);
  return narrow;
}

void (*g_cleanup)() = nullptr;

BOOL WINAPI CleanUpOnControl(DWORD) {
  if (g_cleanup) g_cleanup();
  return FALSE;  // the next handler (the default one) ends the process
}

std::string LastErrorText(const std::string& what) {
  return what + ": Windows error " + std::to_string(GetLastError());
}

// Quotes one argument as CommandLineToArgvW and the C runtime split it again.
std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

// True for "X:\..." and "\\server\..." (either slash): a folder that does not depend on the
// current folder or the current drive's folder.
bool IsAbsoluteFolder(const std::wstring& folder) {
  const auto slash = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (folder.size() >= 2 && slash(folder[0]) && slash(folder[1])) return true;
  return folder.size() >= 3 && iswalpha(folder[0]) && folder[1] == L':' && slash(folder[2]);
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::string FindProgram(const std::string& program, const std::string& search_path) {
  if (program.find_first_of("\\/:") != std::string::npos) return program;
  if (program.empty()) return std::string();
  std::wstring name = Wide(program);
  if (name.find(L'.') == std::wstring::npos) name += L".exe";
  const std::wstring folders = Wide(search_path);
  for (size_t begin = 0; begin <= folders.size();) {
    const size_t end = std::min(folders.find(L';', begin), folders.size());
    std::wstring folder = folders.substr(begin, end - begin);
    begin = end + 1;
    folder.erase(std::remove(folder.begin(), folder.end(), L'"'), folder.end());
    if (!IsAbsoluteFolder(folder)) continue;
    const wchar_t last = folder.back();
    const std::wstring candidate = folder + (last == L'\\' || last == L'/' ? L"" : L"\\") + name;
    if (IsFile(candidate)) return Utf8(candidate);
  }
  return std::string();
}

std::vector<std::string> ProgramArguments(int, char**) {
  SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide && i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

FILE* OpenFile(const std::string& path, const char* mode) {
  return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

bool SeekFile(FILE* file, int64_t offset, int origin) {
  return _fseeki64(file, offset, origin) == 0;
}

int64_t TellFile(FILE* file) { return _ftelli64(file); }

bool EmptyFile(FILE* file) {
  return std::fflush(file) == 0 && _chsize_s(_fileno(file), 0) == 0 && SeekFile(file, 0, SEEK_SET);
}

bool IsTerminal(FILE* stream) {
  DWORD mode = 0;
  return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

FILE* CreateUniqueFile(const std::string& prefix, std::string& path) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string candidate = prefix + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    // CREATE_NEW: an existing file is never taken over.
    UniqueHandle handle(CreateFileW(Wide(candidate).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
      return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), _O_BINARY);
    if (fd < 0) return nullptr;
    handle.release();  // owned by the descriptor now
    FILE* file = _fdopen(fd, "w+b");
    if (!file) {
      _close(fd);
      DeleteFileW(Wide(candidate).c_str());
      return nullptr;
    }
    path = candidate;
    return file;
  }
  errno = EEXIST;
  return nullptr;
}

bool MoveIntoPlace(const std::string& from, const std::string& to, bool) {
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}

void RemoveFileNow(const char* path) {
  wchar_t wide[kPathCapacity];
  if (MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, kPathCapacity) > 0) DeleteFileW(wide);
}

void CallOnInterrupt(void (*cleanup)()) {
  g_cleanup = cleanup;
  SetConsoleCtrlHandler(CleanUpOnControl, TRUE);
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input) {
  ProgramRun run;
  // CreateProcessW without an application name would search the current folder first.
  const DWORD path_size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  std::wstring search_path(path_size, L'\0');
  search_path.resize(GetEnvironmentVariableW(L"PATH", search_path.data(), path_size));
  const std::wstring path = Wide(FindProgram(program, Utf8(search_path)));
  if (path.empty()) {
    run.problem = "'" + program + "' cannot be started: no absolute folder of PATH holds it";
    return run;
  }
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE raw[4] = {};
  if (!CreatePipe(&raw[0], &raw[1], &inheritable, 0) ||
      !CreatePipe(&raw[2], &raw[3], &inheritable, 0)) {
    run.problem = LastErrorText("a pipe cannot be made");
    for (HANDLE handle : raw) {
      if (handle) CloseHandle(handle);
    }
    return run;
  }
  UniqueHandle input_read(raw[0]), input_write(raw[1]), output_read(raw[2]), output_write(raw[3]);
  // This program's ends stay here.
  SetHandleInformation(input_write.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(output_read.get(), HANDLE_FLAG_INHERIT, 0);

  std::wstring command_line = QuoteArgument(Wide(program));
  for (const std::string& argument : arguments)
    command_line += L" " + QuoteArgument(Wide(argument));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input_read.get();
  startup.hStdOutput = output_write.get();
  startup.hStdError = output_write.get();
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    run.problem = LastErrorText("'" + program + "' cannot be started");
    return run;
  }
  UniqueHandle child(process.hProcess);
  const UniqueHandle thread(process.hThread);
  input_read.reset();
  output_write.reset();
  DWORD written = 0;
  if (!input.empty()) {
    WriteFile(input_write.get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
  }
  input_write.reset();
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(output_read.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    run.output.append(buffer, read);
  }
  WaitForSingleObject(child.get(), INFINITE);
  DWORD exit_code = 0;
  if (GetExitCodeProcess(child.get(), &exit_code)) run.exit_code = static_cast<int>(exit_code);
  return run;
}
