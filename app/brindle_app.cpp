#include "app/brindle_app.h"

#include <objbase.h>

#include "app/main_wnd.h"
#include "ui/controls/basic_control_kinds.h"
#include "ui/controls/widget_kinds.h"

void RegisterSetupElementKinds() {
  RegisterBasicControlKinds();
  RegisterWidgetKinds();
}

CHBrindleApp::CHBrindleApp() = default;
CHBrindleApp::~CHBrindleApp() = default;

BOOL CHBrindleApp::InitInstance() {
  ::CoInitialize(nullptr);
  RegisterSetupElementKinds();
  main_window_ = std::make_unique<CHMainWnd>(instance());
  if (!main_window_->CreateMainWindow()) {
    main_window_.reset();
    return FALSE;
  }
  ::ShowWindow(main_window_->hwnd(), show_command());
  ::UpdateWindow(main_window_->hwnd());
  return TRUE;
}

void CHBrindleApp::ExitInstance() {
  main_window_.reset();
  ::CoUninitialize();
}

CHWindow* CHBrindleApp::GetMainWindow() { return main_window_.get(); }
