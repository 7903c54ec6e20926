// Mossbank: the second sample product, packed with its own identity, language, skin and icon. It
// shows its name and version in a message box and ends.
#include <windows.h>

#include "examples/mossbank/src/version.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"" MOSSBANK_PRODUCT_NAME L" " MOSSBANK_VERSION_TEXT,
              L"" MOSSBANK_PRODUCT_NAME, MB_OK | MB_ICONINFORMATION);
  return 0;
}
