#include "setup/payload_reader.h"

#include <windows.h>

#include <new>

#include "setup/win_handles.h"

namespace {

// Where the archive lies in its file; lent to the open hook through minizip's
// opaque pointer for the duration of unzOpen2_64.
struct ArchiveRange {
  uint64_t offset;
  uint64_t length;
};

// minizip takes an end-of-central-directory record found at position 0 for a
// missing one, so an archive without entries (nothing but that record) would
// not open. The view therefore starts with one virtual lead-in byte (read as
// zero, not taken from the file) before the range; minizip's support for data
// in front of an archive absorbs the shift.
constexpr uint64_t kLeadIn = 1;

// One open view of the archive range: minizip's stream handle. Positions
// count from the start of the view, the lead-in byte included.
struct RangeStream {
  UniqueHandle file;
  uint64_t base = 0;      // file offset of the range's first byte
  uint64_t length = 0;    // bytes in the view: the lead-in and the range
  uint64_t position = 0;  // current position in the view
  bool failed = false;    // a read of the file failed
};

RangeStream* StreamOf(voidpf stream) { return static_cast<RangeStream*>(stream); }

voidpf ZCALLBACK OpenRange(voidpf opaque, const void* filename, int mode) {
  const auto* range = static_cast<const ArchiveRange*>(opaque);
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  UniqueHandle file(CreateFileW(static_cast<const wchar_t*>(filename), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size)) return nullptr;
  const uint64_t file_size = static_cast<uint64_t>(size.QuadPart);
  if (range->offset > file_size || range->length > file_size - range->offset) return nullptr;
  auto* stream = new (std::nothrow) RangeStream;
  if (!stream) return nullptr;
  stream->file = std::move(file);
  stream->base = range->offset;
  stream->length = kLeadIn + range->length;
  return stream;
}

uLong ZCALLBACK ReadRange(voidpf, voidpf handle, void* buffer, uLong size) {
  RangeStream* stream = StreamOf(handle);
  auto* out = static_cast<char*>(buffer);
  uLong done = 0;
  if (size > 0 && stream->position < kLeadIn) {
    out[done++] = 0;
    stream->position = kLeadIn;
  }
  const uint64_t left = stream->length - stream->position;
  const DWORD wanted = static_cast<DWORD>(size - done < left ? size - done : left);
  if (wanted == 0) return done;
  const uint64_t at = stream->base + (stream->position - kLeadIn);
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(at);
  where.OffsetHigh = static_cast<DWORD>(at >> 32);
  DWORD read = 0;
  if (!ReadFile(stream->file.get(), out + done, wanted, &read, &where)) {
    stream->failed = true;
    return done;
  }
  stream->position += read;
  return done + read;
}

uLong ZCALLBACK WriteRange(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellRange(voidpf, voidpf handle) { return StreamOf(handle)->position; }

long ZCALLBACK SeekRange(voidpf, voidpf handle, ZPOS64_T offset, int origin) {
  RangeStream* stream = StreamOf(handle);
  uint64_t from = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      from = 0;
      break;
    case ZLIB_FILEFUNC_SEEK_CUR:
      from = stream->position;
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      from = stream->length;
      break;
    default:
      return -1;
  }
  const uint64_t target = from + offset;
  if (target > stream->length) return -1;
  stream->position = target;
  return 0;
}

int ZCALLBACK CloseRange(voidpf, voidpf handle) {
  delete StreamOf(handle);
  return 0;
}

int ZCALLBACK RangeError(voidpf, voidpf handle) { return StreamOf(handle)->failed ? 1 : 0; }

bool IsDotsAndBlanks(const std::wstring& component) {
  return !component.empty() && component.find_first_not_of(L". ") == std::wstring::npos;
}

}  // namespace

bool IsSafeEntryName(const std::wstring& name) {
  if (name.empty() || name[0] == L'/' || name[0] == L'\\') return false;
  if (name.find(L':') != std::wstring::npos) return false;
  size_t begin = 0;
  while (begin <= name.size()) {
    size_t end = name.find_first_of(L"/\\", begin);
    if (end == std::wstring::npos) end = name.size();
    if (IsDotsAndBlanks(name.substr(begin, end - begin))) return false;
    begin = end + 1;
  }
  return true;
}

UnzipArchive OpenArchiveInFile(const std::wstring& path, uint64_t offset, uint64_t length) {
  ArchiveRange range = {offset, length};
  zlib_filefunc64_def functions = {};
  functions.zopen64_file = OpenRange;
  functions.zread_file = ReadRange;
  functions.zwrite_file = WriteRange;
  functions.ztell64_file = TellRange;
  functions.zseek64_file = SeekRange;
  functions.zclose_file = CloseRange;
  functions.zerror_file = RangeError;
  functions.opaque = &range;
  return UnzipArchive(unzOpen2_64(path.c_str(), &functions));
}
