#include "tools/pending_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Paths that a signal handler removes; fixed storage, because the handler may not allocate.
constexpr int kSlots = 4;
constexpr size_t kPathCapacity = 4096;
char g_pending_paths[kSlots][kPathCapacity];
volatile sig_atomic_t g_slot_used[kSlots];

void RemovePendingAndExit(int signal_number) {
  for (int i = 0; i < kSlots; ++i) {
    if (g_slot_used[i]) unlink(g_pending_paths[i]);
  }
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

void InstallHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) signal(signal_number, RemovePendingAndExit);
}

int Register(const std::string& path) {
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

mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Create(const std::string& final_path, const std::string& tag,
                         std::string& problem) {
  Discard();
  const size_t slash = final_path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : final_path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? final_path : final_path.substr(slash + 1);
  std::string pattern = folder + "." + name + "." + tag + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  InstallHandlers();
  const int fd = mkstemp(buffer.data());
  if (fd < 0) {
    problem = "'" + final_path + "': cannot create a file in its folder: " + std::strerror(errno);
    return false;
  }
  path_ = buffer.data();
  slot_ = Register(path_);
  stream_ = fdopen(fd, "w+b");
  if (!stream_) {
    problem = "'" + path_ + "': " + std::strerror(errno);
    close(fd);
    Discard();
    return false;
  }
  return true;
}

bool PendingFile::CloseStream() {
  FILE* stream = stream_;
  stream_ = nullptr;
  return !stream || std::fclose(stream) == 0;
}

bool PendingFile::Discard() {
  const bool closed = CloseStream();
  if (!path_.empty()) unlink(path_.c_str());
  Unregister(slot_);
  slot_ = -1;
  path_.clear();
  return closed;
}

bool PendingFile::Commit(const std::string& final_path, bool executable, std::string& problem) {
  const mode_t mode = (executable ? 0777 : 0666) & ~CurrentUmask();
  if (!CloseStream()) {
    problem = "'" + final_path + "': cannot be written: " + std::strerror(errno);
  } else if (chmod(path_.c_str(), mode) != 0 || rename(path_.c_str(), final_path.c_str()) != 0) {
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
