#include "tools/album-service/testing/AlbumServiceProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace albumservice::testing {
namespace {

constexpr const char* kListening = "listening on http://127.0.0.1:";

std::vector<char*> ArgvOf(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return argv;
}

// Starts the binary with stdout on a new pipe; returns the pid and the read end.
pid_t SpawnWithPipe(std::vector<std::string> args, int& read_end) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  std::vector<char*> argv = ArgvOf(args);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    throw std::runtime_error("cannot start " + args[0] + ": " + std::to_string(rc));
  }
  read_end = fds[0];
  return pid;
}

// Waits for the child to end within the timeout; its exit status, or -1.
int WaitFor(pid_t pid, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() > deadline) return -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

std::string AlbumServiceProcess::BinaryPath() { return ALBUM_SERVICE_BINARY; }

AlbumServiceProcess::AlbumServiceProcess(AlbumServiceOptions options) : options_(std::move(options)) {
  if (options_.data_dir.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "album-service-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    data_dir_ = pattern;
    own_data_dir_ = true;
  } else {
    data_dir_ = options_.data_dir;
  }
  Start(0);
}

AlbumServiceProcess::~AlbumServiceProcess() {
  Stop();
  if (own_data_dir_) {
    std::error_code ignored;
    std::filesystem::remove_all(data_dir_, ignored);
  }
}

std::string AlbumServiceProcess::base_url() const { return "http://127.0.0.1:" + std::to_string(port_); }

void AlbumServiceProcess::Start(int port) {
  std::vector<std::string> args = {BinaryPath(), "--port", std::to_string(port), "--data",
                                   data_dir_.string()};
  if (options_.seed_demo) args.push_back("--seed-demo");
  args.insert(args.end(), options_.extra_args.begin(), options_.extra_args.end());
  int out = -1;
  pid_ = SpawnWithPipe(args, out);
  std::string text;
  auto deadline = std::chrono::steady_clock::now() + options_.start_timeout;
  while (text.find('\n') == std::string::npos) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd fd{out, POLLIN, 0};
    if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[256];
    ssize_t got = read(out, buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  close(out);
  size_t at = text.find(kListening);
  if (at == std::string::npos) {
    Stop();
    throw std::runtime_error("album-service did not start (printed: \"" + text + "\")");
  }
  port_ = std::atoi(text.c_str() + at + std::string(kListening).size());
}

int AlbumServiceProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = WaitFor(pid_, std::chrono::seconds(10));
  if (status == -2) {
    kill(pid_, SIGKILL);
    WaitFor(pid_, std::chrono::seconds(10));
    status = -1;
  }
  pid_ = -1;
  return status;
}

void AlbumServiceProcess::Restart() {
  int old_port = port_;
  Stop();
  try {
    Start(old_port);
  } catch (const std::runtime_error&) {
    Start(0);  // the old port was taken meanwhile
  }
}

std::string AlbumServiceProcess::RunTool(const std::vector<std::string>& extra) const {
  std::vector<std::string> args = {BinaryPath(), "--data", data_dir_.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  int out = -1;
  pid_t pid = SpawnWithPipe(args, out);
  std::string text;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(out, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(got));
  close(out);
  int status = WaitFor(pid, std::chrono::seconds(30));
  if (status != 0)
    throw std::runtime_error("album-service tool run failed with status " + std::to_string(status));
  return text;
}

bool AlbumServiceProcess::AddUser(const std::string& name, const std::string& password,
                                  const std::vector<std::string>& extra_args) const {
  std::vector<std::string> args = {"--add-user", name, password};
  args.insert(args.end(), extra_args.begin(), extra_args.end());
  try {
    RunTool(args);
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

}  // namespace albumservice::testing
