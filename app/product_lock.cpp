#include "app/product_lock.h"

#include <windows.h>

#include <utility>

std::wstring ProductLockName(const std::wstring& product_id) {
  return L"Global\\Brindle.Setup." + product_id;
}

bool ProductLock::Acquire(const std::wstring& product_id) {
  UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, ProductLockName(product_id).c_str()));
  if (!mutex) return ::GetLastError() != ERROR_ACCESS_DENIED;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) return false;
  mutex_ = std::move(mutex);
  return true;
}
