// The icon that brindle-pack writes into the setup program (--icon), as Windows reads it from the
// packed setup file: the program's first icon group lists the given icon's images (20 x 20 and
// 40 x 40 in tests/tools/data/product.ico, sizes the setup program's own icon does not have),
// the images load as icons, and the package behind the edited program image still reads.
#include <gtest/gtest.h>
#include <windows.h>
// shellapi.h and imagehlp.h need windows.h first.
#include <imagehlp.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "json/json_value.h"
#include "setup/package_format.h"
#include "tests/setup/test_package.h"
#include "tools/pe_resources.h"
#include "tools/pe_stub.h"

namespace {

std::wstring Sibling(const wchar_t* name) {
  const std::wstring relative = test_package::SiblingProgram(name);
  wchar_t full[MAX_PATH * 2] = {};
  GetFullPathNameW(relative.c_str(), MAX_PATH * 2, full, nullptr);
  return full;
}

std::wstring IconSetup() { return Sibling(L"IconSetup.exe"); }

BOOL CALLBACK TakeFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR first) {
  auto* out = reinterpret_cast<std::wstring*>(first);
  *out = IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name;
  return FALSE;
}

// The resource's bytes, or empty.
std::string ResourceData(HMODULE module, LPCWSTR name, LPCWSTR type) {
  HRSRC found = FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data ? std::string(static_cast<const char*>(data), SizeofResource(module, found))
              : std::string();
}

TEST(WindowsIconTest, ThePackedSetupCarriesTheGivenIcon) {
  HMODULE module = LoadLibraryExW(IconSetup().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << GetLastError();
  std::wstring first;
  EnumResourceNamesW(module, RT_GROUP_ICON, TakeFirstName, reinterpret_cast<LONG_PTR>(&first));
  ASSERT_FALSE(first.empty());
  std::string group = ResourceData(module, first.c_str(), RT_GROUP_ICON);
  ASSERT_GE(group.size(), 6u + 2 * 14);
  EXPECT_EQ(group[4], 2) << "two images";
  EXPECT_EQ(static_cast<unsigned char>(group[6]), 20);
  EXPECT_EQ(static_cast<unsigned char>(group[6 + 14]), 40);

  const int id = LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(group.data()), TRUE, 40, 40,
                                             LR_DEFAULTCOLOR);
  ASSERT_NE(id, 0);
  std::string image = ResourceData(module, MAKEINTRESOURCEW(id), RT_ICON);
  ASSERT_FALSE(image.empty());
  HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(image.data()),
                                        static_cast<DWORD>(image.size()), TRUE, 0x00030000, 40, 40,
                                        LR_DEFAULTCOLOR);
  ASSERT_NE(icon, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bitmap = {};
  GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, 40);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DestroyIcon(icon);

  const std::string marker = ResourceData(module, L"BRINDLE_SETUP", RT_RCDATA);
  EXPECT_EQ(marker, "Brindle setup program, package format 1");
  FreeLibrary(module);

  HICON large = nullptr;
  EXPECT_EQ(ExtractIconExW(IconSetup().c_str(), 0, &large, nullptr, 1), 1u);
  if (large) DestroyIcon(large);
}

TEST(WindowsIconTest, ThePackageBehindTheEditedImageStillReads) {
  std::string bytes;
  ASSERT_TRUE(test_package::ReadFileBytes(IconSetup(), bytes));
  MemoryByteSource source(bytes);
  JsonValue config;
  PackageLocation location;
  ASSERT_EQ(LoadPackageConfig(source, config, location), PackageError::kNone);
  EXPECT_STREQ(config["lastrun"].toCString(), "Velto.exe");
  EXPECT_STREQ(config["product"]["name"].toCString(), "Icon Sample");
  ArchiveRange range;
  EXPECT_EQ(LocatePayloadArchive(source, location.package_offset, location.config_length, range),
            PackageError::kNone);
}

// The icon costs only itself: the new resource tree takes the old one's place (the relocations
// behind it move), so the file grows by at most the icon file's bytes and 4 KiB (alignment and
// the icon group), and the edited image reads back with the project's own PE reader.
TEST(WindowsIconTest, TheIconCostsOnlyItsOwnBytes) {
  std::string with_icon;
  std::string without_icon;
  std::string icon;
  ASSERT_TRUE(test_package::ReadFileBytes(IconSetup(), with_icon));
  ASSERT_TRUE(test_package::ReadFileBytes(Sibling(L"IconlessSetup.exe"), without_icon));
  ASSERT_TRUE(test_package::ReadFileBytes(
      std::wstring(BRINDLE_PRODUCT_ICON, BRINDLE_PRODUCT_ICON + sizeof(BRINDLE_PRODUCT_ICON) - 1),
      icon));
  EXPECT_LE(with_icon.size(), without_icon.size() + icon.size() + 4096);

  MemoryByteSource source(with_icon);
  JsonValue config;
  PackageLocation location;
  ASSERT_EQ(LoadPackageConfig(source, config, location), PackageError::kNone);
  std::string image = with_icon.substr(0, location.package_offset);
  const uint32_t lfanew = LoadU32(reinterpret_cast<const unsigned char*>(&image[60]));
  image.replace(lfanew - 4, 4, std::string(4, '\0'));
  StubImage stub;
  EXPECT_EQ(CheckStub(image, stub), "");
  ResourceNode resources;
  std::string problem;
  ASSERT_TRUE(ReadResourceTree(image, resources, problem)) << problem;
  EXPECT_TRUE(HasSetupMarker(resources));
  EXPECT_NE(FindResourceChild(resources, kResourceTypeGroupIcon), nullptr);
}

// Every setup the packer writes carries the CheckSum of the whole file, as the loader and
// signers compute it.
TEST(WindowsIconTest, PackedSetupsCarryTheirChecksum) {
  for (const wchar_t* name : {L"IconSetup.exe", L"IconlessSetup.exe"}) {
    std::string file;
    ASSERT_TRUE(test_package::ReadFileBytes(Sibling(name), file));
    const uint32_t lfanew = LoadU32(reinterpret_cast<const unsigned char*>(&file[60]));
    const uint64_t field = ChecksumFieldOffset(lfanew);
    PeChecksum checksum(field);
    checksum.Add(file.data(), file.size());
    EXPECT_EQ(LoadU32(reinterpret_cast<const unsigned char*>(&file[field])), checksum.Value());
    EXPECT_NE(checksum.Value(), 0u);
    // The API's own computation over the same file.
    DWORD stored = 0;
    DWORD computed = 0;
    ASSERT_EQ(MapFileAndCheckSumW(Sibling(name).c_str(), &stored, &computed), CHECKSUM_SUCCESS);
    EXPECT_EQ(stored, computed);
  }
}

}  // namespace
