// One setup or uninstaller per product at a time: a named mutex keyed by the
// product id ("Global\Brindle.Setup.<id>", one for all sessions, as a
// per-machine install is one for all users), held by the process that does
// the work until it ends. A per-user install takes the same lock: it makes
// the same shortcuts and start-menu folder of the user as one for every
// user, so the two must not run at once.
#ifndef BRINDLE_APP_PRODUCT_LOCK_H_
#define BRINDLE_APP_PRODUCT_LOCK_H_

#include <string>

#include "setup/win_handles.h"

class ProductLock {
 public:
  ProductLock() = default;
  ProductLock(const ProductLock&) = delete;
  ProductLock& operator=(const ProductLock&) = delete;

  // Takes the lock of `product_id`. False when another process holds it (or
  // held it and still has it open). A lock that cannot be made at all (no
  // rights to the name) does not stop the setup: true.
  bool Acquire(const std::wstring& product_id);

 private:
  UniqueHandle mutex_;
};

// The mutex name of `product_id`'s lock.
std::wstring ProductLockName(const std::wstring& product_id);

#endif  // BRINDLE_APP_PRODUCT_LOCK_H_
