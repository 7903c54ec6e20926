// The application object under Wine: this test program carries no package,
// so the start-up shows the package error and InitInstance fails without a
// main window; the end is recorded instead of ending the test.
#include "app/brindle_app.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "app/exit_code.h"
#include "tests/app/app_test_support.h"

namespace {

TEST(BrindleAppTest, ProgramWithoutPackageShowsTheErrorAndHasNoMainWindow) {
  app_test::ProcessEndRecorder ends;
  app_test::MessageBoxAnswerer answerer(IDOK);
  CHBrindleApp app;
  ASSERT_NE(app.RegisterWindowClass(SW_SHOWNORMAL, nullptr, GetModuleHandleW(nullptr), nullptr), 0);
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(app.GetMainWindow(), nullptr);
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text, L"安装包校验失败, 操作终止.");
  EXPECT_EQ(ends.calls(), std::vector<UINT>{kExitPackageDamaged});
  app.ExitInstance();
  EXPECT_EQ(app.GetMainWindow(), nullptr);
}

}  // namespace
