// Runs the reference album service for a test: starts the built album-service
// binary on a free port of 127.0.0.1 with a fresh data folder (and, by
// default, the demonstration account demo/demo with two albums), waits for
// its "listening on" line, and stops it with SIGTERM at scope exit.
//
//   albumservice::testing::AlbumServiceProcess service;
//   std::string login = service.base_url() + "/apis/client/client_login.php?name=demo&pass=demo";
//
// Start-up problems throw std::runtime_error.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace albumservice::testing {

struct AlbumServiceOptions {
  // Create the account demo/demo with two albums.
  bool seed_demo = true;
  // More command-line options, e.g. {"--fault", "/interface/pic_upload.php:status=500"}.
  std::vector<std::string> extra_args;
  // Data folder to use; empty: a fresh temporary one, removed afterwards.
  std::filesystem::path data_dir;
  // How long to wait for the service to listen.
  std::chrono::milliseconds start_timeout{15000};
};

class AlbumServiceProcess {
 public:
  AlbumServiceProcess() : AlbumServiceProcess(AlbumServiceOptions{}) {}
  explicit AlbumServiceProcess(AlbumServiceOptions options);
  ~AlbumServiceProcess();
  AlbumServiceProcess(const AlbumServiceProcess&) = delete;
  AlbumServiceProcess& operator=(const AlbumServiceProcess&) = delete;

  // The path of the album-service binary this was built with.
  static std::string BinaryPath();

  int port() const { return port_; }
  // "http://127.0.0.1:PORT"
  std::string base_url() const;
  const std::filesystem::path& data_dir() const { return data_dir_; }
  bool running() const { return pid_ > 0; }

  // Creates or updates an account through "album-service --add-user" on the
  // same data folder (safe while the service runs); more options such as
  // "--inactive" or "--max-photo", "2" go in extra_args. True on success.
  bool AddUser(const std::string& name, const std::string& password,
               const std::vector<std::string>& extra_args = {}) const;
  // Runs album-service with these options on the same data folder and returns
  // what it printed on standard output (e.g. {"--list"}).
  std::string RunTool(const std::vector<std::string>& args) const;

  // Stops the service (SIGTERM, then SIGKILL after a few seconds); returns its
  // exit status (-1 when it had to be killed or was not running).
  int Stop();
  // Stops it and starts it again on the same data folder and, when it is
  // still free, the same port.
  void Restart();

 private:
  void Start(int port);

  AlbumServiceOptions options_;
  std::filesystem::path data_dir_;
  bool own_data_dir_ = false;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace albumservice::testing
