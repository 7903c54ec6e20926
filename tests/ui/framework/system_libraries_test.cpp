// The drawing and accessibility DLLs that are loaded at run time: only from the system folder,
// with typed functions that are the DLL's own, and stand-ins that fail
// (without touching their arguments) when a DLL or a function is missing.
#include "ui/framework/system_libraries.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "tests/setup/scratch_folder.h"

namespace {

using brindle::DrawDibFunctions;
using brindle::GdiplusFunctions;
using brindle::OleaccFunctions;

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring SystemPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  return Lower(std::wstring(folder, length) + L"\\" + name);
}

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
  return Lower(std::wstring(path, length));
}

// The module whose image holds `address`; null when none does.
HMODULE ModuleOf(const void* address) {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      static_cast<LPCWSTR>(address), &module);
  return module;
}

template <typename Function>
const void* Address(Function function) {
  return reinterpret_cast<const void*>(function);
}

TEST(SystemLibrariesTest, TheProcessTablesComeFromTheSystemFolder) {
  const GdiplusFunctions& gdiplus = brindle::GdiplusApi();
  ASSERT_NE(nullptr, gdiplus.module);
  EXPECT_EQ(SystemPath(L"gdiplus.dll"), ModulePath(gdiplus.module));
  EXPECT_EQ(gdiplus.module, ModuleOf(Address(gdiplus.GdipCreateFromHDC)));
  EXPECT_EQ(gdiplus.module, ModuleOf(Address(gdiplus.GdiplusStartup)));
  EXPECT_EQ(&gdiplus, &brindle::GdiplusApi());  // loaded once

  const DrawDibFunctions& drawdib = brindle::DrawDibApi();
  ASSERT_NE(nullptr, drawdib.module);
  EXPECT_EQ(SystemPath(L"msvfw32.dll"), ModulePath(drawdib.module));
  EXPECT_EQ(drawdib.module, ModuleOf(Address(drawdib.DrawDibDraw)));

  const OleaccFunctions& oleacc = brindle::OleaccApi();
  ASSERT_NE(nullptr, oleacc.module);
  EXPECT_EQ(SystemPath(L"oleacc.dll"), ModulePath(oleacc.module));
  EXPECT_EQ(oleacc.module, ModuleOf(Address(oleacc.LresultFromObject)));
  EXPECT_EQ(oleacc.module, ModuleOf(Address(oleacc.CreateStdAccessibleObject)));
}

TEST(SystemLibrariesTest, TheRealFunctionsWork) {
  const GdiplusFunctions& gdiplus = brindle::GdiplusApi();
  const Gdiplus::GdiplusStartupInput input(nullptr, FALSE, FALSE);
  ULONG_PTR token = 0;
  ASSERT_EQ(Gdiplus::Ok, gdiplus.GdiplusStartup(&token, &input, nullptr));
  Gdiplus::GpSolidFill* brush = nullptr;
  EXPECT_EQ(Gdiplus::Ok, gdiplus.GdipCreateSolidFill(0xFF102030, &brush));
  EXPECT_EQ(Gdiplus::Ok, gdiplus.GdipDeleteBrush(brush));
  gdiplus.GdiplusShutdown(token);

  const DrawDibFunctions& drawdib = brindle::DrawDibApi();
  const HDRAWDIB handle = drawdib.DrawDibOpen();
  EXPECT_NE(nullptr, handle);
  EXPECT_TRUE(drawdib.DrawDibClose(handle));
}

TEST(SystemLibrariesTest, ADllOnlyInTheCurrentFolderIsNotLoaded) {
  ScratchFolder scratch;
  ASSERT_FALSE(scratch.path().empty());
  // A real DLL under a name the system folder does not hold.
  const wchar_t* const name = L"brindleplanted.dll";
  ASSERT_TRUE(::CopyFileW(SystemPath(L"msvfw32.dll").c_str(), scratch.Join(name).c_str(), FALSE));
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(scratch.path().c_str()));

  // Found by a plain search: the check below would prove nothing otherwise.
  const HMODULE searched = ::LoadLibraryW(name);
  EXPECT_NE(nullptr, searched);
  if (searched) ::FreeLibrary(searched);

  const HMODULE system_only = brindle::LoadSystemLibrary(name);
  EXPECT_EQ(nullptr, system_only);
  if (system_only) ::FreeLibrary(system_only);

  const HMODULE system = brindle::LoadSystemLibrary(L"msvfw32.dll");
  EXPECT_EQ(SystemPath(L"msvfw32.dll"), ModulePath(system));
  if (system) ::FreeLibrary(system);
  ::SetCurrentDirectoryW(previous);
}

