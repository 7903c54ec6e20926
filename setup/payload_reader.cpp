#include "setup/payload_reader.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "setup/win_handles.h"

namespace {

// Where the archive lies in its file; lent to the open hook through minizip's
// opaque pointer for the duration of unzOpen2_64.
struct ArchiveSpan {
  uint64_t offset;
  uint64_t length;
};

// minizip takes an end-of-central-directory record found at position 0 for a
// missing one, so an archive without entries (nothing but that record) would
// not open. The view therefore starts with one virtual lead-in byte (read as
// zero, not taken from the file) before the range; minizip's support for data
// in front of an archive absorbs the shift.
constexpr uint64_t kLeadIn = 1;

// Bytes read from the file at a time. minizip reads headers a few bytes at a
// time and entry data in small blocks, and it goes back and forth between the
// central directory at the end of the archive and the entries' data; serving
// those reads from two large blocks (one for each place) keeps the number of
// system reads proportional to the archive's size, not to its number of
// entries.
constexpr DWORD kReadBlockBytes = 262144;
constexpr int kReadBlockCount = 2;

// A copy of part of the view.
struct ReadBlock {
  std::unique_ptr<char[]> bytes;  // kReadBlockBytes bytes, or null before the first fill
  uint64_t start = 0;             // view position of bytes[0]
  DWORD size = 0;                 // bytes of the view that the block holds
  uint64_t last_use = 0;          // value of the stream's use counter at the last read

  bool Holds(uint64_t position) const {
    return size > 0 && position >= start && position - start < size;
  }
};

// One open view of the archive range: minizip's stream handle. Positions
// count from the start of the view, the lead-in byte included.
struct RangeStream {
  UniqueHandle file;
  uint64_t base = 0;      // file offset of the range's first byte
  uint64_t length = 0;    // bytes in the view: the lead-in and the range
  uint64_t position = 0;  // current position in the view
  bool failed = false;    // a read of the file failed
  ReadBlock blocks[kReadBlockCount];
  uint64_t uses = 0;  // counts block reads, to find the least recently used block
};

RangeStream* StreamOf(voidpf stream) { return static_cast<RangeStream*>(stream); }

voidpf ZCALLBACK OpenRange(voidpf opaque, const void* filename, int mode) {
  const auto* range = static_cast<const ArchiveSpan*>(opaque);
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  // The "file name" minizip passes on is the package's open file.
  UniqueHandle file = DuplicateFileHandle(static_cast<const PackageFile*>(filename)->handle());
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

// Reads up to `size` bytes at view position `at` (past the lead-in) from the
// file into `out`; returns the count read: 0 after a failure (which sets
// `failed`), fewer than `size` when the file ends sooner.
DWORD ReadFromFile(RangeStream* stream, uint64_t at, char* out, DWORD size) {
  const uint64_t offset = stream->base + (at - kLeadIn);
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(offset);
  where.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  if (!ReadFile(stream->file.get(), out, size, &read, &where)) {
    stream->failed = true;
    return 0;
  }
  return read;
}

// The block that holds view position `at` (past the lead-in), filled from the
// file in place of the least recently used one when none does. Null when the
// file cannot be read there.
ReadBlock* BlockAt(RangeStream* stream, uint64_t at) {
  ReadBlock* oldest = &stream->blocks[0];
  for (ReadBlock& block : stream->blocks) {
    if (block.Holds(at)) return &block;
    if (block.last_use < oldest->last_use) oldest = &block;
  }
  if (!oldest->bytes) {
    oldest->bytes.reset(new (std::nothrow) char[kReadBlockBytes]);
    if (!oldest->bytes) return nullptr;
  }
  const uint64_t left = stream->length - at;
  const DWORD wanted = static_cast<DWORD>(left < kReadBlockBytes ? left : kReadBlockBytes);
  oldest->start = at;
  oldest->size = ReadFromFile(stream, at, oldest->bytes.get(), wanted);
  return oldest->size > 0 ? oldest : nullptr;
}

bool InAnyBlock(const RangeStream* stream, uint64_t at) {
  for (const ReadBlock& block : stream->blocks) {
    if (block.Holds(at)) return true;
  }
  return false;
}

uLong ZCALLBACK ReadRange(voidpf, voidpf handle, void* buffer, uLong size) {
  RangeStream* stream = StreamOf(handle);
  auto* out = static_cast<char*>(buffer);
  uLong done = 0;
  if (size > 0 && stream->position < kLeadIn) {
    out[done++] = 0;
    stream->position = kLeadIn;
  }
  while (done < size && stream->position < stream->length) {
    const uint64_t at = stream->position;
    const uint64_t left = stream->length - at;
    if (size - done >= kReadBlockBytes && !InAnyBlock(stream, at)) {
      // A large request goes to the file directly, not through a block.
      const DWORD wanted = static_cast<DWORD>(size - done < left ? size - done : left);
      const DWORD read = ReadFromFile(stream, at, out + done, wanted);
      stream->position += read;
      done += read;
      if (read < wanted) break;
      continue;
    }
    ReadBlock* block = BlockAt(stream, at);
    if (!block) break;
    block->last_use = ++stream->uses;
    const DWORD skip = static_cast<DWORD>(at - block->start);
    const DWORD available = block->size - skip;
    const DWORD count = size - done < available ? static_cast<DWORD>(size - done) : available;
    std::memcpy(out + done, block->bytes.get() + skip, count);
    stream->position += count;
    done += count;
  }
  return done;
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

}  // namespace

UnzipArchive OpenArchiveInFile(const PackageFile& package, uint64_t offset, uint64_t length) {
  ArchiveSpan range = {offset, length};
  zlib_filefunc64_def functions = {};
  functions.zopen64_file = OpenRange;
  functions.zread_file = ReadRange;
  functions.zwrite_file = WriteRange;
  functions.ztell64_file = TellRange;
  functions.zseek64_file = SeekRange;
  functions.zclose_file = CloseRange;
  functions.zerror_file = RangeError;
  functions.opaque = &range;
  return UnzipArchive(unzOpen2_64(&package, &functions));
}
