// The progress window and the work driver under Wine: its elements, the
// install-finished handover, the uninstall run of a real uninstaller config
// and the failures. Early ends are recorded instead of ending the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/exit_code.h"
#include "app/main_wnd.h"
#include "app/process_wnd.h"
#include "tests/app/app_test_support.h"
#include "tests/setup/engine_test_support.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_label.h"
#include "ui/controls/ui_progress.h"
#include "ui/framework/ui_resource.h"

namespace {

using app_test::IsCentred;
using app_test::IsTopmost;
using app_test::MessageBoxAnswerer;
using app_test::ProcessEndRecorder;
using app_test::WindowSize;

// Records the commands that reach it.
class OwnerWindow : public CHWindow {
 public:
  LRESULT HandleCommand(WPARAM wparam, LPARAM) override {
    commands.push_back(LOWORD(wparam));
    return 0;
  }
  std::vector<int> commands;
};

class ProcessWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app_test::PrepareWindows());
    ASSERT_TRUE(skin_.LoadFromResource(GetModuleHandleW(nullptr), L"UIR", 129));
    ASSERT_TRUE(owner_.Create(nullptr, 0, 0, WS_POPUP, 0, L""));
  }

  // The progress window of `mode`, created and loaded as the main window does.
  void Build(int mode) {
    window_.set_run_mode(mode);
    ASSERT_TRUE(window_.Create(owner_.hwnd(), 0, 0, WS_POPUP, 0, L""));
    ASSERT_TRUE(window_.LoadSkin(&skin_, "ProcessWindow", nullptr));
  }

  UIResource skin_;
  OwnerWindow owner_;
  CHProcessWnd window_;
};

TEST_F(ProcessWindowTest, InstallModeStartsPreparedAndHidden) {
  Build(1);
  EXPECT_FALSE(IsWindowVisible(window_.hwnd()));
  EXPECT_EQ(WindowSize(window_.hwnd()).cx, 670);
  EXPECT_EQ(WindowSize(window_.hwnd()).cy, 300);
  EXPECT_TRUE(IsCentred(window_.hwnd()));
  EXPECT_TRUE(app_test::IsLayered(window_.hwnd()));
  EXPECT_EQ(GetWindowLongW(window_.hwnd(), GWL_STYLE) & WS_CAPTION, 0);
  ASSERT_NE(window_.step_label(), nullptr);
  EXPECT_EQ(window_.step_label()->text(), L"准备安装...");
  ASSERT_NE(window_.progress_bar(), nullptr);
  EXPECT_EQ(window_.progress_bar()->lower(), 0);
  EXPECT_EQ(window_.progress_bar()->upper(), 100);
  EXPECT_EQ(window_.progress_bar()->position(), 0);
  ASSERT_NE(window_.cancel_button(), nullptr);
  EXPECT_FALSE(window_.cancel_button()->visible());
  EXPECT_EQ(window_.cancel_button()->caption(), L"取消");
  EXPECT_EQ(window_.cancel_button()->command_id(), 2002);
  EXPECT_EQ(window_.desktop_option(), 1);
  EXPECT_EQ(window_.taskbar_option(), 1);
  EXPECT_EQ(window_.start_menu_option(), 1);
  ASSERT_NE(window_.success_window().hwnd(), nullptr);
  EXPECT_EQ(window_.success_window2().hwnd(), nullptr);
}

TEST_F(ProcessWindowTest, UninstallModeStartsPrepared) {
  Build(0);
  EXPECT_EQ(window_.step_label()->text(), L"准备卸载...");
  EXPECT_EQ(window_.success_window().hwnd(), nullptr);
  ASSERT_NE(window_.success_window2().hwnd(), nullptr);
  EXPECT_EQ(WindowSize(window_.success_window2().hwnd()).cx, 670);
  EXPECT_EQ(WindowSize(window_.success_window2().hwnd()).cy, 400);
}

