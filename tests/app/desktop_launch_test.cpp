// Starting the installed product: an elevated setup starts it only through
// the desktop's shell, as the signed-in user; when that shell refuses, nothing
// starts (never a start of its own, which would run the product elevated).
#include "app/desktop_launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the fake starters were asked, in order ("shell", "own").
std::vector<std::string> calls;
bool shell_accepts = false;

bool FakeShell(const std::wstring&) {
  calls.push_back("shell");
  return shell_accepts;
}

bool FakeOwnStart(const std::wstring&) {
  calls.push_back("own");
  return true;
}

TEST(DesktopLaunchTest, AnElevatedSetupStartsTheProductOnlyThroughTheDesktopShell) {
  const ProductStarters fakes = {FakeShell, FakeOwnStart};
  const struct {
    bool elevated;
    bool shell_accepts;
    bool started;
    std::vector<std::string> calls;
  } cases[] = {
      {true, true, true, {"shell"}},
      {true, false, false, {"shell"}},  // the shell refuses: nothing starts
      {false, false, true, {"own"}},
      {false, true, true, {"own"}},
  };
  for (const auto& row : cases) {
    calls.clear();
    shell_accepts = row.shell_accepts;
    EXPECT_EQ(StartInstalledProduct(L"C:\\Velto\\Velto.exe", row.elevated, fakes), row.started)
        << row.elevated << row.shell_accepts;
    EXPECT_EQ(calls, row.calls) << row.elevated << row.shell_accepts;
  }
}

}  // namespace
