#include "tools/zip_listing.h"

#include <unzip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "tools/host_system.h"

namespace {

// A window of an open file that minizip sees as a file of its own.
struct RangeStream {
  FILE* file = nullptr;
  uint64_t base = 0;
  uint64_t length = 0;
  uint64_t position = 0;
  bool failed = false;
};

voidpf ZCALLBACK OpenRange(voidpf opaque, const void*, int mode) {
  const bool read_only = (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ;
  return read_only ? opaque : nullptr;
}

uLong ZCALLBACK ReadRange(voidpf, voidpf stream, void* buffer, uLong size) {
  auto* range = static_cast<RangeStream*>(stream);
  if (range->position >= range->length) return 0;
  const uint64_t wanted = std::min<uint64_t>(size, range->length - range->position);
  if (!SeekFile(range->file, static_cast<int64_t>(range->base + range->position), SEEK_SET)) {
    range->failed = true;
    return 0;
  }
  const size_t read = std::fread(buffer, 1, static_cast<size_t>(wanted), range->file);
  if (read < wanted) range->failed = true;
  range->position += read;
  return static_cast<uLong>(read);
}

uLong ZCALLBACK WriteRange(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellRange(voidpf, voidpf stream) {
  return static_cast<RangeStream*>(stream)->position;
}

long ZCALLBACK SeekRange(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* range = static_cast<RangeStream*>(stream);
  uint64_t from = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      break;
    case ZLIB_FILEFUNC_SEEK_CUR:
      from = range->position;
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      from = range->length;
      break;
    default:
      return -1;
  }
  if (offset > range->length || from > range->length - offset) return -1;
  range->position = from + offset;
  return 0;
}

int ZCALLBACK CloseRange(voidpf, voidpf) { return 0; }

int ZCALLBACK RangeError(voidpf, voidpf stream) {
  return static_cast<RangeStream*>(stream)->failed ? 1 : 0;
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

struct UnzipCloser {
  void operator()(void* archive) const { unzClose(archive); }
};

// Inflates the current entry to its end; unzCloseCurrentFile then compares the CRC-32.
bool VerifyCurrentEntry(unzFile archive, const ZipEntryInfo& entry, std::string& problem) {
  if (unzOpenCurrentFile(archive) != UNZ_OK) {
    problem = "entry '" + entry.name + "' cannot be opened";
    return false;
  }
  std::vector<char> buffer(64 * 1024);
  uint64_t total = 0;
  int read;
  while ((read = unzReadCurrentFile(archive, buffer.data(), static_cast<unsigned>(buffer.size()))) >
         0) {
    total += static_cast<uint64_t>(read);
  }
  const int closed = unzCloseCurrentFile(archive);
  if (read < 0 || closed == UNZ_CRCERROR || total != entry.size) {
    problem = "entry '" + entry.name + "' is damaged (its data does not match its size or CRC-32)";
    return false;
  }
  if (closed != UNZ_OK) {
    problem = "entry '" + entry.name + "' cannot be read";
    return false;
  }
  return true;
}

}  // namespace

bool ListZipArchive(const std::string& path, uint64_t offset, uint64_t length, bool verify,
                    std::vector<ZipEntryInfo>& entries, std::string& problem) {
  entries.clear();
  problem.clear();
  std::unique_ptr<FILE, FileCloser> file(OpenFile(path, "rb"));
  if (!file) {
    problem = std::string("cannot be opened: ") + std::strerror(errno);
    return false;
  }
  RangeStream range{file.get(), offset, length, 0, false};
  zlib_filefunc64_def functions = {};
  functions.zopen64_file = OpenRange;
  functions.zread_file = ReadRange;
  functions.zwrite_file = WriteRange;
  functions.ztell64_file = TellRange;
  functions.zseek64_file = SeekRange;
  functions.zclose_file = CloseRange;
  functions.zerror_file = RangeError;
  functions.opaque = &range;
  std::unique_ptr<void, UnzipCloser> archive(unzOpen2_64(path.c_str(), &functions));
  if (!archive) {
    problem = "the archive is no ZIP archive (no readable end of central directory)";
    return false;
  }
  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK) {
    problem = "the archive's central directory cannot be read";
    return false;
  }
  int status = unzGoToFirstFile(archive.get());
  for (uint64_t i = 0; i < global.number_entry; ++i) {
    unz_file_info64 info;
    std::vector<char> name(65536);
    if (status != UNZ_OK || unzGetCurrentFileInfo64(archive.get(), &info, name.data(), name.size(),
                                                    nullptr, 0, nullptr, 0) != UNZ_OK) {
      problem = "central directory entry " + std::to_string(i + 1) + " cannot be read";
      return false;
    }
    ZipEntryInfo entry;
    entry.name.assign(name.data(), info.size_filename);
    entry.flag = static_cast<uint32_t>(info.flag);
    entry.method = static_cast<int>(info.compression_method);
    entry.size = info.uncompressed_size;
    entry.compressed_size = info.compressed_size;
    entry.crc = static_cast<uint32_t>(info.crc);
    entry.dos_date = static_cast<uint32_t>(info.dosDate);
    entry.external_attributes = static_cast<uint32_t>(info.external_fa);
    if (verify && !VerifyCurrentEntry(archive.get(), entry, problem)) return false;
    entries.push_back(std::move(entry));
    status = unzGoToNextFile(archive.get());
  }
  return true;
}
