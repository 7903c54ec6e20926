// An output file written under a temporary name in its final folder and renamed into place only
// when it is complete, so a failed or interrupted run leaves no half-written file behind.
#ifndef BRINDLE_TOOLS_PENDING_FILE_H_
#define BRINDLE_TOOLS_PENDING_FILE_H_

#include <cstdio>
#include <string>

class PendingFile {
 public:
  PendingFile() = default;
  // Removes the temporary file unless it was committed.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates ".<name of final_path>.<tag>.<unique>" beside `final_path`, open for reading and
  // writing. The file is also removed when the program is interrupted (CallOnInterrupt in
  // host_system.h; for the first eight pending files at a time). False with `problem` set
  // when the folder does not exist or is not writable.
  bool Create(const std::string& final_path, const std::string& tag, std::string& problem);

  // The open stream (owned by this object) and the temporary path.
  FILE* stream() const { return stream_; }
  const std::string& path() const { return path_; }

  // Closes the stream, so that other programs can open the file; it stays pending. False when
  // buffered bytes cannot be written. Harmless when already closed.
  bool Close();

  // Closes the stream and removes the file but keeps its unique name pending, for another program
  // that refuses to write over an existing file (osslsigncode): what it creates under that name
  // is committed or removed like the file itself. False when the stream cannot be closed.
  bool Vacate();

  // Closes the stream (false when buffered bytes cannot be written) and removes the file.
  bool Discard();

  // Closes the stream, gives the file the permissions a new file would get (0666 or, with
  // `executable`, 0777, less the umask) and renames it to `final_path`. False with `problem`
  // set when any step fails; the temporary file is then removed.
  bool Commit(const std::string& final_path, bool executable, std::string& problem);

 private:
  FILE* stream_ = nullptr;
  std::string path_;
  int slot_ = -1;  // index in the signal handler's table of paths to remove
};

#endif  // BRINDLE_TOOLS_PENDING_FILE_H_
