// Opens a ZIP archive that lies inside a larger file (the payload archive
// behind a setup package's program image) with minizip's unzip part, reading
// it in place: no copy of the whole archive is made, in memory or on disk; at
// most two blocks of 256 KiB of it are held in memory while it is open.
#pragma once

#include <unzip.h>

#include <cstdint>
#include <string>

#include "setup/entry_names.h"  // the engine's rule for the names of entries
#include "setup/package_layout.h"

// Owns an open minizip archive and closes it with unzClose.
class UnzipArchive {
 public:
  UnzipArchive() = default;
  explicit UnzipArchive(unzFile owned) : archive_(owned) {}
  ~UnzipArchive() { reset(); }
  UnzipArchive(UnzipArchive&& other) noexcept : archive_(other.release()) {}
  UnzipArchive& operator=(UnzipArchive&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UnzipArchive(const UnzipArchive&) = delete;
  UnzipArchive& operator=(const UnzipArchive&) = delete;

  explicit operator bool() const { return archive_ != nullptr; }
  unzFile get() const { return archive_; }
  unzFile release() {
    unzFile archive = archive_;
    archive_ = nullptr;
    return archive;
  }
  void reset(unzFile owned = nullptr) {
    unzFile old = archive_;
    archive_ = owned;
    if (old && old != owned) unzClose(old);
  }

 private:
  unzFile archive_ = nullptr;
};

// Opens the ZIP archive that occupies the `length` bytes at byte `offset` of
// the package file `package`, reading through a handle of its own to the same
// open file, which stays open until the archive is closed; minizip sees the
// range as a file of its own, so offsets inside the archive count from
// `offset` and nothing outside the range is ever read. Empty when the file is
// not open, the range does not lie inside the file, or the range holds no ZIP
// archive (no end-of-central-directory record).
UnzipArchive OpenArchiveInFile(const PackageFile& package, uint64_t offset, uint64_t length);
