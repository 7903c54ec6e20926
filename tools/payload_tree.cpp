#include "tools/payload_tree.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include "tools/host_system.h"
#include "tools/text_checks.h"

namespace {

namespace fs = std::filesystem;

fs::path NativePath(const std::string& utf8) { return fs::u8path(utf8); }

// True when the file can be opened for reading.
bool CanRead(const std::string& path) {
  FILE* file = OpenFile(path, "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

class Scanner {
 public:
  Scanner(PayloadTree& tree, std::vector<std::string>& problems)
      : tree_(tree), problems_(problems) {}

  // Adds the entries below the folder `path`, whose archive name is `prefix` ("" for the root).
  void ScanFolder(const std::string& path, const std::string& prefix) {
    std::error_code error;
    fs::directory_iterator folder(NativePath(path), error);
    std::vector<std::string> names;
    for (; !error && folder != fs::directory_iterator(); folder.increment(error)) {
      names.push_back(folder->path().filename().u8string());
    }
    if (error) {
      problems_.push_back("folder '" + path + "' cannot be read: " + error.message());
      return;
    }
    std::sort(names.begin(), names.end());

    std::map<std::string, std::string> folded;  // ASCII-lower-case name -> first name seen
    for (const std::string& name : names) {
      const std::string child = path + "/" + name;
      if (!CheckName(child, name)) continue;
      auto [it, inserted] = folded.emplace(Lower(name), name);
      if (!inserted) {
        problems_.push_back("'" + child + "' and '" + it->second +
                            "' differ only in case; Windows cannot hold both in one folder");
        continue;
      }
      AddEntry(child, prefix + name);
    }
  }

 private:
  bool CheckName(const std::string& path, const std::string& name) {
    if (!IsValidUtf8(name)) {
      problems_.push_back("name of '" + path + "' is not valid UTF-8");
      return false;
    }
    const std::string problem = WindowsNameProblem(name);
    if (!problem.empty()) {
      problems_.push_back("name of '" + path + "' " + problem);
      return false;
    }
    return true;
  }

  void AddEntry(const std::string& path, const std::string& name) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(NativePath(path), error);
    if (error) {
      problems_.push_back("'" + path + "' cannot be read: " + error.message());
    } else if (fs::is_symlink(status)) {
      problems_.push_back("'" + path + "' is a symbolic link; put the file or folder itself there");
    } else if (fs::is_directory(status)) {
      tree_.entries.push_back({name + "/", path, true, 0});
      ScanFolder(path, name + "/");
    } else if (!fs::is_regular_file(status)) {
      problems_.push_back("'" + path + "' is neither a file nor a folder");
    } else if (!CanRead(path)) {
      problems_.push_back("'" + path + "' cannot be read: " + std::strerror(errno));
    } else {
      const uint64_t size = fs::file_size(NativePath(path), error);
      if (error) {
        problems_.push_back("'" + path + "' cannot be read: " + error.message());
        return;
      }
      tree_.entries.push_back({name, path, false, size});
      ++tree_.file_count;
      tree_.total_bytes += size;
    }
  }

  PayloadTree& tree_;
  std::vector<std::string>& problems_;
};

}  // namespace

PayloadTree ScanPayload(const std::string& root, std::vector<std::string>& problems) {
  PayloadTree tree;
  std::error_code error;
  const fs::file_status status = fs::status(NativePath(root), error);
  if (error) {
    problems.push_back("payload folder '" + root + "': " + error.message());
    return tree;
  }
  if (!fs::is_directory(status)) {
    problems.push_back("payload folder '" + root + "' is not a folder");
    return tree;
  }
  const size_t problems_before = problems.size();
  Scanner(tree, problems).ScanFolder(root, "");
  std::sort(tree.entries.begin(), tree.entries.end(),
            [](const PayloadEntry& a, const PayloadEntry& b) { return a.name < b.name; });
  if (tree.file_count == 0 && problems.size() == problems_before) {
    problems.push_back("payload folder '" + root + "' holds no files");
  }
  return tree;
}

bool PayloadHasFile(const PayloadTree& tree, const std::string& path) {
  return FindPayloadFile(tree, path) != nullptr;
}

const PayloadEntry* FindPayloadFile(const PayloadTree& tree, const std::string& path) {
  std::string name = path;
  std::replace(name.begin(), name.end(), '\\', '/');
  for (const PayloadEntry& entry : tree.entries) {
    if (!entry.is_folder && entry.name == name) return &entry;
  }
  return nullptr;
}
