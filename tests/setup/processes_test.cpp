#include "setup/processes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "setup/paths.h"
#include "tests/setup/child_process.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

using test_package::SiblingProgram;

// Copies the helper program into `folder` as `file_name` and starts it in
// "wait" mode; returns once it runs.
class WaitingHelper {
 public:
  WaitingHelper(const std::wstring& folder, const std::wstring& file_name)
      : path_(folder + L"\\" + file_name) {
    CopyFileW(SiblingProgram(L"setup_engine_helper.exe").c_str(), path_.c_str(), FALSE);
    child_.reset(new ChildProcess(path_, L"wait " + ready_.name()));
    ready_ok_ = child_->WaitReady(ready_.get());
  }
  bool Ready() const { return ready_ok_; }
  ChildProcess& child() { return *child_; }

 private:
  std::wstring path_;
  NamedEvent ready_;
  std::unique_ptr<ChildProcess> child_;
  bool ready_ok_ = false;
};

std::wstring UniqueExeName(const wchar_t* stem) {
  return std::wstring(stem) + std::to_wstring(GetCurrentProcessId()) + L".exe";
}

TEST(IsProcessRunningTest, MatchesFileNameIgnoringCaseAndFolder) {
  std::wstring own = GetModulePath();
  std::wstring name = own.substr(own.find_last_of(L'\\') + 1);
  for (wchar_t& c : name) c = towupper(c);
  EXPECT_TRUE(IsProcessRunning(L"Z:\\elsewhere\\" + name));
  EXPECT_TRUE(IsProcessRunning(name));
}

TEST(IsProcessRunningTest, FalseForNoMatchAndEmptyName) {
  EXPECT_FALSE(IsProcessRunning(L"C:\\nowhere\\" + UniqueExeName(L"no-such-program-")));
  EXPECT_FALSE(IsProcessRunning(L""));
  EXPECT_FALSE(IsProcessRunning(L"C:\\folder\\"));
}

TEST(IsProcessRunningTest, SeesAnotherProcessByItsExecutableName) {
  ScratchFolder scratch;
  const std::wstring name = UniqueExeName(L"Velto-");
  EXPECT_FALSE(IsProcessRunning(name));
  WaitingHelper helper(scratch.path(), name);
  ASSERT_TRUE(helper.Ready());
  std::wstring lower = name;
  for (wchar_t& c : lower) c = towlower(c);
  EXPECT_TRUE(IsProcessRunning(L"C:\\Program Files\\Other\\" + lower));
}

TEST(TerminateProcessesByNameTest, EndsEveryMatchAndNothingElse) {
  ScratchFolder scratch;
  ASSERT_TRUE(CreateDirectoryW(scratch.Join(L"second").c_str(), nullptr));
  const std::wstring name = UniqueExeName(L"target-");
  const std::wstring other = UniqueExeName(L"bystander-");
  WaitingHelper first(scratch.path(), name);
  WaitingHelper second(scratch.Join(L"second"), name);
  WaitingHelper bystander(scratch.path(), other);
  ASSERT_TRUE(first.Ready() && second.Ready() && bystander.Ready());

  TerminateProcessesByName(L"D:\\unrelated\\" + name);

  EXPECT_EQ(0, first.child().WaitExit());
  EXPECT_EQ(0, second.child().WaitExit());
  EXPECT_TRUE(bystander.child().Running());
}

TEST(TerminateProcessesByNameTest, EndsTheCallingProcessWhenItsNameMatches) {
  ScratchFolder scratch;
  const std::wstring path = scratch.Join(UniqueExeName(L"self-"));
  ASSERT_TRUE(CopyFileW(SiblingProgram(L"setup_engine_helper.exe").c_str(), path.c_str(), FALSE));
  ChildProcess child(path, L"end-own-name");
  ASSERT_TRUE(child.Started());
  EXPECT_EQ(0, child.WaitExit());
}

}  // namespace
