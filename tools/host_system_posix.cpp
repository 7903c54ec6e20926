// host_system.h on POSIX systems: paths are bytes, so UTF-8 paths pass through unchanged.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tools/host_system.h"

extern char** environ;

namespace {

void (*g_cleanup)() = nullptr;

void CleanUpAndReraise(int signal_number) {
  if (g_cleanup) g_cleanup();
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Closes both ends of a pipe that are still open.
struct Pipe {
  int ends[2] = {-1, -1};
  ~Pipe() {
    for (int end : ends) {
      if (end >= 0) close(end);
    }
  }
  void Close(int which) {
    close(ends[which]);
    ends[which] = -1;
  }
};

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool SeekFile(FILE* file, int64_t offset, int origin) {
  return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

int64_t TellFile(FILE* file) { return static_cast<int64_t>(ftello(file)); }

bool EmptyFile(FILE* file) {
  return std::fflush(file) == 0 && ftruncate(fileno(file), 0) == 0 && SeekFile(file, 0, SEEK_SET);
}

bool IsTerminal(FILE* stream) { return isatty(fileno(stream)) != 0; }

FILE* CreateUniqueFile(const std::string& prefix, std::string& path) {
  std::vector<char> name(prefix.begin(), prefix.end());
  for (char c : std::string("XXXXXX")) name.push_back(c);
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, "w+b");
  if (!file) {
    const int error = errno;
    close(fd);
    unlink(name.data());
    errno = error;
    return nullptr;
  }
  path = name.data();
  return file;
}

bool MoveIntoPlace(const std::string& from, const std::string& to, bool executable) {
  const mode_t mode = (executable ? 0777 : 0666) & ~CurrentUmask();
  return chmod(from.c_str(), mode) == 0 && rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFileNow(const char* path) { unlink(path); }

void CallOnInterrupt(void (*cleanup)()) {
  g_cleanup = cleanup;
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) signal(signal_number, CleanUpAndReraise);
}

std::string FindProgram(const std::string& program, const std::string& search_path) {
  if (program.find('/') != std::string::npos) return program;
  if (program.empty()) return std::string();
  for (size_t begin = 0; begin <= search_path.size();) {
    const size_t end = std::min(search_path.find(':', begin), search_path.size());
    const std::string folder = search_path.substr(begin, end - begin);
    begin = end + 1;
    if (folder.empty() || folder[0] != '/') continue;
    const std::string candidate = folder + "/" + program;
    struct stat status;
    if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return std::string();
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input) {
  ProgramRun run;
  const char* search_path = std::getenv("PATH");
  const std::string path = FindProgram(program, search_path ? search_path : "");
  if (path.empty()) {
    run.problem = "'" + program + "' cannot be started: no absolute folder of PATH holds it";
    return run;
  }
  Pipe in;
  Pipe out;
  if (pipe(in.ends) != 0 || pipe(out.ends) != 0) {
    run.problem = std::strerror(errno);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.ends[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out.ends[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out.ends[1], STDERR_FILENO);
  for (int end : {in.ends[0], in.ends[1], out.ends[0], out.ends[1]}) {
    posix_spawn_file_actions_addclose(&actions, end);
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    run.problem = "'" + program + "' cannot be started: " + std::strerror(spawned);
    return run;
  }
  in.Close(0);
  out.Close(1);
  // A child that ends without reading its input must not end this program by SIGPIPE.
  const auto previous = signal(SIGPIPE, SIG_IGN);
  for (size_t done = 0; done < input.size();) {
    const ssize_t written = write(in.ends[1], input.data() + done, input.size() - done);
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  signal(SIGPIPE, previous);
  in.Close(1);
  char buffer[4096];
  for (ssize_t read_bytes; (read_bytes = read(out.ends[0], buffer, sizeof buffer)) != 0;) {
    if (read_bytes < 0 && errno == EINTR) continue;
    if (read_bytes < 0) break;
    run.output.append(buffer, static_cast<size_t>(read_bytes));
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  return run;
}
