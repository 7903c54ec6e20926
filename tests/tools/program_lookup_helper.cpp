// Test helper of the program lookup: prints the full path of its own file (UTF-8) and ends with 0,
// so that a test sees which copy of it ran.
#include <windows.h>

int main() {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  char text[MAX_PATH * 8] = {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(length), text,
                                       sizeof text, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(size), &written, nullptr);
  return 0;
}
