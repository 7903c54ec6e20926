// One setup or uninstaller per product at a time: a file opened without
// sharing, "<product id folded to upper case>.lock", in the journal area's
// root of this process (setup/journal_file.h): for a process with
// administrator rights the protected "%ProgramData%\Brindle\journal", which
// a standard user can neither write nor pre-create anything in; for a run
// without them the user's own "%LOCALAPPDATA%\Brindle\journal". The process
// that does the work holds it until it ends, and the system deletes it then;
// an installed uninstaller that hands its work to a temporary copy holds it
// only while it recovers an interrupted run, before the hand-off.
// The lock fails closed: whatever keeps this process from holding the file
// (another holder, a file it may not open, a folder that is not trusted)
// means the setup does not run.
#ifndef BRINDLE_APP_PRODUCT_LOCK_H_
#define BRINDLE_APP_PRODUCT_LOCK_H_

#include <string>

#include "setup/product.h"
#include "setup/win_handles.h"

class ProductLock {
 public:
  ProductLock() = default;
  ProductLock(const ProductLock&) = delete;
  ProductLock& operator=(const ProductLock&) = delete;

  // Takes the lock of `product_id` in the area of `scope` (kMachine: the
  // admin area). ERROR_SUCCESS, or why not: ERROR_SHARING_VIOLATION (or
  // ERROR_ACCESS_DENIED) while another process holds it, ERROR_ACCESS_DENIED
  // when the area's root is not trusted, or another error of the open.
  DWORD Acquire(const std::wstring& product_id, InstallScope scope);
  // Lets go of the lock (nothing when it is not held).
  void Release() { file_.reset(); }

 private:
  UniqueHandle file_;
};

// The lock file's name of `product_id`: the id in upper case (the lock,
// the journal folder and the Uninstall key ignore case), then ".lock".
std::wstring ProductLockName(const std::wstring& product_id);

#endif  // BRINDLE_APP_PRODUCT_LOCK_H_
