#include "tools/zip_writer.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "tools/host_system.h"
#include "tools/pending_file.h"

namespace {

constexpr size_t kChunkSize = 256 * 1024;
constexpr int kLevel = Z_BEST_COMPRESSION;
constexpr unsigned long kFolderAttributes = 0x10;  // FILE_ATTRIBUTE_DIRECTORY
constexpr unsigned long kFileAttributes = 0x20;    // FILE_ATTRIBUTE_ARCHIVE
constexpr int kUtf8NameFlag = 1 << 11;
constexpr int kMadeByMsDos = 0;
constexpr uint64_t kZip64Size = 0xFFFFFFFFu;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// minizip's file functions over OpenFile, so that the archive's path is UTF-8 on every system.
voidpf ZCALLBACK OpenUtf8(voidpf, const void* path, int mode) {
  const char* how = (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ ? "rb"
                    : (mode & ZLIB_FILEFUNC_MODE_EXISTING)                                 ? "r+b"
                                                                                           : "wb";
  return path ? OpenFile(static_cast<const char*>(path), how) : nullptr;
}

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(std::fread(buffer, 1, size, static_cast<FILE*>(stream)));
}

uLong ZCALLBACK WriteStream(voidpf, voidpf stream, const void* buffer, uLong size) {
  return static_cast<uLong>(std::fwrite(buffer, 1, size, static_cast<FILE*>(stream)));
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream) {
  return static_cast<ZPOS64_T>(TellFile(static_cast<FILE*>(stream)));
}

long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  const int whence = origin == ZLIB_FILEFUNC_SEEK_SET   ? SEEK_SET
                     : origin == ZLIB_FILEFUNC_SEEK_CUR ? SEEK_CUR
                                                        : SEEK_END;
  return SeekFile(static_cast<FILE*>(stream), static_cast<int64_t>(offset), whence) ? 0 : -1;
}

int ZCALLBACK CloseStream(voidpf, voidpf stream) { return std::fclose(static_cast<FILE*>(stream)); }

int ZCALLBACK StreamError(voidpf, voidpf stream) { return std::ferror(static_cast<FILE*>(stream)); }

zlib_filefunc64_def Utf8FileFunctions() {
  zlib_filefunc64_def functions = {};
  functions.zopen64_file = OpenUtf8;
  functions.zread_file = ReadStream;
  functions.zwrite_file = WriteStream;
  functions.ztell64_file = TellStream;
  functions.zseek64_file = SeekStream;
  functions.zclose_file = CloseStream;
  functions.zerror_file = StreamError;
  return functions;
}

// Owns an open zipFile; Close reports whether the central directory was written.
class ZipArchive {
 public:
  explicit ZipArchive(const std::string& path) {
    zlib_filefunc64_def functions = Utf8FileFunctions();
    zip_ = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
  }
  ~ZipArchive() {
    if (zip_) zipClose(zip_, nullptr);
  }
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;
  zipFile get() const { return zip_; }
  bool Close() {
    zipFile zip = zip_;
    zip_ = nullptr;
    return zip && zipClose(zip, nullptr) == ZIP_OK;
  }

 private:
  zipFile zip_ = nullptr;
};

