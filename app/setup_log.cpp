#include "app/setup_log.h"

#include <windows.h>

#include <string>

#include "setup/number_text.h"
#include "setup/win_handles.h"

namespace {

UniqueHandle g_log;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
  return bytes;
}

void Write(const std::string& bytes) {
  DWORD written = 0;
  ::WriteFile(g_log.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

bool OpenSetupLog(const std::wstring& path) {
  // Readers may look at the log while the setup runs.
  g_log.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(g_log);
}

void LogLine(const wchar_t* label, const std::wstring& text) {
  if (!g_log) return;
  const std::wstring line = *label ? std::wstring(label) + L": " + text : text;
  Write(Utf8(line) + "\r\n");
}

void LogExitCode(unsigned code) {
  LogLine(L"exit code", FormatLong(L"%ld", static_cast<long>(code)));
  CloseSetupLog();
}

void CloseSetupLog() { g_log.reset(); }
