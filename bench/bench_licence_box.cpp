// The time to show a licence in the main window's licence box: a generated
// licence of 1 Mi characters (or the size given in Ki characters as the first
// argument; a UTF-8 licence file of that many bytes, mostly ASCII) set into
// the shipped skin's box in a layered host, laid out and composed once, as the
// main window shows it. Prints one line per phase in milliseconds and the
// line count; asserts nothing about time. Run under Wine with the tree's
// wine-run (a display is needed: the host is a real window).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "ui/controls/ui_edit_box.h"
#include "ui/controls/widget_kinds.h"
#include "ui/framework/ch_app.h"
#include "ui/framework/ui_resource.h"

namespace {

class BenchApp : public CHApp {
 public:
  BOOL InitInstance() override { return TRUE; }
  void ExitInstance() override {}
  CHWindow* GetMainWindow() override { return nullptr; }
};

// A licence-like text of about `units` UTF-16 units: paragraphs of words,
// blank lines between them, one Chinese sentence in each.
std::wstring MakeLicence(size_t units) {
  static const wchar_t kParagraph[] =
      L"Permission is hereby granted to use, copy and modify this software, subject to the "
      L"conditions below, which apply to every copy and every part of it. \x672C\x8F6F\x4EF6"
      L"\x6309\x201C\x539F\x6837\x201D\x63D0\x4F9B\x3002 The software is provided as is, without "
      L"warranty of any kind, express or implied.\r\n\r\n";
  std::wstring text;
  text.reserve(units + sizeof(kParagraph) / sizeof(wchar_t));
  while (text.size() < units) text += kParagraph;
  return text;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const size_t kib = argc > 1 ? std::wcstoul(argv[1], nullptr, 10) : 1024;
  BenchApp app;
  if (!app.RegisterWindowClass(SW_SHOWNORMAL, nullptr, ::GetModuleHandleW(nullptr), nullptr)) {
    std::fprintf(stderr, "cannot register the window class\n");
    return 1;
  }
  RegisterWidgetKinds();
  UIResource skin;
  if (!skin.LoadFromResource(nullptr, L"UIR", 129)) {
    std::fprintf(stderr, "cannot load the shipped skin\n");
    return 1;
  }
  UIObject host;
  if (!host.Create(nullptr, 40, 40, WS_POPUP, WS_EX_TOOLWINDOW, L"brindle licence bench")) return 1;
  host.ResizeWindow(670, 500);
  MakeLayered(&host);
  ::ShowWindow(host.hwnd(), SW_SHOWNOACTIVATE);
  auto* box = static_cast<UIEditBox*>(
      CreateElement("MainWindow/EditBoxReadMe", &skin, kElementEditBox, &host));
  if (!box) return 1;
  box->set_multi_line(true);

  const std::wstring licence = MakeLicence(kib * 1024);
  const LARGE_INTEGER start = Now();
  box->SetText(licence.c_str());
  const LARGE_INTEGER set = Now();
  LayoutTree(box);
  const LARGE_INTEGER laid_out = Now();
  host.Invalidate(nullptr, true);
  const LARGE_INTEGER shown = Now();
  box->OnKeyDown(VK_END, 0);
  const LARGE_INTEGER at_end = Now();

  std::printf("licence: %zu Ki characters (%zu UTF-16 units), %zu lines\n", kib, licence.size(),
              box->lines().size());
  std::printf("set text:        %8.1f ms\n", Milliseconds(start, set));
  std::printf("wrap and layout: %8.1f ms\n", Milliseconds(set, laid_out));
  std::printf("first compose:   %8.1f ms\n", Milliseconds(laid_out, shown));
  std::printf("shown in total:  %8.1f ms\n", Milliseconds(start, shown));
  std::printf("scroll to end:   %8.1f ms\n", Milliseconds(shown, at_end));
  return 0;
}
