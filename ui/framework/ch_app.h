// CHApp: the application object that drives the process, and RunApp, the
// reusable body of the program's entry point.
#ifndef BRINDLE_UI_FRAMEWORK_CH_APP_H_
#define BRINDLE_UI_FRAMEWORK_CH_APP_H_

#include <windows.h>

class CHWindow;

class CHApp {
 public:
  CHApp() = default;
  virtual ~CHApp() = default;
  CHApp(const CHApp&) = delete;
  CHApp& operator=(const CHApp&) = delete;

  // Creates the main window; nonzero runs the message loop.
  virtual BOOL InitInstance() = 0;
  // Called once after the message loop ended.
  virtual void ExitInstance() = 0;
  virtual CHWindow* GetMainWindow() = 0;

  // Stores the entry point's arguments, initialises the common controls and
  // registers the window class "CHWindow" for `instance`. Returns the class
  // atom, 0 on failure (for example when the class is already registered).
  ATOM RegisterWindowClass(int show_command, wchar_t* command_line, HINSTANCE instance,
                           HINSTANCE previous_instance);

  // Runs the message loop of the thread until WM_QUIT, offering each message
  // first to the objects of its window and its parents (PreTranslateMessage).
  // Then calls ExitInstance and returns WM_QUIT's wParam.
  WPARAM RunMessageLoop();

  int show_command() const { return show_command_; }
  wchar_t* command_line() const { return command_line_; }
  HINSTANCE instance() const { return instance_; }
  HINSTANCE previous_instance() const { return previous_instance_; }

 private:
  int show_command_ = 0;
  wchar_t* command_line_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HINSTANCE previous_instance_ = nullptr;
};

// Offers `msg` to the CHWindow objects of its window and of each parent up
// the chain (GetParent), nearest first, skipping objects whose window is
// gone. Returns true when one of them consumed it.
bool PreTranslateThroughParents(MSG* msg);

// The program's entry point with the arguments of wWinMain: makes the process
// DPI-aware (EnableDpiAwareness), registers the window class, calls InitInstance and runs the
// message loop. Returns the process exit code: WM_QUIT's wParam, or 0 when registration or
// InitInstance fails.
int RunApp(CHApp& app, HINSTANCE instance, HINSTANCE previous_instance, wchar_t* command_line,
           int show_command);

#endif  // BRINDLE_UI_FRAMEWORK_CH_APP_H_
