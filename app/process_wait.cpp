#include "app/process_wait.h"

namespace {

// Handles every message waiting for this thread. A WM_QUIT is kept for the
// message loop that runs after the wait, if any.
void HandleWaitingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace

UINT WaitForExitCode(HANDLE process, UINT failure) {
  for (;;) {
    const DWORD woken = ::MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) break;
    if (woken != WAIT_OBJECT_0 + 1) return failure;
    HandleWaitingMessages();
  }
  DWORD code = 0;
  if (!::GetExitCodeProcess(process, &code)) return failure;
  return code;
}
