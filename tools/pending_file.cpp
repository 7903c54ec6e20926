#include "tools/pending_file.h"

#include <csignal>
#include <cstring>

#include "tools/host_system.h"

namespace {

// Paths that the interrupt cleanup removes; fixed storage, because it may not allocate.
constexpr int kSlots = 8;
constexpr size_t kPathCapacity = 4096;
char g_pending_paths[kSlots][kPathCapacity];
volatile std::sig_atomic_t g_slot_used[kSlots];

void RemovePending() {
  for (int i = 0; i < kSlots; ++i) {
    if (g_slot_used[i]) RemoveFileNow(g_pending_paths[i]);
  }
}

int Register(const std::string& path) {
  static bool handler_installed = false;
  if (!handler_installed) {
    handler_installed = true;
    CallOnInterrupt(RemovePending);
  }
  if (path.size() >= kPathCapacity) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (!g_slot_used[i]) {
      std::memcpy(g_pending_paths[i], path.c_str(), path.size() + 1);
      g_slot_used[i] = 1;
      return i;
    }
  }
  return -1;
}

void Unregister(int slot) {
  if (slot >= 0) g_slot_used[slot] = 0;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Create(const std::string& final_path, const std::string& tag,
                         std::string& problem) {
  Discard();
  const std::string folder = FolderOf(final_path);
  const std::string name = final_path.substr(folder.size());
  std::string path;
  stream_ = CreateUniqueFile(folder + "." + name + "." + tag + ".", path);
  if (!stream_) {
    problem = "'" + final_path + "': cannot create a file in its folder: " + std::strerror(errno);
    return false;
  }
  path_ = path;
  slot_ = Register(path_);
  return true;
}

bool PendingFile::Close() {
  FILE* stream = stream_;
  stream_ = nullptr;
  return !stream || std::fclose(stream) == 0;
}

bool PendingFile::Vacate() {
  if (!Close()) return false;
  RemoveFileNow(path_.c_str());
  return true;
}

bool PendingFile::Discard() {
  const bool closed = Close();
  if (!path_.empty()) RemoveFileNow(path_.c_str());
  Unregister(slot_);
  slot_ = -1;
  path_.clear();
  return closed;
}

bool PendingFile::Commit(const std::string& final_path, bool executable, std::string& problem) {
  if (!Close()) {
    problem = "'" + final_path + "': cannot be written: " + std::strerror(errno);
  } else if (!MoveIntoPlace(path_, final_path, executable)) {
    problem = "'" + final_path + "': cannot be put in place: " + std::strerror(errno);
  } else {
    Unregister(slot_);
    slot_ = -1;
    path_.clear();
    return true;
  }
  Discard();
  return false;
}
