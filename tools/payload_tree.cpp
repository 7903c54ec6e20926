#include "tools/payload_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "tools/text_checks.h"

namespace {

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
    DIR* folder = opendir(path.c_str());
    if (!folder) {
      problems_.push_back("folder '" + path + "' cannot be read: " + std::strerror(errno));
      return;
    }
    std::vector<std::string> names;
    while (const dirent* item = readdir(folder)) {
      const std::string name = item->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(folder);
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
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) {
      problems_.push_back("'" + path + "' cannot be read: " + std::strerror(errno));
    } else if (S_ISLNK(info.st_mode)) {
      problems_.push_back("'" + path + "' is a symbolic link; put the file or folder itself there");
    } else if (S_ISDIR(info.st_mode)) {
      tree_.entries.push_back({name + "/", path, true, 0});
      ScanFolder(path, name + "/");
    } else if (!S_ISREG(info.st_mode)) {
      problems_.push_back("'" + path + "' is neither a file nor a folder");
    } else if (access(path.c_str(), R_OK) != 0) {
      problems_.push_back("'" + path + "' cannot be read: " + std::strerror(errno));
    } else {
      const uint64_t size = static_cast<uint64_t>(info.st_size);
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
  struct stat info;
  if (stat(root.c_str(), &info) != 0) {
    problems.push_back("payload folder '" + root + "': " + std::strerror(errno));
    return tree;
  }
  if (!S_ISDIR(info.st_mode)) {
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
  std::string name = path;
  std::replace(name.begin(), name.end(), '\\', '/');
  return std::any_of(tree.entries.begin(), tree.entries.end(), [&](const PayloadEntry& entry) {
    return !entry.is_folder && entry.name == name;
  });
}
