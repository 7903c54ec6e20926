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

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = towupper(c);
  return text;
}

TEST(IsProcessRunningTest, MatchesTheExecutableFileInAnySpelling) {
  const std::wstring own = GetModulePath();
  EXPECT_TRUE(IsProcessRunning(own));
  EXPECT_TRUE(IsProcessRunning(Upper(own)));
  std::wstring slashes = own;
  for (wchar_t& c : slashes) c = c == L'\\' ? L'/' : c;
  EXPECT_TRUE(IsProcessRunning(slashes));
}

TEST(IsProcessRunningTest, FalseForTheSameNameElsewhereForNoMatchAndEmptyPath) {
  const std::wstring own = GetModulePath();
  ScratchFolder scratch;
  EXPECT_FALSE(IsProcessRunning(scratch.Join(own.substr(own.find_last_of(L'\\') + 1))));
  EXPECT_FALSE(IsProcessRunning(L"C:\\nowhere\\" + UniqueExeName(L"no-such-program-")));
  EXPECT_FALSE(IsProcessRunning(L""));
  EXPECT_FALSE(IsProcessRunning(L"C:\\folder\\"));
}

TEST(IsProcessRunningTest, SeesAnotherProcessByItsExecutableFile) {
  ScratchFolder scratch;
  const std::wstring name = UniqueExeName(L"Velto-");
  EXPECT_FALSE(IsProcessRunning(scratch.Join(name)));
  WaitingHelper helper(scratch.path(), name);
  ASSERT_TRUE(helper.Ready());
  EXPECT_TRUE(IsProcessRunning(Upper(scratch.Join(name))));
  EXPECT_FALSE(IsProcessRunning(L"C:\\Program Files\\Other\\" + name));
}

// Processes of the same file name in another folder, and of another name in
// the same folder, are left alone; the ended one is gone when the call
// returns.
TEST(TerminateProcessesByPathTest, EndsThatFileAndNothingElse) {
  ScratchFolder scratch;
  ASSERT_TRUE(CreateDirectoryW(scratch.Join(L"second").c_str(), nullptr));
  const std::wstring name = UniqueExeName(L"target-");
  const std::wstring other = UniqueExeName(L"bystander-");
  WaitingHelper target(scratch.path(), name);
  WaitingHelper same_name(scratch.Join(L"second"), name);
  WaitingHelper bystander(scratch.path(), other);
  ASSERT_TRUE(target.Ready() && same_name.Ready() && bystander.Ready());

  EXPECT_EQ(1, TerminateProcessesByPath(scratch.Join(name), 10000));

  EXPECT_FALSE(target.child().Running());
  EXPECT_EQ(0, target.child().WaitExit());
  EXPECT_TRUE(same_name.child().Running());
  EXPECT_TRUE(bystander.child().Running());
  EXPECT_EQ(0, TerminateProcessesByPath(scratch.Join(L"missing.exe"), 10000));
  EXPECT_EQ(0, TerminateProcessesByPath(L"", 10000));
}

TEST(TerminateProcessesByPathTest, EndsTheCallingProcessWhenItRunsThatFile) {
  ScratchFolder scratch;
  const std::wstring path = scratch.Join(UniqueExeName(L"self-"));
  ASSERT_TRUE(CopyFileW(SiblingProgram(L"setup_engine_helper.exe").c_str(), path.c_str(), FALSE));
  ChildProcess child(path, L"end-own-file");
  ASSERT_TRUE(child.Started());
  EXPECT_EQ(0, child.WaitExit());
}

}  // namespace