TEST_F(ProcessWindowTest, CancelOnlyDisablesItsButtonAndCloseIsIgnored) {
  Build(1);
  SendMessageW(window_.hwnd(), WM_COMMAND, 2002, reinterpret_cast<LPARAM>(window_.hwnd()));
  EXPECT_FALSE(window_.cancel_button()->enabled());
  EXPECT_TRUE(owner_.commands.empty());
  SendMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
  SendMessageW(window_.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(IsWindow(window_.hwnd()));
}

TEST_F(ProcessWindowTest, OtherCommandsReachTheOwner) {
  Build(1);
  for (WPARAM id : {1000, 1001, 2001}) {
    SendMessageW(window_.hwnd(), WM_COMMAND, id, reinterpret_cast<LPARAM>(window_.hwnd()));
  }
  EXPECT_EQ(owner_.commands, (std::vector<int>{1000, 1001, 2001}));
}

TEST_F(ProcessWindowTest, EngineStepsShowInTheLabelAndBar) {
  Build(1);
  ProgressSink& sink = window_;
  sink.SetStepText(L"正在复制文件: 10%");
  sink.SetProgressPosition(42);
  EXPECT_EQ(window_.step_label()->text(), L"正在复制文件: 10%");
  EXPECT_EQ(window_.progress_bar()->position(), 42);
  EXPECT_EQ(sink.WindowHandle(), window_.hwnd());
  window_.set_install_folder(L"C:\\Velto");
  window_.set_taskbar_option(0);
  EXPECT_EQ(sink.InstallFolder(), L"C:\\Velto");
  EXPECT_TRUE(sink.DesktopOption());
  EXPECT_FALSE(sink.TaskbarOption());
  EXPECT_TRUE(sink.StartMenuOption());
}

TEST_F(ProcessWindowTest, InstallFinishedMessageHandsOverToTheFinishWindow) {
  ProcessEndRecorder ends;
  Build(1);
  ShowWindow(window_.hwnd(), SW_SHOW);
  window_.SetLaunchPath(L"C:\\Program Files\\Velto\\Velto.exe");
  const DWORD start = GetTickCount();
  EXPECT_EQ(SendMessageW(window_.hwnd(), 0x8401, 0, 0), 0);
  EXPECT_GE(GetTickCount() - start, 250u) << "the progress window fades out";
  EXPECT_EQ(window_.step_label()->text(), L"安装完毕: 100%");
  EXPECT_EQ(window_.progress_bar()->position(), 100);
  EXPECT_EQ(WindowSize(window_.hwnd()).cx, 1);
  EXPECT_EQ(WindowSize(window_.hwnd()).cy, 1);
  EXPECT_TRUE(IsWindow(window_.hwnd()));
  const HWND finish = window_.success_window().hwnd();
  EXPECT_TRUE(IsWindowVisible(finish));
  EXPECT_TRUE(IsTopmost(finish));
  EXPECT_EQ(WindowSize(finish).cx, 670);
  EXPECT_EQ(WindowSize(finish).cy, 320);
  EXPECT_TRUE(IsCentred(finish));
  EXPECT_EQ(window_.success_window().launch_path(), L"C:\\Program Files\\Velto\\Velto.exe");
  EXPECT_TRUE(ends.calls().empty());
}

TEST_F(ProcessWindowTest, FailedInstallShowsTheErrorAndEndsWithOne) {
  ProcessEndRecorder ends;
  ScratchFolder scratch;
  const std::wstring package = scratch.Join(L"setup.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(package, app_test::Package("{\"mode\":1}")));
  Build(1);
  window_.set_package(package);
  window_.set_install_folder(scratch.Join(L"Velto"));
  MessageBoxAnswerer answerer(IDOK);
  answerer.set_look([this] { return window_.step_label()->text(); });
  window_.StartWork();
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text, L"安装包校验失败, 操作终止.");
  EXPECT_EQ(answerer.seen()[0].owner, window_.hwnd());
  // Behind the box the window shows the failure, not a step that seems to go on.
  EXPECT_EQ(answerer.seen()[0].looked, L"安装失败");
  EXPECT_EQ(ends.calls(), std::vector<UINT>{kExitPackageDamaged});
  EXPECT_FALSE(IsWindowVisible(window_.success_window().hwnd()));
}

