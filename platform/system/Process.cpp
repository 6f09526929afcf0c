#include "platform/system/Process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

extern char** environ;

namespace platform {
namespace {

thread_local int t_last_error = 0;

int OpenPidFd(int pid) {
#ifdef SYS_pidfd_open
  long fd = syscall(SYS_pidfd_open, pid, 0);
  if (fd >= 0) {
    fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    return static_cast<int>(fd);
  }
#endif
  (void)pid;
  return -1;  // Old kernels: Wait falls back to polling.
}

// The exit status as the original platform reports it: the code passed to exit(),
// or 128 + the signal for a process killed by a signal.
int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return ProcessHandle::kStillActive;
}

// Waits until the pidfd becomes readable (the process ended) or `timeout_ms`
// milliseconds have passed. poll() may wake a little early, so the deadline is
// checked against the clock.
void WaitReadable(int pidfd, int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{pidfd, POLLIN, 0};
    int rc = poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
    if (rc > 0 || (rc < 0 && errno != EINTR) || left <= 0) return;
  }
}

bool IsUrl(const std::string& file) {
  // A scheme is a letter followed by letters, digits, '+', '-' or '.', then ':'.
  // One letter before ':' would be a drive, never a scheme worth opening.
  size_t colon = file.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    char c = file[i];
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!(letter || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))) return false;
  }
  return true;
}

}  // namespace

ProcessHandle::~ProcessHandle() { Close(); }

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept { *this = std::move(other); }

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept {
  if (this == &other) return *this;
  Close();
  pid_ = other.pid_;
  pidfd_ = other.pidfd_;
  ended_ = other.ended_;
  exit_code_ = other.exit_code_;
  terminated_ = other.terminated_;
  termination_code_ = other.termination_code_;
  other.pid_ = 0;
  other.pidfd_ = -1;
  other.ended_ = false;
  other.exit_code_ = kStillActive;
  other.terminated_ = false;
  return *this;
}

ProcessHandle ProcessHandle::Adopt(int pid) {
  ProcessHandle handle;
  handle.pid_ = pid;
  handle.pidfd_ = OpenPidFd(pid);
  return handle;
}

bool ProcessHandle::Reap(bool block) {
  if (ended_ || pid_ <= 0) return true;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(pid_, &status, block ? 0 : WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r == 0) return false;
  ended_ = true;
  if (r < 0) {
    exit_code_ = -1;  // Someone else reaped it: the status is lost.
  } else if (terminated_ && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
    exit_code_ = termination_code_;
  } else {
    exit_code_ = DecodeStatus(status);
  }
  return true;
}

bool ProcessHandle::Wait(int timeout_ms) {
  if (ended_ || pid_ <= 0) return true;
  if (timeout_ms < 0) return Reap(true);
  if (pidfd_ >= 0) {
    WaitReadable(pidfd_, timeout_ms);
    return Reap(false);
  }
  // Without a pidfd: poll the child with a short, growing pause.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  auto pause = std::chrono::microseconds(200);
  while (!Reap(false)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(10)) pause *= 2;
  }
  return true;
}

bool ProcessHandle::Terminate(int exit_code) {
  if (pid_ <= 0 || Reap(false)) return false;
  // The child is not reaped yet, so its id cannot have been reused.
  if (kill(pid_, SIGKILL) != 0) return false;
  terminated_ = true;
  termination_code_ = exit_code;
  return true;
}

int ProcessHandle::ExitCode() {
  Reap(false);
  return exit_code_;
}

void ProcessHandle::Close() {
  if (pidfd_ >= 0) close(pidfd_);
  pidfd_ = -1;
  if (pid_ > 0 && !Reap(false)) {
    // Reap the child when it ends so that it does not stay a zombie.
    int pid = pid_;
    std::thread([pid] {
      int status;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  }
  pid_ = 0;
  ended_ = false;
  exit_code_ = kStillActive;
  terminated_ = false;
}

bool StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                  ProcessHandle* handle_out) {
  if (program.empty()) {
    t_last_error = ENOENT;
    return false;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The child starts with the default handling of the signals a host program
  // commonly changes, and with nothing blocked.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults, empty;
  sigemptyset(&empty);
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attributes, &empty);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  // Only the standard streams pass to the child: an installer or browser must
  // not keep the host's sockets and files open.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);

  pid_t pid = 0;
  int rc = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) {
    t_last_error = rc;
    return false;
  }
  t_last_error = 0;
  ProcessHandle handle = ProcessHandle::Adopt(pid);
  if (handle_out != nullptr) *handle_out = std::move(handle);
  return true;
}

bool StartCommandLine(const std::string& command_line, ProcessHandle* handle_out) {
  std::vector<std::string> items = SplitCommandLine(command_line);
  if (items.empty()) {
    t_last_error = ENOENT;
    return false;
  }
  std::string program = items.front();
  items.erase(items.begin());
  return StartProcess(program, items, handle_out);
}

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  std::vector<std::string> items;
  size_t i = 0;
  const size_t n = command_line.size();
  auto blank = [&](size_t k) { return command_line[k] == ' ' || command_line[k] == '\t'; };
  while (i < n) {
    while (i < n && blank(i)) ++i;
    if (i >= n) break;
    std::string item;
    bool quoted = false;
    while (i < n && (quoted || !blank(i))) {
      size_t backslashes = 0;
      while (i < n && command_line[i] == '\\') ++backslashes, ++i;
      if (i < n && command_line[i] == '"') {
        item.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          item += '"';
        } else if (quoted && i + 1 < n && command_line[i + 1] == '"') {
          item += '"';
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        item.append(backslashes, '\\');
        if (i < n && (quoted || !blank(i))) item += command_line[i++];
      }
    }
    items.push_back(std::move(item));
  }
  return items;
}

bool ShellOpen(const std::string& file, const std::string& parameters, bool show, ProcessHandle* handle_out) {
  (void)show;  // Programs here decide about their own windows.
  if (file.empty()) {
    t_last_error = ENOENT;
    return false;
  }
  if (IsUrl(file)) return StartProcess("xdg-open", {file}, handle_out);
  struct stat info {};
  if (stat(file.c_str(), &info) != 0) {
    // Like the original shell, a bare program name is also looked up in PATH.
    if (file.find('/') == std::string::npos)
      return StartProcess(file, SplitCommandLine(parameters), handle_out);
    t_last_error = errno;
    return false;
  }
  if (S_ISREG(info.st_mode) && access(file.c_str(), X_OK) == 0) {
    // A name without a folder means the file here, never one found in PATH.
    std::string program = file.find('/') == std::string::npos ? "./" + file : file;
    return StartProcess(program, SplitCommandLine(parameters), handle_out);
  }
  return StartProcess("xdg-open", {file}, handle_out);
}

int LastProcessError() { return t_last_error; }

int CurrentProcessId() { return static_cast<int>(getpid()); }

bool IsProcessRunning(int pid) {
  if (pid <= 0) return false;
  if (kill(pid, 0) != 0 && errno != EPERM) return false;
  // A zombie has ended; only its parent has not collected it yet. The state is
  // the field after the parenthesised command name, which may itself hold ')'.
  std::ifstream stat_file("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat_file, line)) return true;
  size_t close = line.rfind(')');
  if (close == std::string::npos || close + 2 >= line.size()) return true;
  return line[close + 2] != 'Z' && line[close + 2] != 'X';
}

}  // namespace platform
