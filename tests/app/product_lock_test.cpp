// One setup per product: the lock of one product id is held once, whatever
// the case of the id, other products' locks are free, a released lock can be
// taken again, and a lock that cannot be taken stops the setup: it never runs
// without one.
#include "app/product_lock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "setup/journal_file.h"

namespace {

constexpr DWORD kTaken = ERROR_SUCCESS;
constexpr InstallScope kScope = InstallScope::kMachine;

std::wstring TestId() { return L"test.lock." + std::to_wstring(GetCurrentProcessId()); }

TEST(ProductLockTest, ASecondHolderOfOneProductIsRefusedOtherProductsAreNot) {
  const std::wstring id = TestId();
  auto first = std::make_unique<ProductLock>();
  ASSERT_EQ(first->Acquire(id, kScope), kTaken);
  ProductLock second;
  EXPECT_NE(second.Acquire(id, kScope), kTaken);
  ProductLock other;
  EXPECT_EQ(other.Acquire(id + L".other", kScope), kTaken);
  first.reset();
  ProductLock again;
  EXPECT_EQ(again.Acquire(id, kScope), kTaken);
}

// The journal folder and the Uninstall key ignore case; so does the lock.
TEST(ProductLockTest, IdsThatDifferOnlyInCaseShareOneLock) {
  ProductLock first;
  ASSERT_EQ(first.Acquire(L"Test.Lock.Case." + std::to_wstring(GetCurrentProcessId()), kScope),
            kTaken);
  ProductLock second;
  EXPECT_NE(second.Acquire(L"TEST.LOCK.CASE." + std::to_wstring(GetCurrentProcessId()), kScope),
            kTaken);
  EXPECT_EQ(ProductLockName(L"com.example.Mossbank"), L"COM.EXAMPLE.MOSSBANK.lock");
}

// A lock that exists but cannot be opened (here a folder in its place) means
// that the setup does not run, never that it runs without the lock.
TEST(ProductLockTest, ALockThatCannotBeOpenedFailsClosed) {
  const std::wstring id = TestId() + L".closed";
  const std::wstring root = TrustedJournalRoot(kScope);
  ASSERT_FALSE(root.empty());
  const std::wstring in_the_way = root + L"\\" + ProductLockName(id);
  ASSERT_TRUE(CreateDirectoryW(in_the_way.c_str(), nullptr));
  ProductLock lock;
  EXPECT_NE(lock.Acquire(id, kScope), kTaken);
  EXPECT_TRUE(RemoveDirectoryW(in_the_way.c_str()));
  EXPECT_EQ(lock.Acquire(id, kScope), kTaken);
}

// The lock is a file in the protected journal root, gone when its holder ends.
TEST(ProductLockTest, IsAFileInTheJournalRootWhileHeld) {
  const std::wstring id = TestId() + L".file";
  const std::wstring path = TrustedJournalRoot(kScope) + L"\\" + ProductLockName(id);
  {
    ProductLock lock;
    ASSERT_EQ(lock.Acquire(id, kScope), kTaken);
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  }
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
