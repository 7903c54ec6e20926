#include "setup/os_version.h"

#include <gtest/gtest.h>

namespace {

// The program targets Windows 7 (_WIN32_WINNT 0x0601), so every system it
// runs on reports NT 6 or later, whatever version number compatibility
// shims make GetVersionExW return.
TEST(OsVersionTest, SupportedSystemsAreVistaOrLater) { EXPECT_TRUE(IsVistaOrLater()); }

}  // namespace
