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
  return 0;
}
