#include "ui/framework/system_libraries.h"

#include <string>

namespace brindle {
namespace {

// What a stand-in returns: GenericError for GDI+ calls, E_FAIL for COM calls,
// otherwise the zero of the result type (FALSE, a null handle, nothing).
template <typename R>
R FailureResult() {
  return R();
}

template <>
Gdiplus::Status FailureResult<Gdiplus::Status>() {
  return Gdiplus::GenericError;
}

// HRESULT is `long`: no other table function returns that type, and 0 would
// be S_OK.
template <>
HRESULT FailureResult<HRESULT>() {
  return E_FAIL;
}

// The stand-in for a missing function: same calling convention and
// arguments, so that a call through the table is always well formed.
template <typename R, typename... Args>
R WINAPI Failing(Args...) {
  return FailureResult<R>();
}

// Fills table slots from one module, remembering whether any was missing.
class Resolver {
 public:
  explicit Resolver(HMODULE module) : module_(module) {}

  template <typename R, typename... Args>
  void operator()(R(WINAPI*& slot)(Args...), const char* name) {
    const FARPROC found = module_ ? ::GetProcAddress(module_, name) : nullptr;
    if (found) {
      slot = reinterpret_cast<R(WINAPI*)(Args...)>(reinterpret_cast<void*>(found));
    } else {
      slot = &Failing<R, Args...>;
      complete_ = false;
    }
  }

  bool complete() const { return complete_; }

 private:
  HMODULE module_;
  bool complete_ = true;
};

// Binds every slot of the table by the slot's own name.
#define BRINDLE_BIND(name) bind(table.name, #name)

void BindGdiplus(Resolver& bind, GdiplusFunctions& table) {
  BRINDLE_BIND(GdiplusStartup);
  BRINDLE_BIND(GdiplusShutdown);
  BRINDLE_BIND(GdipCreateBitmapFromStream);
  BRINDLE_BIND(GdipGetImageWidth);
  BRINDLE_BIND(GdipGetImageHeight);
  BRINDLE_BIND(GdipGetImagePixelFormat);
  BRINDLE_BIND(GdipDisposeImage);
  BRINDLE_BIND(GdipCreateFromHDC);
  BRINDLE_BIND(GdipDeleteGraphics);
  BRINDLE_BIND(GdipSetClipRectI);
  BRINDLE_BIND(GdipDrawImageRectI);
  BRINDLE_BIND(GdipDrawLineI);
  BRINDLE_BIND(GdipFillRectangleI);
  BRINDLE_BIND(GdipDrawString);
  BRINDLE_BIND(GdipMeasureString);
  BRINDLE_BIND(GdipCreateFontFromLogfontW);
  BRINDLE_BIND(GdipCreateFontFromDC);
  BRINDLE_BIND(GdipDeleteFont);
  BRINDLE_BIND(GdipDeleteFontFamily);
  BRINDLE_BIND(GdipCreateSolidFill);
  BRINDLE_BIND(GdipDeleteBrush);
  BRINDLE_BIND(GdipCreatePen1);
  BRINDLE_BIND(GdipDeletePen);
  BRINDLE_BIND(GdipCreateStringFormat);
  BRINDLE_BIND(GdipDeleteStringFormat);
  BRINDLE_BIND(GdipSetStringFormatAlign);
  BRINDLE_BIND(GdipSetStringFormatLineAlign);
  BRINDLE_BIND(GdipSetStringFormatFlags);
  BRINDLE_BIND(GdipSetStringFormatTrimming);
  BRINDLE_BIND(GdipDeleteRegion);
  BRINDLE_BIND(GdipDeletePath);
}

void BindDrawDib(Resolver& bind, DrawDibFunctions& table) {
  BRINDLE_BIND(DrawDibOpen);
  BRINDLE_BIND(DrawDibClose);
  BRINDLE_BIND(DrawDibDraw);
}

void BindOleacc(Resolver& bind, OleaccFunctions& table) {
  BRINDLE_BIND(LresultFromObject);
  BRINDLE_BIND(CreateStdAccessibleObject);
}

#undef BRINDLE_BIND

// All functions from `module`, or stand-ins throughout when one is missing:
// a half-working table would mix real objects with failing calls on them.
template <typename Table>
Table Resolve(HMODULE module, void (*bind_all)(Resolver&, Table&)) {
  Table table = {};
  Resolver bind(module);
  bind_all(bind, table);
  if (bind.complete()) {
    table.module = module;
    return table;
  }
  Resolver none(nullptr);
  bind_all(none, table);
  table.module = nullptr;
  return table;
}

// How the dependencies of a DLL loaded by full path are searched: the system
// folder only where the system has the search flags (Windows 8, Windows 7
// with KB2533623, which also added AddDllDirectory), otherwise the folder of
// the DLL first, which is the system folder too.
DWORD DependencySearchFlags() {
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const bool has_search_flags = kernel && ::GetProcAddress(kernel, "AddDllDirectory");
  return has_search_flags ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
}

std::wstring SystemFolder() {
  const UINT size = ::GetSystemDirectoryW(nullptr, 0);
  if (size == 0) return {};
  std::wstring folder(size, L'\0');
  const UINT length = ::GetSystemDirectoryW(&folder[0], size);
  if (length == 0 || length >= size) return {};
  folder.resize(length);
  return folder;
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* file_name) {
  std::wstring path = SystemFolder();
  if (path.empty() || !file_name || !file_name[0]) return nullptr;
  if (path.back() != L'\\') path += L'\\';
  path += file_name;
  return ::LoadLibraryExW(path.c_str(), nullptr, DependencySearchFlags());
}

GdiplusFunctions ResolveGdiplus(HMODULE module) { return Resolve(module, &BindGdiplus); }

DrawDibFunctions ResolveDrawDib(HMODULE module) { return Resolve(module, &BindDrawDib); }

OleaccFunctions ResolveOleacc(HMODULE module) { return Resolve(module, &BindOleacc); }

namespace {

// The table of one system DLL; a DLL that lacks a function is unloaded again,
// since nothing of it is used.
template <typename Table>
Table LoadTable(const wchar_t* file_name, Table (*resolve)(HMODULE)) {
  const HMODULE module = LoadSystemLibrary(file_name);
  const Table table = resolve(module);
  if (module && !table.module) ::FreeLibrary(module);
  return table;
}

}  // namespace

const GdiplusFunctions& GdiplusApi() {
  static const GdiplusFunctions table = LoadTable(L"gdiplus.dll", &ResolveGdiplus);
  return table;
}

const DrawDibFunctions& DrawDibApi() {
  static const DrawDibFunctions table = LoadTable(L"msvfw32.dll", &ResolveDrawDib);
  return table;
}

const OleaccFunctions& OleaccApi() {
  static const OleaccFunctions table = LoadTable(L"oleacc.dll", &ResolveOleacc);
  return table;
}

}  // namespace brindle
