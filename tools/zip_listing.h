// Reads the entries of a ZIP archive that lies inside a larger file (the payload archive of a
// setup package), in place.
#ifndef BRINDLE_TOOLS_ZIP_LISTING_H_
#define BRINDLE_TOOLS_ZIP_LISTING_H_

#include <cstdint>
#include <string>
#include <vector>

struct ZipEntryInfo {
  std::string name;              // as stored: "/" separators, folders end with "/"
  uint32_t flag = 0;             // general purpose bit flag (bit 11: name is UTF-8)
  int method = 0;                // 0 stored, 8 deflated
  uint64_t size = 0;             // uncompressed bytes
  uint64_t compressed_size = 0;  // bytes in the archive
  uint32_t crc = 0;              // CRC-32 of the uncompressed bytes
  uint32_t dos_date = 0;         // MS-DOS date and time
  uint32_t external_attributes = 0;
};

// Lists the archive that occupies the `length` bytes at `offset` of the file `path`; offsets
// inside the archive count from `offset`. With `verify`, also inflates every entry and checks its
// CRC-32 and size. False with `problem` set when the file cannot be read, the range holds no ZIP
// archive, or an entry is damaged; `entries` then holds the entries read before the problem.
bool ListZipArchive(const std::string& path, uint64_t offset, uint64_t length, bool verify,
                    std::vector<ZipEntryInfo>& entries, std::string& problem);

#endif  // BRINDLE_TOOLS_ZIP_LISTING_H_
