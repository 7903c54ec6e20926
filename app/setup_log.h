// The log of /LOG=<file>: one process-wide UTF-8 text file (no byte order
// mark, CRLF line ends) of what the run did: the package, the folder, the
// options, every step text, the result with the cause of a failure, and the
// exit code. Each line reaches the file when it is logged, since most ends of
// the process do not unwind. Without an open log every call does nothing.
// User-interface thread only.
#ifndef BRINDLE_APP_SETUP_LOG_H_
#define BRINDLE_APP_SETUP_LOG_H_

#include <string>

// Creates or empties `path` and makes it the log. False, with no log open,
// when the file cannot be created.
bool OpenSetupLog(const std::wstring& path);

// Appends "<label>: <text>" as one line; only `text` when `label` is empty.
void LogLine(const wchar_t* label, const std::wstring& text);

// Appends the line "exit code: <code>" and closes the log.
void LogExitCode(unsigned code);

// Closes the log without a last line (tests).
void CloseSetupLog();

#endif  // BRINDLE_APP_SETUP_LOG_H_
