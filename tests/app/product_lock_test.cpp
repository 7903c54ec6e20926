// One setup per product: the lock of one product id is held once, other products' locks are
// free, and a released lock can be taken again.
#include "app/product_lock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

namespace {

TEST(ProductLockTest, ASecondHolderOfOneProductIsRefusedOtherProductsAreNot) {
  const std::wstring id = L"test.lock." + std::to_wstring(GetCurrentProcessId());
  auto first = std::make_unique<ProductLock>();
  ASSERT_TRUE(first->Acquire(id));
  ProductLock second;
  EXPECT_FALSE(second.Acquire(id));
  ProductLock other;
  EXPECT_TRUE(other.Acquire(id + L".other"));
  first.reset();
  ProductLock again;
  EXPECT_TRUE(again.Acquire(id));
}

TEST(ProductLockTest, TheNameIsOneForAllSessions) {
  EXPECT_EQ(ProductLockName(L"com.example.Mossbank"),
            L"Global\\Brindle.Setup.com.example.Mossbank");
}

}  // namespace
