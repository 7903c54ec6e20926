// The Windows packer's program lookup (FindProgram, RunProgram): CreateProcessW without an
// application name searches the current folder before PATH, so a planted osslsigncode.exe there
// received the key's password. Now a program planted in the current folder is never found or run,
// whatever PATH holds; a program of an absolute PATH folder runs by its full path.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/setup/scratch_folder.h"
#include "tools/host_system.h"

namespace {

std::string Utf8(const std::wstring& text) {
  std::string narrow(text.size() * 4, '\0');
  narrow.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    narrow.data(), static_cast<int>(narrow.size()), nullptr,
                                    nullptr));
  return narrow;
}

std::wstring Helper() {
  wchar_t path[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"program_lookup_helper.exe";
}

// Sets a variable of this process's environment for a scope and restores its old value.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[32768];
    const DWORD length = GetEnvironmentVariableW(name, old, 32768);
    had_ = length > 0 && length < 32768;
    if (had_) old_.assign(old, length);
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedVariable() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const wchar_t* name_;
  bool had_ = false;
  std::wstring old_;
};

class WindowsProgramLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    for (const wchar_t* folder : {L"current", L"bin"}) {
      ASSERT_TRUE(CreateDirectoryW(scratch_.Join(folder).c_str(), nullptr));
      ASSERT_TRUE(CopyFileW(Helper().c_str(),
                            (scratch_.Join(folder) + L"\\osslsigncode.exe").c_str(), TRUE))
          << GetLastError();
    }
    wchar_t old[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, old);
    old_current_ = old;
    ASSERT_TRUE(SetCurrentDirectoryW(scratch_.Join(L"current").c_str()));
  }
  void TearDown() override { SetCurrentDirectoryW(old_current_.c_str()); }

  std::string Bin() const { return Utf8(scratch_.Join(L"bin")); }

  ScratchFolder scratch_;
  std::wstring old_current_;
};

TEST_F(WindowsProgramLookupTest, FindsOnlyInAbsoluteFoldersOfThePath) {
  const std::string found = Bin() + "\\osslsigncode.exe";
  const std::string drive_relative = Utf8(scratch_.path()).substr(0, 2) + "current";
  struct Case {
    std::string search_path;
    std::string expected;
  };
  const Case cases[] = {
      {"", ""},
      {";", ""},
      {".", ""},
      {".\\", ""},
      {"..\\current", ""},
      {"current", ""},
      {drive_relative, ""},  // "C:current": the current folder of drive C
      {"\"\";;", ""},
      {";" + Bin(), found},
      {".;" + Bin(), found},
      {"\"" + Bin() + "\";", found},
      {Bin() + "\\", Bin() + "\\osslsigncode.exe"},
      {Utf8(scratch_.path()) + ";" + Bin(), found},  // a folder without it comes first
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindProgram("osslsigncode", c.search_path), c.expected) << c.search_path;
    EXPECT_EQ(FindProgram("osslsigncode.exe", c.search_path), c.expected) << c.search_path;
  }
  EXPECT_EQ(FindProgram(".\\osslsigncode.exe", ""), ".\\osslsigncode.exe")
      << "a path is taken as given";
  EXPECT_EQ(FindProgram("osslsigncode.com", Bin()), "");
}

TEST_F(WindowsProgramLookupTest, RunsTheProgramOfThePathNeverThePlantedOne) {
  {
    ScopedVariable path(L"PATH", L";.;current");
    const ProgramRun run = RunProgram("osslsigncode", {"sign"}, "password\n");
    EXPECT_EQ(run.exit_code, -1);
    EXPECT_EQ(run.output, "") << "the planted program ran";
    EXPECT_NE(run.problem.find("'osslsigncode' cannot be started"), std::string::npos)
        << run.problem;
  }
  ScopedVariable path(L"PATH", L".;" + scratch_.Join(L"bin"));
  const ProgramRun run = RunProgram("osslsigncode", {"sign"}, "password\n");
  EXPECT_EQ(run.exit_code, 0) << run.problem;
  EXPECT_EQ(run.output, Bin() + "\\osslsigncode.exe");
}

}  // namespace
