// Child processes: start, wait with a time-out, terminate, exit codes, and the
// shell's "open" verb for documents, addresses and programs.
#pragma once

#include <string>
#include <vector>

namespace platform {

// One started child process. Closing the handle (or destroying it) does not end
// the process; a child still running then is reaped in the background, so no
// zombie stays behind. A handle belongs to one thread at a time.
class ProcessHandle {
 public:
  // The exit code reported while the process is still running.
  static constexpr int kStillActive = 259;

  ProcessHandle() = default;
  ~ProcessHandle();
  ProcessHandle(ProcessHandle&& other) noexcept;
  ProcessHandle& operator=(ProcessHandle&& other) noexcept;
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;

  // Whether the handle refers to a started process.
  bool IsValid() const { return pid_ > 0; }
  // The process id, or 0 for an empty handle.
  int Pid() const { return pid_; }
  // Waits up to `timeout_ms` milliseconds (negative: without limit) and tells
  // whether the process has ended. An empty handle counts as ended.
  bool Wait(int timeout_ms);
  // Ends the process by force; its exit code becomes `exit_code`. False when
  // the process had already ended or the handle is empty. Does not wait.
  bool Terminate(int exit_code);
  // The exit status once the process has ended (a process killed by a signal
  // other than through Terminate reports 128 + the signal number), else
  // kStillActive. Polls the process without blocking.
  int ExitCode();
  // Gives up the handle without ending the process.
  void Close();

  // Takes over a started child (used by the start functions).
  static ProcessHandle Adopt(int pid);

 private:
  bool Reap(bool block);

  int pid_ = 0;
  int pidfd_ = -1;
  bool ended_ = false;
  int exit_code_ = kStillActive;
  bool terminated_ = false;
  int termination_code_ = 0;
};

// Starts `program` (a path, or a bare name looked up in PATH) with `arguments`
// (not including the program itself). The child inherits the environment and
// the current folder. `handle_out` may be null: the handle is then closed at
// once. False when the program cannot be started; LastProcessError() tells why.
bool StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                  ProcessHandle* handle_out);

// Starts a command line: the first item is the program, the rest its arguments,
// split by SplitCommandLine.
bool StartCommandLine(const std::string& command_line, ProcessHandle* handle_out);

// Splits a command line into arguments the way the product's programs expect
// their command lines split: blanks separate arguments outside double quotes; a
// double quote anywhere in an argument starts or ends a quoted run and is
// removed (so /arg:"a b" is the one argument /arg:a b); inside or outside
// quotes, 2n backslashes before a quote give n backslashes, 2n+1 give n and a
// literal quote; other backslashes are literal; "" inside a quoted run is one
// literal quote.
std::vector<std::string> SplitCommandLine(const std::string& command_line);

// The shell's "open" verb. An address with a scheme ("http://...", "mailto:")
// and an existing document are opened with the desktop's opener (xdg-open,
// parameters ignored); an executable file is run directly, `parameters` split
// by SplitCommandLine. `show` has no effect here (programs decide their own
// windows). `handle_out` may be null: the handle is then closed at once. False
// when the file does not exist or nothing could be started.
bool ShellOpen(const std::string& file, const std::string& parameters, bool show, ProcessHandle* handle_out);

// The error number (errno) of the last failed start on this thread, 0 if none.
int LastProcessError();

// The id of the calling process.
int CurrentProcessId();

// Whether a process with this id exists and has not ended (a zombie counts as
// ended).
bool IsProcessRunning(int pid);

}  // namespace platform
