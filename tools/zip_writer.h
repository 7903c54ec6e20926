// Writes the payload archive: a ZIP archive of the payload tree whose bytes depend only on the
// names and contents of the files.
#ifndef BRINDLE_TOOLS_ZIP_WRITER_H_
#define BRINDLE_TOOLS_ZIP_WRITER_H_

#include <cstdint>
#include <functional>
#include <string>

#include "tools/payload_tree.h"

// Called after each chunk of a file and after each entry with the files and bytes done so far.
using ZipProgress = std::function<void(uint64_t files_done, uint64_t bytes_done)>;

// Writes every entry of `tree`, in its order, into a new ZIP file at `zip_path`:
//  - folders as directory entries (stored, no data);
//  - files deflated when that makes them smaller, stored otherwise;
//  - every name flagged as UTF-8 (general purpose bit 11), "/" as the separator;
//  - the time stamp 1980-01-01 00:00:00 and fixed attributes (0x10 folder, 0x20 file), made by
//    MS-DOS, no comments, no extra fields except zip64 ones;
//  - zip64 records for an entry of 4 GiB or more and for 65535 entries or more.
// Returns false with `error` naming the file and the problem when a file cannot be read or
// changes while it is packed, or the archive cannot be written.
bool WriteZipArchive(const PayloadTree& tree, const std::string& zip_path,
                     const ZipProgress& progress, std::string& error);

#endif  // BRINDLE_TOOLS_ZIP_WRITER_H_
