// CHBrindleApp: the setup program's application object. Its InitInstance
// initialises COM on the user-interface thread for the life of the process
// and creates the main window, whose creation runs the whole start-up
// (main_wnd.h).
#ifndef BRINDLE_APP_BRINDLE_APP_H_
#define BRINDLE_APP_BRINDLE_APP_H_

#include <memory>

#include "ui/framework/ch_app.h"

class CHMainWnd;

class CHBrindleApp : public CHApp {
 public:
  CHBrindleApp();
  ~CHBrindleApp() override;

  // COM, the element kinds, then the main window with the switches of the
  // command line, shown with the entry point's show command; with /S or
  // /PASSIVE never shown: the work runs at once and ends the process. FALSE
  // when the main window could not be created (the main window object is
  // gone again).
  BOOL InitInstance() override;
  // Deletes the main window object (destroying a window that still exists)
  // and uninitialises COM.
  void ExitInstance() override;
  // The main window; null before InitInstance and after ExitInstance.
  CHWindow* GetMainWindow() override;

 private:
  std::unique_ptr<CHMainWnd> main_window_;
};

// Registers every element kind the setup windows make through the factory.
// Idempotent; user-interface thread.
void RegisterSetupElementKinds();

#endif  // BRINDLE_APP_BRINDLE_APP_H_
