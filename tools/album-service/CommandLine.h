// The command line of album-service.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/album-service/AlbumStore.h"

namespace albumservice {

struct CommandLine {
  std::optional<int> port;
  std::filesystem::path data_dir;
  bool seed_demo = false;
  std::optional<UserSpec> add_user;
  bool list_inventory = false;
  bool help = false;
  std::vector<std::string> forbidden_words;
  std::vector<std::string> faults;
  std::optional<std::string> offered_version;
  std::optional<long long> host_patch_number;
  std::optional<size_t> max_body_kb;

  // Parses argv; false with an error text for unknown options or bad values.
  bool Parse(int argc, const char* const* argv, std::string& error);

 private:
  // Checks the combination of options once all are read.
  bool Check(const UserSpec& limits, std::string& error);
};

// The usage text printed by --help and after a command-line error.
extern const char* const kUsage;

}  // namespace albumservice
