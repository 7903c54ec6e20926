// What the install and uninstall engines need from the window that shows their
// progress. The progress window implements it; tests implement a recording one.
// All calls come from the user-interface thread, while the engine runs.
#pragma once

#include <windows.h>

#include <string>

#include "setup/product.h"

// Sent (SendMessageTimeoutW, both parameters 0) to the progress window when an
// installation has finished; its handler shows 100 % and the finish window.
constexpr UINT kInstallFinishedMessage = 0x8401;

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;

  // The progress window: owner of the engine's questions and receiver of
  // kInstallFinishedMessage. Borrowed.
  virtual HWND WindowHandle() const = 0;

  // Asks `text` with `caption` and returns the answer: MessageBoxW's flags
  // (MB_YESNO, an icon) and results (IDYES, IDNO). By default a message box
  // owned by WindowHandle(); a sink of a run without a person takes the safe
  // answer (IDNO) and shows nothing.
  virtual int Ask(const std::wstring& text, const wchar_t* caption, UINT flags) {
    return MessageBoxW(WindowHandle(), text.c_str(), caption, flags);
  }

  // Shows `text` as the current step; visible on screen when the call returns.
  virtual void SetStepText(const std::wstring& text) = 0;
  // Moves the bar to `percent` (0 to 100) and repaints the whole bar before
  // returning.
  virtual void SetProgressPosition(int percent) = 0;

  // Full path of the folder to install into, as the user chose it.
  virtual std::wstring InstallFolder() const = 0;
  // The outermost folder that was created for this installation before the
  // engine ran: the install folder itself or one of its parents, in the same
  // spelling as InstallFolder(). Empty when the install folder already
  // existed. A failed installation removes the install folder and its parents
  // up to this one again, as far as they are empty.
  virtual std::wstring CreatedFolderRoot() const = 0;
  // For whom the install is made, as the command line or the page chose it;
  // asked only of a package whose scope is "both" (the package decides for
  // the others). By default every user.
  virtual InstallScope Scope() const { return InstallScope::kMachine; }
  // The three shortcut options of the main window.
  virtual bool DesktopOption() const = 0;
  virtual bool TaskbarOption() const = 0;
  virtual bool StartMenuOption() const = 0;

  // Stores the full path of the program the install-finished window offers
  // to start.
  virtual void SetLaunchPath(const std::wstring& path) = 0;

  // Ends an uninstallation: fades the progress window out and shows the
  // uninstall-finished window.
  virtual void FinishWork() = 0;
};
