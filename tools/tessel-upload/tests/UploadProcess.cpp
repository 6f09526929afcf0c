#include "tools/tessel-upload/tests/UploadProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace uploadtest {
namespace {

void MakePipe(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

// One argument quoted for the shell that script(1) runs the command with.
std::string ShellQuoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The whole command line: the program and its arguments, or script(1) running them.
std::vector<std::string> CommandLine(const std::vector<std::string>& args, bool onTerminal) {
  std::vector<std::string> all{TESSEL_UPLOAD_BINARY};
  all.insert(all.end(), args.begin(), args.end());
  if (!onTerminal) return all;
  std::string command;
  for (const std::string& arg : all) command += (command.empty() ? "" : " ") + ShellQuoted(arg);
  return {kScriptProgram, "-qefc", command, "/dev/null"};
}

}  // namespace

UploadProcess::UploadProcess(const std::vector<std::string>& args, const std::string& input,
                             bool onTerminal) {
  int in[2], out[2], err[2];
  MakePipe(in);
  MakePipe(out);
  MakePipe(err);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  std::vector<std::string> all = CommandLine(args, onTerminal);
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (rc != 0) throw std::runtime_error("cannot start tessel-upload");
  // The input is small; it fits into the pipe at once.
  ssize_t written = write(in[1], input.data(), input.size());
  (void)written;
  close(in[1]);
  outFd_ = out[0];
  errFd_ = err[0];
}

UploadProcess::~UploadProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) close(outFd_);
  if (errFd_ >= 0) close(errFd_);
}

bool UploadProcess::Pump(int waitMs) {
  pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
  if (outFd_ < 0 && errFd_ < 0) return false;
  if (poll(fds, 2, waitMs) <= 0) return true;
  int* ends[2] = {&outFd_, &errFd_};
  std::string* sinks[2] = {&out_, &err_};
  for (int i = 0; i < 2; ++i) {
    if (*ends[i] < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char buffer[4096];
    ssize_t n = read(*ends[i], buffer, sizeof buffer);
    if (n > 0) {
      sinks[i]->append(buffer, static_cast<size_t>(n));
    } else {
      close(*ends[i]);
      *ends[i] = -1;
    }
  }
  return outFd_ >= 0 || errFd_ >= 0;
}

bool UploadProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (out_.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline || !Pump(100))
      return out_.find(text) != std::string::npos;
  }
  return true;
}

void UploadProcess::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

int UploadProcess::Finish(std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (Pump(100)) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      return -2;
    }
  }
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

UploadResult RunUpload(const std::vector<std::string>& args, const std::string& input) {
  UploadProcess process(args, input);
  int status = process.Finish();
  return {status, process.Out(), process.Err()};
}

}  // namespace uploadtest
