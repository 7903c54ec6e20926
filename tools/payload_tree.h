// The payload folder as the entries of the payload archive.
#ifndef BRINDLE_TOOLS_PAYLOAD_TREE_H_
#define BRINDLE_TOOLS_PAYLOAD_TREE_H_

#include <cstdint>
#include <string>
#include <vector>

struct PayloadEntry {
  std::string name;    // archive name: "/" separators, a folder's name ends with "/"
  std::string source;  // path of the file or folder on this machine
  bool is_folder = false;
  uint64_t size = 0;  // bytes of a file; 0 for a folder
};

struct PayloadTree {
  std::vector<PayloadEntry> entries;  // every folder and file below the root, by name in byte order
  uint64_t file_count = 0;
  uint64_t total_bytes = 0;  // sum of the files' sizes
};

// Walks the folder `root`. Collects one message per problem in `problems` (each names the path
// and the problem): a root that is missing, no folder or unreadable; names that are not valid
// UTF-8 or that Windows refuses; two names that differ only in ASCII case; symbolic links and
// other entries that are neither file nor folder; unreadable files and folders; a payload without
// files. The tree is usable only when `problems` stays empty.
PayloadTree ScanPayload(const std::string& root, std::vector<std::string>& problems);

// True when `tree` holds a file named `path` ("/" or "\" as separators, compared exactly).
bool PayloadHasFile(const PayloadTree& tree, const std::string& path);

// The file entry named `path` (as for PayloadHasFile), or null.
const PayloadEntry* FindPayloadFile(const PayloadTree& tree, const std::string& path);

#endif  // BRINDLE_TOOLS_PAYLOAD_TREE_H_
