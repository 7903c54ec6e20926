// Test helper: runs copies of setup_engine_helper.exe under chosen file names
// and waits, through named events, until they hold what they were told to.
#pragma once

#include <windows.h>

#include <string>

#include "setup/win_handles.h"

// An event with a name unique to this process and call.
class NamedEvent {
 public:
  NamedEvent() {
    static unsigned counter = 0;
    name_ = L"brindle-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    event_.reset(CreateEventW(nullptr, TRUE, FALSE, name_.c_str()));
  }
  const std::wstring& name() const { return name_; }
  HANDLE get() const { return event_.get(); }
  void Set() { SetEvent(event_.get()); }

 private:
  std::wstring name_;
  UniqueHandle event_;
};

// A started program; ended (exit code 99) when the object goes out of scope
// while it still runs.
class ChildProcess {
 public:
  // Starts `program` with `arguments` (a command-line tail). False in
  // running() when it could not be started.
  ChildProcess(const std::wstring& program, const std::wstring& arguments) {
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
      CloseHandle(info.hThread);
      process_.reset(info.hProcess);
    }
  }
  ~ChildProcess() {
    if (Running()) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 10000);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return static_cast<bool>(process_); }
  bool Running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
  }

  // Waits for `ready` or for the process to end, at most `timeout_ms`; true
  // when `ready` was set.
  bool WaitReady(HANDLE ready, DWORD timeout_ms = 20000) const {
    HANDLE handles[] = {ready, process_.get()};
    return WaitForMultipleObjects(2, handles, FALSE, timeout_ms) == WAIT_OBJECT_0;
  }

  // Waits for the end of the process; its exit code, or -1 on a time-out.
  long WaitExit(DWORD timeout_ms = 20000) const {
    if (WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<long>(code);
  }

 private:
  UniqueHandle process_;
};
