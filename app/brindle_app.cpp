#include "app/brindle_app.h"

#include <objbase.h>

#include "app/command_line.h"
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
  const std::wstring arguments = command_line() ? command_line() : L"";
  main_window_->set_options(ParseCommandLine(arguments), arguments);
  if (!main_window_->CreateMainWindow()) {
    main_window_.reset();
    return FALSE;
  }
  if (main_window_->unattended()) {
    main_window_->RunUnattended();
    return TRUE;
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
