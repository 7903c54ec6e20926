// Helper program of the engine tests. Run by the tests under any file name:
//   wait EVENT            sets the named event, then runs until it is ended
//   hold FILE READY QUIT  keeps FILE open (read, sharing read and delete, so
//                         it cannot be written but can be renamed), sets the
//                         event READY and exits when the event QUIT is set
//   end-own-file          ends every process that runs its own executable
//                         file, itself included; exit code 3 if it survives
//   install-stop PACKAGE FOLDER N EVENT
//                         installs PACKAGE into FOLDER with every shortcut and
//                         ends itself without any cleanup (exit code 77), as a
//                         kill would, after the engine's N-th disk step, having
//                         set the named event EVENT first; exit code 0 when
//                         the install ends first, 1 when it fails. (Under Wine
//                         a process that ends itself while other threads run
//                         has been seen to report another exit code: the
//                         event is what says it stopped.)
//   install-fail-stop PACKAGE FOLDER N EVENT
//                         the same, with a machine registry this process
//                         cannot write from the first disk step after its
//                         journal is there (the journal's own place is found
//                         through that registry): the install fails at a later
//                         step and rolls back, and the N-th disk step may be
//                         one of the rollback's
//   install-stop-at PACKAGE FOLDER FILE EVENT
//                         the same, stopped after the first disk step after
//                         which FILE is there with other bytes than it had
//                         at the start (an upgrade's new uninstaller, say)
//   recover-stop N EVENT  recovers the interrupted machine-wide run of
//                         "Velto" and stops the same way after its N-th disk
//                         step; exit code 0 when the recovery ends first
// Without arguments it is the program image of the tests' setup packages:
// an uninstaller copy made from one runs RunUninstall on its own package and
// exits with 0 on success, 1 on failure and 2 when it carries no package.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <utility>

#include "json/json_value.h"
#include "setup/install_engine.h"
#include "setup/install_journal.h"
#include "setup/journal_file.h"
#include "setup/journal_recovery.h"
#include "setup/package_layout.h"
#include "setup/paths.h"
#include "setup/processes.h"
#include "setup/progress_sink.h"
#include "setup/uninstall_engine.h"
#include "setup/win_handles.h"
#include "tests/setup/engine_test_support.h"

namespace {

// Prints what the uninstall engine reports; the tests look only at the exit
// code and at what is left on disk.
class PrintingSink final : public ProgressSink {
 public:
  HWND WindowHandle() const override { return nullptr; }
  void SetStepText(const std::wstring&) override { std::puts("step"); }
  void SetProgressPosition(int percent) override { std::printf("position %d\n", percent); }
  std::wstring InstallFolder() const override { return std::wstring(); }
  std::wstring CreatedFolderRoot() const override { return std::wstring(); }
  bool DesktopOption() const override { return false; }
  bool TaskbarOption() const override { return false; }
  bool StartMenuOption() const override { return false; }
  void SetLaunchPath(const std::wstring&) override {}
  void FinishWork() override { std::puts("finish"); }
};

UniqueHandle OpenNamedEvent(const wchar_t* name) {
  return UniqueHandle(OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name));
}

int Wait(const wchar_t* ready) {
  UniqueHandle event = OpenNamedEvent(ready);
  if (!event) return 4;
  SetEvent(event.get());
  Sleep(INFINITE);
  return 0;
}

int Hold(const wchar_t* path, const wchar_t* ready, const wchar_t* quit) {
  UniqueHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  UniqueHandle ready_event = OpenNamedEvent(ready);
  UniqueHandle quit_event = OpenNamedEvent(quit);
  if (!file || !ready_event || !quit_event) return 4;
  SetEvent(ready_event.get());
  WaitForSingleObject(quit_event.get(), INFINITE);
  return 0;
}

// The install engine's sink for install-stop: all shortcuts, nothing shown.
class InstallSink final : public ProgressSink {
 public:
  explicit InstallSink(std::wstring folder) : folder_(std::move(folder)) {}
  HWND WindowHandle() const override { return nullptr; }
  void SetStepText(const std::wstring&) override {}
  void SetProgressPosition(int) override {}
  std::wstring InstallFolder() const override { return folder_; }
  std::wstring CreatedFolderRoot() const override { return std::wstring(); }
  bool DesktopOption() const override { return true; }
  bool TaskbarOption() const override { return true; }
  bool StartMenuOption() const override { return true; }
  void SetLaunchPath(const std::wstring&) override {}
  void FinishWork() override {}

