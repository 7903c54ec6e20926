#include "app/product_lock.h"

#include <windows.h>

#include "setup/journal_file.h"

std::wstring ProductLockName(const std::wstring& product_id) {
  std::wstring folded = product_id;
  if (!folded.empty()) ::CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
  return folded + L".lock";
}

DWORD ProductLock::Acquire(const std::wstring& product_id, InstallScope scope) {
  const std::wstring root = TrustedJournalRoot(scope);
  if (root.empty() || product_id.empty()) return ERROR_ACCESS_DENIED;
  // No sharing: a second open fails while this one lasts. Never through a
  // link, and removed when the holder ends however it ends.
  file_.reset(::CreateFileW(
      (root + L"\\" + ProductLockName(product_id)).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
      0, nullptr, OPEN_ALWAYS,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return file_ ? ERROR_SUCCESS : ::GetLastError();
}
