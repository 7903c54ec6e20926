// What brindle-pack needs from the system it runs on, with every path and text in UTF-8: its
// arguments, files named by path, and child programs. One implementation per kind of system
// (host_system_posix.cpp, host_system_win32.cpp); the rest of the tool is the same code on both.
#ifndef BRINDLE_TOOLS_HOST_SYSTEM_H_
#define BRINDLE_TOOLS_HOST_SYSTEM_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The program's arguments after its name, in UTF-8. On Windows they come from the wide command
// line (argv holds them in the ANSI code page), and console output is switched to UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// std::fopen of a UTF-8 path. Null with errno set on failure.
FILE* OpenFile(const std::string& path, const char* mode);

// Positions `file` at `offset` from `origin` (SEEK_SET, SEEK_CUR, SEEK_END), beyond 2 GiB too.
bool SeekFile(FILE* file, int64_t offset, int origin);
// The position of `file`, or -1.
int64_t TellFile(FILE* file);
// Flushes `file` and cuts it to zero bytes.
bool EmptyFile(FILE* file);
// True when `stream` is a terminal (a console on Windows).
bool IsTerminal(FILE* stream);

// Creates a new file whose path is `prefix` followed by a few unique characters, open for reading
// and writing ("w+b"), and stores its path in `path`. Null with errno set on failure.
FILE* CreateUniqueFile(const std::string& prefix, std::string& path);

// Renames the closed file `from` to `to`, replacing `to`. With `executable` the file first gets
// the permissions of a new executable (0777 less the umask; Windows has no such bit), otherwise
// those of a new file. False with errno set on failure.
bool MoveIntoPlace(const std::string& from, const std::string& to, bool executable);

// Removes the file at the UTF-8 path `path`. Allocates nothing, so it may run in an interrupt
// handler; paths of 4095 bytes or more are not removed.
void RemoveFileNow(const char* path);

// Makes an interruption of the program (Ctrl+C, termination, a closed terminal) call `cleanup`
// before the program ends as the interruption would have ended it. `cleanup` must only do what
// an interrupt handler may (RemoveFileNow).
void CallOnInterrupt(void (*cleanup)());

struct ProgramRun {
  int exit_code = -1;   // -1 when the program could not be started or did not end normally
  std::string output;   // what it wrote to its standard output and standard error, interleaved
  std::string problem;  // why it could not be started
};

// The file RunProgram starts for `program`. A name with a folder separator is the path it names.
// A bare name is looked up in the folders `search_path` lists (PATH's value: ':'-separated on
// POSIX, ';'-separated on Windows, where an entry may be quoted), in order, among absolute folders
// only: an empty or relative entry, which would mean the current folder, is skipped, so a program
// planted in the current folder is never taken. On Windows a name without an extension is looked
// up with ".exe". Empty when no listed folder holds the program (an executable file on POSIX).
std::string FindProgram(const std::string& program, const std::string& search_path);

// Runs `program` (FindProgram of it with PATH, started by that full path) with `arguments`,
// writes `input` to its
// standard input and then closes it, collects its output and waits for it to end. `input` is
// written before any output is read, so it must be small (a password), well below a pipe's
// buffer.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input);

#endif  // BRINDLE_TOOLS_HOST_SYSTEM_H_
