#include "app/running_image.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

// Upper bound of SizeOfHeaders that this check reads: the headers of any
// image of ours fit in one page, and a larger claim is no image of ours.
constexpr DWORD kMaxHeaderBytes = 0x1000;

// The offset of OptionalHeader.ImageBase and its size in the headers at
// `headers` (a PE32 or PE32+ image), or false.
bool ImageBaseField(const unsigned char* headers, size_t size, size_t& offset, size_t& width) {
  IMAGE_DOS_HEADER dos;
  if (size < sizeof dos) return false;
  std::memcpy(&dos, headers, sizeof dos);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0) return false;
  const size_t optional = static_cast<size_t>(dos.e_lfanew) + 4 + sizeof(IMAGE_FILE_HEADER);
  if (optional + sizeof(IMAGE_OPTIONAL_HEADER64) > size) return false;
  WORD magic;
  std::memcpy(&magic, headers + optional, sizeof magic);
  if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    offset = optional + offsetof(IMAGE_OPTIONAL_HEADER32, ImageBase);
    width = sizeof(DWORD);
  } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    offset = optional + offsetof(IMAGE_OPTIONAL_HEADER64, ImageBase);
    width = sizeof(ULONGLONG);
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool HoldsRunningImage(const PackageFile& package) {
  const auto* mapped = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
  size_t base_offset = 0;
  size_t base_width = 0;
  if (!mapped || !ImageBaseField(mapped, kMaxHeaderBytes, base_offset, base_width)) return false;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      mapped + reinterpret_cast<const IMAGE_DOS_HEADER*>(mapped)->e_lfanew);
  const DWORD size = nt->OptionalHeader.SizeOfHeaders;
  if (size > kMaxHeaderBytes || size < base_offset + base_width) return false;
  std::string file(size, '\0');
  FileByteSource source(package);
  if (!source.IsOpen() || !source.ReadAt(0, file.data(), file.size())) return false;
  std::string image(reinterpret_cast<const char*>(mapped), size);
  image.replace(base_offset, base_width, file, base_offset, base_width);
  return image == file;
}
