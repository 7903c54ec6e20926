// Helper program of the app tests: the program image in front of their test
// packages, and the program the install-finished window starts. When it runs
// it sets the named event "brindle-app-test-ran:" + its own file name (lower
// case) if a test created one, and exits with code 0. It shows nothing.
#include <windows.h>

#include <cwctype>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  std::wstring name(path, length);
  name = name.substr(name.find_last_of(L'\\') + 1);
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
  const std::wstring event_name = L"brindle-app-test-ran:" + name;
  HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, event_name.c_str());
  if (event) {
    SetEvent(event);
    CloseHandle(event);
  }
  // The arguments: what follows the program name and its blanks.
  const std::wstring command_line = GetCommandLineW();
  size_t at = 0;
  if (!command_line.empty() && command_line[0] == L'"') {
    at = command_line.find(L'"', 1);
    at = at == std::wstring::npos ? command_line.size() : at + 1;
  } else {
    at = command_line.find(L' ');
    at = at == std::wstring::npos ? command_line.size() : at;
  }
  while (at < command_line.size() && command_line[at] == L' ') ++at;
  return static_cast<int>(command_line.size() - at);
}
