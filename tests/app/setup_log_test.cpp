// The /LOG file: UTF-8 lines as they are logged, the exit code last, and
// nothing at all without an open log.
#include "app/setup_log.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/exit_code.h"
#include "app/process_wnd.h"
#include "setup/win_handles.h"
#include "tests/app/app_test_support.h"
#include "tests/setup/scratch_folder.h"

namespace {

// The log's bytes, read while the setup may still write it (as a person's
// viewer does: sharing write access).
std::string Read(const std::wstring& path) {
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(file);
  std::string bytes(4096, '\0');
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr));
  bytes.resize(read);
  return bytes;
}

TEST(SetupLogTest, WritesUtf8LinesAndTheExitCodeLast) {
  ScratchFolder scratch;
  const std::wstring path = scratch.Join(L"setup.log");
  ASSERT_TRUE(OpenSetupLog(path));
  LogLine(L"folder", L"C:\\维尔托 Velto");
  // Every line is on disk as soon as it is logged: most ends do not unwind.
  EXPECT_EQ(Read(path), "folder: C:\\\xE7\xBB\xB4\xE5\xB0\x94\xE6\x89\x98 Velto\r\n");
  LogLine(L"", L"plain");
  LogExitCode(kExitCancelled);
  EXPECT_EQ(
      Read(path),
      "folder: C:\\\xE7\xBB\xB4\xE5\xB0\x94\xE6\x89\x98 Velto\r\nplain\r\nexit code: 1602\r\n");
  // Closed with the exit code: later lines go nowhere.
  LogLine(L"step", L"after the end");
  EXPECT_EQ(Read(path).find("after"), std::string::npos);
}

TEST(SetupLogTest, AFolderThatDoesNotExistOpensNoLog) {
  ScratchFolder scratch;
  EXPECT_FALSE(OpenSetupLog(scratch.Join(L"missing\\setup.log")));
  LogLine(L"step", L"nowhere");
  EXPECT_EQ(GetFileAttributesW(scratch.Join(L"missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

// An unattended progress window answers the engine's question No, shows no
// box and logs question and answer.
TEST(SetupLogTest, AnUnattendedQuestionTakesTheSafeAnswerAndIsLogged) {
  ASSERT_TRUE(app_test::PrepareWindows());
  ScratchFolder scratch;
  const std::wstring path = scratch.Join(L"setup.log");
  ASSERT_TRUE(OpenSetupLog(path));
  app_test::MessageBoxAnswerer answerer(IDYES);
  CHProcessWnd window;
  window.set_ui_level(UiLevel::kSilent);
  EXPECT_EQ(window.Ask(L"End Velto.exe?", L"caption", MB_YESNO), IDNO);
  EXPECT_TRUE(answerer.seen().empty());
  CloseSetupLog();
  EXPECT_EQ(Read(path), "question: End Velto.exe?\r\nanswer: no\r\n");
}

}  // namespace