TEST(SystemLibrariesTest, NoNameLoadsNothing) {
  EXPECT_EQ(nullptr, brindle::LoadSystemLibrary(nullptr));
  EXPECT_EQ(nullptr, brindle::LoadSystemLibrary(L""));
}

// No module, or one that lacks the functions (kernel32 has none of them, the
// DrawDib DLL none of GDI+'s and the other way round): every function of the
// table is a stand-in that fails and leaves its out-parameters alone.
TEST(SystemLibrariesTest, MissingFunctionsGiveFailingStandIns) {
  const HMODULE candidates[] = {nullptr, ::GetModuleHandleW(L"kernel32.dll"),
                                brindle::DrawDibApi().module};
  for (const HMODULE module : candidates) {
    SCOPED_TRACE(module ? ModulePath(module) : L"no module");
    const GdiplusFunctions gdiplus = brindle::ResolveGdiplus(module);
    EXPECT_EQ(nullptr, gdiplus.module);
    const Gdiplus::GdiplusStartupInput input(nullptr, FALSE, FALSE);
    ULONG_PTR token = 7;
    EXPECT_EQ(Gdiplus::GenericError, gdiplus.GdiplusStartup(&token, &input, nullptr));
    EXPECT_EQ(7u, token);
    gdiplus.GdiplusShutdown(token);
    auto* const marker = reinterpret_cast<Gdiplus::GpGraphics*>(0x1234);
    Gdiplus::GpGraphics* graphics = marker;
    EXPECT_EQ(Gdiplus::GenericError, gdiplus.GdipCreateFromHDC(nullptr, &graphics));
    EXPECT_EQ(marker, graphics);
    const Gdiplus::RectF layout(0, 0, 10, 10);
    EXPECT_EQ(Gdiplus::GenericError,
              gdiplus.GdipDrawString(nullptr, L"x", 1, nullptr, &layout, nullptr, nullptr));
    EXPECT_EQ(Gdiplus::GenericError, gdiplus.GdipDisposeImage(nullptr));
  }

  const HMODULE drawdib_candidates[] = {nullptr, ::GetModuleHandleW(L"kernel32.dll"),
                                        brindle::GdiplusApi().module};
  for (const HMODULE module : drawdib_candidates) {
    SCOPED_TRACE(module ? ModulePath(module) : L"no module");
    const DrawDibFunctions drawdib = brindle::ResolveDrawDib(module);
    EXPECT_EQ(nullptr, drawdib.module);
    EXPECT_EQ(nullptr, drawdib.DrawDibOpen());
    EXPECT_FALSE(drawdib.DrawDibClose(nullptr));
    EXPECT_FALSE(
        drawdib.DrawDibDraw(nullptr, nullptr, 0, 0, 1, 1, nullptr, nullptr, 0, 0, 1, 1, 0));
  }

  const HMODULE oleacc_candidates[] = {nullptr, ::GetModuleHandleW(L"kernel32.dll"),
                                       brindle::DrawDibApi().module};
  for (const HMODULE module : oleacc_candidates) {
    SCOPED_TRACE(module ? ModulePath(module) : L"no module");
    const OleaccFunctions oleacc = brindle::ResolveOleacc(module);
    EXPECT_EQ(nullptr, oleacc.module);
    // No object is handed out: 0 or an error, which the window takes as "not
    // answered", never a value a client would take for an object.
    EXPECT_LE(oleacc.LresultFromObject(__uuidof(IAccessible), 0, nullptr), 0);
    void* const marker = reinterpret_cast<void*>(0x1234);
    void* object = marker;
    EXPECT_EQ(E_FAIL, oleacc.CreateStdAccessibleObject(nullptr, OBJID_WINDOW, __uuidof(IAccessible),
                                                       &object));
    EXPECT_EQ(marker, object);
  }
}

TEST(SystemLibrariesTest, AModuleWithEveryFunctionGivesItsOwn) {
  const HMODULE module = brindle::GdiplusApi().module;
  ASSERT_NE(nullptr, module);
  const GdiplusFunctions gdiplus = brindle::ResolveGdiplus(module);
  EXPECT_EQ(module, gdiplus.module);
  EXPECT_EQ(Address(brindle::GdiplusApi().GdipDrawString), Address(gdiplus.GdipDrawString));
}

}  // namespace