// Owns a raw deflate stream.
class Deflater {
 public:
  Deflater() {
    ok_ = deflateInit2(&stream_, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~Deflater() {
    if (ok_) deflateEnd(&stream_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_ = {};
  bool ok_ = false;
};

zip_fileinfo FixedInfo(bool folder) {
  zip_fileinfo info = {};
  info.tmz_date.tm_mday = 1;
  info.tmz_date.tm_mon = 0;
  info.tmz_date.tm_year = 1980;
  info.external_fa = folder ? kFolderAttributes : kFileAttributes;
  return info;
}

class ArchiveBuilder {
 public:
  ArchiveBuilder(zipFile zip, const PayloadTree& tree, const ZipProgress& progress,
                 std::string& error)
      : zip_(zip), tree_(tree), progress_(progress), error_(error), chunk_(kChunkSize) {}

  // `zip_path` names the folder for the scratch file of deflated data.
  bool Build(const std::string& zip_path) {
    if (!scratch_.Create(zip_path, "deflate", error_)) return false;
    for (const PayloadEntry& entry : tree_.entries) {
      if (!(entry.is_folder ? AddFolder(entry) : AddFile(entry))) return false;
      if (!entry.is_folder) ++files_done_;
      Report();
    }
    return true;
  }

 private:
  bool Fail(const std::string& what, const std::string& problem) {
    error_ = what + ": " + problem;
    return false;
  }

  void Report() {
    if (progress_) progress_(files_done_, bytes_done_);
  }

  bool Open(const PayloadEntry& entry, int method, bool zip64) {
    const zip_fileinfo info = FixedInfo(entry.is_folder);
    const int result = zipOpenNewFileInZip4_64(
        zip_, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
        method == 0 ? 0 : kLevel, /*raw=*/1, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0,
        kMadeByMsDos, kUtf8NameFlag, zip64 ? 1 : 0);
    return result == ZIP_OK || Fail("archive entry '" + entry.name + "'", "cannot be started");
  }

  bool Write(const PayloadEntry& entry, const void* data, size_t size) {
    return size == 0 || zipWriteInFileInZip(zip_, data, static_cast<unsigned>(size)) == ZIP_OK ||
           Fail("archive entry '" + entry.name + "'", "cannot be written");
  }

  bool Close(const PayloadEntry& entry, uint64_t size, uint32_t crc) {
    return zipCloseFileInZipRaw64(zip_, size, crc) == ZIP_OK ||
           Fail("archive entry '" + entry.name + "'", "cannot be finished");
  }

  bool AddFolder(const PayloadEntry& entry) { return Open(entry, 0, false) && Close(entry, 0, 0); }

  // Deflates the file into the scratch file while computing its CRC, then copies whichever of
  // the deflated and the plain bytes is smaller into the archive.
  bool AddFile(const PayloadEntry& entry) {
    File source(OpenFile(entry.source, "rb"));
    if (!source) return Fail("'" + entry.source + "'", std::strerror(errno));
    uint64_t size = 0;
    uint32_t crc = 0;
    uint64_t deflated = 0;
    if (!Deflate(entry, source.get(), size, crc, deflated)) return false;
    if (size != entry.size) return Changed(entry);
    const bool zip64 = size >= kZip64Size;
    if (size > 0 && deflated < size) {
      std::rewind(scratch());
      return Open(entry, Z_DEFLATED, zip64) && Copy(entry, scratch(), deflated, nullptr) &&
             Close(entry, size, crc);
    }
    std::rewind(source.get());
    uint32_t stored_crc = 0;
    if (!Open(entry, 0, zip64) || !Copy(entry, source.get(), size, &stored_crc)) return false;
    if (stored_crc != crc) return Changed(entry);
    return Close(entry, size, crc);
  }

  bool Changed(const PayloadEntry& entry) {
    return Fail("'" + entry.source + "'", "changed while it was packed");
  }

  // Reads the whole file once: its size, its CRC-32 and its raw deflate stream, which goes into
  // the scratch file. Progress counts the plain bytes read.
  bool Deflate(const PayloadEntry& entry, FILE* source, uint64_t& size, uint32_t& crc,
               uint64_t& deflated) {
    if (!EmptyFile(scratch())) return Fail("a temporary file", std::strerror(errno));
    Deflater deflater;
    if (!deflater.ok()) return Fail("'" + entry.source + "'", "zlib cannot start deflating");
    z_stream& stream = deflater.stream();
    std::vector<unsigned char> out(kChunkSize);
    crc = static_cast<uint32_t>(crc32(0, nullptr, 0));
    const uint64_t bytes_before = bytes_done_;
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
      const size_t read = std::fread(chunk_.data(), 1, chunk_.size(), source);
      if (std::ferror(source)) return Fail("'" + entry.source + "'", std::strerror(errno));
      flush = read < chunk_.size() ? Z_FINISH : Z_NO_FLUSH;
      size += read;
      crc = static_cast<uint32_t>(crc32_z(crc, chunk_.data(), read));
      stream.next_in = chunk_.data();
      stream.avail_in = static_cast<uInt>(read);
      do {
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        if (deflate(&stream, flush) == Z_STREAM_ERROR) {
          return Fail("'" + entry.source + "'", "zlib deflate failed");
        }
        const size_t produced = out.size() - stream.avail_out;
        if (std::fwrite(out.data(), 1, produced, scratch()) != produced) {
          return Fail("a temporary file", std::strerror(errno));
        }
        deflated += produced;
      } while (stream.avail_out == 0);
      bytes_done_ = bytes_before + size;
      Report();
    }
    if (std::fflush(scratch()) != 0) return Fail("a temporary file", std::strerror(errno));
    return true;
  }

  // Copies `size` bytes from `source` into the open entry and computes their CRC when `crc` is
  // given.
  bool Copy(const PayloadEntry& entry, FILE* source, uint64_t size, uint32_t* crc) {
    if (crc) *crc = static_cast<uint32_t>(crc32(0, nullptr, 0));
    for (uint64_t done = 0; done < size;) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(chunk_.size(), size - done));
      const size_t read = std::fread(chunk_.data(), 1, want, source);
      if (read != want) return Changed(entry);
      if (!Write(entry, chunk_.data(), read)) return false;
      if (crc) *crc = static_cast<uint32_t>(crc32_z(*crc, chunk_.data(), read));
      done += read;
    }
    return true;
  }

  FILE* scratch() const { return scratch_.stream(); }

  zipFile zip_;
  const PayloadTree& tree_;
  const ZipProgress& progress_;
  std::string& error_;
  std::vector<unsigned char> chunk_;
  PendingFile scratch_;  // never committed: removed when the archive is built
  uint64_t files_done_ = 0;
  uint64_t bytes_done_ = 0;
};

void Put(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

uint32_t Get32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

// minizip writes the entry count of the end of central directory record in 16 bits and, below
// 4 GiB, no zip64 end records, so readers of an archive with 65535 entries or more would see a
// wrong count. This replaces that record with a zip64 end record, its locator and an end record
// whose counts say "see zip64" (0xFFFF), unless minizip already wrote a locator.
bool AddZip64EndRecords(const std::string& path, uint64_t entry_count, std::string& error) {
  constexpr long kEndSize = 22;
  constexpr long kLocatorSize = 20;
  File zip(OpenFile(path, "r+b"));
  unsigned char end[kEndSize];
  unsigned char locator[kLocatorSize];
  if (!zip || !SeekFile(zip.get(), -kEndSize, SEEK_END)) return false;
  const int64_t end_offset = TellFile(zip.get());
  if (std::fread(end, 1, kEndSize, zip.get()) != kEndSize || Get32(end) != 0x06054B50 ||
      end_offset < kLocatorSize || !SeekFile(zip.get(), end_offset - kLocatorSize, SEEK_SET) ||
      std::fread(locator, 1, kLocatorSize, zip.get()) != kLocatorSize) {
    error = "'" + path + "': the archive's end record cannot be found";
    return false;
  }
  if (Get32(locator) == 0x07064B50) return true;
  const uint32_t directory_size = Get32(end + 12);
  const uint32_t directory_offset = Get32(end + 16);
  std::string records;
  Put(records, 0x06064B50, 4);  // zip64 end of central directory record
  Put(records, 44, 8);          // its size after this field
  Put(records, 45, 2);          // made by: MS-DOS, version 4.5
  Put(records, 45, 2);          // needed to extract: 4.5
  Put(records, 0, 4);           // this disk
  Put(records, 0, 4);           // disk of the central directory
  Put(records, entry_count, 8);
  Put(records, entry_count, 8);
  Put(records, directory_size, 8);
  Put(records, directory_offset, 8);
  Put(records, 0x07064B50, 4);  // zip64 end of central directory locator
  Put(records, 0, 4);
  Put(records, static_cast<uint64_t>(end_offset), 8);
  Put(records, 1, 4);           // total disks
  Put(records, 0x06054B50, 4);  // end of central directory record
  Put(records, 0, 2);
  Put(records, 0, 2);
  Put(records, 0xFFFF, 2);
  Put(records, 0xFFFF, 2);
  Put(records, directory_size, 4);
  Put(records, directory_offset, 4);
  Put(records, 0, 2);  // comment length
  if (!SeekFile(zip.get(), end_offset, SEEK_SET) ||
      std::fwrite(records.data(), 1, records.size(), zip.get()) != records.size() ||
      std::fclose(zip.release()) != 0) {
    error = "'" + path + "': the archive's end records cannot be written";
    return false;
  }
  return true;
}

}  // namespace

bool WriteZipArchive(const PayloadTree& tree, const std::string& zip_path,
                     const ZipProgress& progress, std::string& error) {
  error.clear();
  ZipArchive zip(zip_path);
  if (!zip.get()) {
    error = "'" + zip_path + "': cannot be created: " + std::strerror(errno);
    return false;
  }
  if (!ArchiveBuilder(zip.get(), tree, progress, error).Build(zip_path)) return false;
  if (!zip.Close()) {
    error = "'" + zip_path + "': the archive cannot be finished";
    return false;
  }
  return tree.entries.size() < 0xFFFF || AddZip64EndRecords(zip_path, tree.entries.size(), error);
}
