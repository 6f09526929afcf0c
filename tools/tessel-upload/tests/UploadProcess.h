// Runs the built tessel-upload for a test: arguments, text on its standard
// input, and both output streams collected while it runs. A run that takes
// longer than its time limit is killed, so a hanging program fails the test
// instead of blocking the suite.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace uploadtest {

class UploadProcess {
 public:
  // Starts the program with these arguments (the program path comes first by
  // itself); with `onTerminal` it runs on a pseudo-terminal of script(1), so
  // that it sees a terminal on every standard stream.
  explicit UploadProcess(const std::vector<std::string>& args, const std::string& input = "",
                         bool onTerminal = false);
  ~UploadProcess();
  UploadProcess(const UploadProcess&) = delete;
  UploadProcess& operator=(const UploadProcess&) = delete;

  // Collects output until standard output holds `text`; false at the end of
  // the output or after the time limit.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(30));
  // Sends a signal to the program.
  void Signal(int signal);
  // Collects the rest of the output and returns the exit status (-1 killed by a signal, -2 timed out).
  int Finish(std::chrono::milliseconds limit = std::chrono::seconds(90));

  const std::string& Out() const { return out_; }
  const std::string& Err() const { return err_; }

 private:
  // Reads what is there (waiting up to `waitMs`); false once both streams ended.
  bool Pump(int waitMs);

  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string out_;
  std::string err_;
};

// The result of a whole run.
struct UploadResult {
  int status = 0;
  std::string out;
  std::string err;
};

// Runs the program to its end.
UploadResult RunUpload(const std::vector<std::string>& args, const std::string& input = "");

// The program that gives a run a terminal.
inline constexpr const char* kScriptProgram = "/usr/bin/script";

}  // namespace uploadtest