// A failure that is not the package's names its cause and path; the box
// and the exit code are those of every failed install.
TEST_F(ProcessWindowTest, FailedInstallNamesItsCause) {
  ProcessEndRecorder ends;
  ScratchFolder scratch;
  const std::wstring folder = scratch.Join(L"Velto");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\Velto.exe").c_str(), nullptr));
  const std::string archive = test_package::BuildZip({{"Velto.exe", "program"}});
  const std::wstring package = scratch.Join(L"setup.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(package, app_test::Package("{\"mode\":1}", &archive)));
  Build(1);
  window_.set_package(package);
  window_.set_install_folder(folder);
  MessageBoxAnswerer answerer(IDOK);
  window_.StartWork();
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text,
            L"“" + folder + L"\\Velto.exe”是一个文件夹, 无法写入同名文件, 操作终止.");
  EXPECT_EQ(ends.calls(), std::vector<UINT>{1});
  EXPECT_TRUE(PathIsDirectoryW((folder + L"\\Velto.exe").c_str()));
}

TEST_F(ProcessWindowTest, FailedUninstallShowsTheErrorAndEndsWithOne) {
  ProcessEndRecorder ends;
  ScratchFolder scratch;
  const std::wstring copy = scratch.Join(L"unins000.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(copy, app_test::Package("{\"mode\":0}")));
  Build(0);
  window_.set_package(copy);
  MessageBoxAnswerer answerer(IDOK);
  answerer.set_look([this] { return window_.step_label()->text(); });
  window_.StartWork();
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text, L"卸载出现错误, 操作中止.");
  EXPECT_EQ(answerer.seen()[0].looked, L"卸载未能完成");
  EXPECT_EQ(ends.calls(), std::vector<UINT>{1});
  EXPECT_FALSE(IsWindowVisible(window_.success_window2().hwnd()));
}

// A real uninstallation of recorded scratch files; the engine also clears the
// product's fixed places, so this test holds the product-places lock.
TEST_F(ProcessWindowTest, UninstallRemovesTheRecordAndShowsTheFinishWindow) {
  ProcessEndRecorder ends;
  engine_test::ProductPlaces places;
  ScratchFolder scratch;
  const std::wstring folder = scratch.Join(L"Velto");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\data").c_str(), nullptr));
  const std::wstring files[] = {folder + L"\\Velto.exe", folder + L"\\data\\a.txt"};
  for (const std::wstring& file : files) ASSERT_TRUE(test_package::WriteFileBytes(file, "x"));
  JsonValue config(JsonKind::Object);
  config["mode"] = 0;
  config["setup"] = JsonValue(JsonKind::Object);
  config["setup"]["root"] = JsonValue(engine_test::EncodePath(folder));
  config["files"] = engine_test::PathList({files[0], files[1]});
  config["folders"] = engine_test::PathList({folder + L"\\data", folder});
  const std::wstring copy = scratch.Join(L"unins000.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(copy, app_test::Package(app_test::ConfigText(config))));

  Build(0);
  window_.set_package(copy);
  ShowWindow(window_.hwnd(), SW_SHOW);
  MessageBoxAnswerer answerer(IDOK);
  window_.StartWork();
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_TRUE(ends.calls().empty());
  EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(window_.step_label()->text(), L"安装完毕: 100%");
  EXPECT_EQ(WindowSize(window_.hwnd()).cx, 1);
  const HWND finish = window_.success_window2().hwnd();
  EXPECT_TRUE(IsWindowVisible(finish));
  EXPECT_TRUE(IsTopmost(finish));
  EXPECT_TRUE(IsCentred(finish));
}

}  // namespace