 private:
  std::wstring folder_;
};

constexpr UINT kStoppedExitCode = 77;
long g_steps_left = 0;
HANDLE g_stopped_event = nullptr;
// With install-fail-stop: the journal that, once there, makes the machine
// registry unwritable for this process.
std::wstring g_journal;
std::unique_ptr<engine_test::UnwritableMachineKey> g_unwritable;

void CountDiskStep() {
  if (!g_journal.empty() && !g_unwritable &&
      GetFileAttributesW(g_journal.c_str()) != INVALID_FILE_ATTRIBUTES) {
    g_unwritable = std::make_unique<engine_test::UnwritableMachineKey>();
    if (!g_unwritable->Active()) {
      g_unwritable.reset();
      ExitProcess(4);
    }
  }
  if (--g_steps_left != 0) return;
  // Its volatile keys go now: a stop runs no destructor.
  g_unwritable.reset();
  SetEvent(g_stopped_event);
  TerminateProcess(GetCurrentProcess(), kStoppedExitCode);
}

// Stops this process after the `steps`-th disk step from now, having set
// the named event `event`.
void StopAfter(const wchar_t* steps, const wchar_t* event) {
  g_stopped_event = OpenEventW(EVENT_MODIFY_STATE, FALSE, event);
  g_steps_left = wcstol(steps, nullptr, 10);
  SetDiskStepHookForTesting(CountDiskStep);
}

// Installs `package` into `folder` with every shortcut: 0 when the install
// succeeds, 1 when it fails.
int Install(const wchar_t* package, const wchar_t* folder) {
  InstallSink sink(folder);
  return static_cast<bool>(RunInstallFromPackage(std::wstring(package), sink)) ? 0 : 1;
}

std::wstring g_watched_file;
std::string g_watched_bytes;

void StopOnceChanged() {
  std::string bytes;
  if (!ReadWholeFile(g_watched_file, bytes) || bytes == g_watched_bytes) return;
  SetEvent(g_stopped_event);
  TerminateProcess(GetCurrentProcess(), kStoppedExitCode);
}

int InstallAndStopAt(const wchar_t* package, const wchar_t* folder, const wchar_t* file,
                     const wchar_t* event) {
  g_stopped_event = OpenEventW(EVENT_MODIFY_STATE, FALSE, event);
  g_watched_file = file;
  ReadWholeFile(g_watched_file, g_watched_bytes);
  SetDiskStepHookForTesting(StopOnceChanged);
  return Install(package, folder);
}

int InstallAndStop(const wchar_t* package, const wchar_t* folder, const wchar_t* steps,
                   const wchar_t* event) {
  StopAfter(steps, event);
  return Install(package, folder);
}

int RecoverAndStop(const wchar_t* steps, const wchar_t* event) {
  StopAfter(steps, event);
  return RecoverInterruptedRun(L"Velto", InstallScope::kMachine).unrestored.empty() ? 0 : 1;
}

int RunOwnPackage() {
  JsonValue config;
  if (!LoadPackageConfig(GetModulePath(), config)) return 2;
  PrintingSink sink;
  return static_cast<bool>(RunUninstall(sink)) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"wait" && argc == 3) return Wait(argv[2]);
  if (mode == L"hold" && argc == 5) return Hold(argv[2], argv[3], argv[4]);
  if (mode == L"install-stop" && argc == 6) {
    return InstallAndStop(argv[2], argv[3], argv[4], argv[5]);
  }
  if (mode == L"install-fail-stop" && argc == 6) {
    g_journal = JournalFolderOf(L"Velto", InstallScope::kMachine) + L"\\run.journal";
    return InstallAndStop(argv[2], argv[3], argv[4], argv[5]);
  }
  if (mode == L"install-stop-at" && argc == 6) {
    return InstallAndStopAt(argv[2], argv[3], argv[4], argv[5]);
  }
  if (mode == L"recover-stop" && argc == 4) return RecoverAndStop(argv[2], argv[3]);
  if (mode == L"end-own-file") {
    TerminateProcessesByPath(GetModulePath(), 0);
    return 3;
  }
  return RunOwnPackage();
}
