// The packer's program lookup (FindProgram, RunProgram) on POSIX: a program planted in the current
// folder is never found or run, whatever PATH holds; a program of an absolute PATH folder runs by
// its full path. tests/tools/windows_program_lookup_test.cpp shows the same on Windows.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/tools/tool_test_support.h"
#include "tools/host_system.h"

namespace {

// Sets an environment variable for a scope and restores its old value.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// Changes the current folder for a scope.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::string& folder) {
    char old[4096];
    if (getcwd(old, sizeof old)) old_ = old;
    changed_ = chdir(folder.c_str()) == 0;
  }
  ~ScopedCurrentFolder() {
    if (changed_ && chdir(old_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << old_;
  }
  ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
  ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;
  bool changed() const { return changed_; }

 private:
  std::string old_;
  bool changed_ = false;
};

class ProgramLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    ASSERT_EQ(mkdir(folder_.Join("current").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(folder_.Join("bin").c_str(), 0755), 0);
    PlantScript("current/osslsigncode", "planted");
    PlantScript("bin/osslsigncode", "from PATH");
  }

  // An executable script at `relative` that prints `text` and ends with 0.
  void PlantScript(const std::string& relative, const std::string& text) {
    WriteFile(folder_.Join(relative), "#!/bin/sh\necho '" + text + "'\n");
    ASSERT_EQ(chmod(folder_.Join(relative).c_str(), 0755), 0);
  }

  TempFolder folder_;
};

TEST_F(ProgramLookupTest, FindsOnlyInAbsoluteFoldersOfThePath) {
  ScopedCurrentFolder current(folder_.Join("current"));
  ASSERT_TRUE(current.changed());
  const std::string bin = folder_.Join("bin");
  struct Case {
    std::string search_path;
    std::string expected;
  };
  const Case cases[] = {
      {"", ""},
      {":", ""},
      {".", ""},
      {"./", ""},
      {"../current", ""},
      {"current", ""},
      {"/nonexistent::", ""},
      {":" + bin, bin + "/osslsigncode"},
      {".:" + bin, bin + "/osslsigncode"},
      {bin + ":", bin + "/osslsigncode"},
      {folder_.path() + ":" + bin, bin + "/osslsigncode"},  // a folder is no program
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindProgram("osslsigncode", c.search_path), c.expected) << c.search_path;
  }
  EXPECT_EQ(FindProgram("./osslsigncode", ""), "./osslsigncode") << "a path is taken as given";
  EXPECT_EQ(FindProgram("", bin), "");
}

TEST_F(ProgramLookupTest, ANonExecutableFileIsNoProgram) {
  ASSERT_EQ(chmod(folder_.Join("bin/osslsigncode").c_str(), 0644), 0);
  EXPECT_EQ(FindProgram("osslsigncode", folder_.Join("bin")), "");
}

TEST_F(ProgramLookupTest, RunsTheProgramOfThePathNeverThePlantedOne) {
  ScopedCurrentFolder current(folder_.Join("current"));
  ASSERT_TRUE(current.changed());
  {
    // An empty entry means the current folder to execvp and posix_spawnp.
    ScopedVariable path("PATH", ":.");
    const ProgramRun run = RunProgram("osslsigncode", {"sign"}, "password\n");
    EXPECT_EQ(run.exit_code, -1);
    EXPECT_EQ(run.output, "");
    EXPECT_NE(run.problem.find("'osslsigncode' cannot be started"), std::string::npos)
        << run.problem;
  }
  ScopedVariable path("PATH", ":" + folder_.Join("bin") + ":/usr/bin:/bin");
  const ProgramRun run = RunProgram("osslsigncode", {"sign"}, "password\n");
  EXPECT_EQ(run.exit_code, 0) << run.problem;
  EXPECT_EQ(run.output, "from PATH\n");
}

}  // namespace
