// The command line of tessel-upload.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessel_upload {

// How events are printed.
enum class OutputMode {
  kAuto,   // a live line on a terminal, else a line per picture
  kLines,  // a line per picture
  kJson,   // one JSON object per line per event
};

struct UploadOptions {
  std::string user;
  std::optional<std::string> password;
  bool passwordFromStdin = false;
  bool remember = false;

  bool listAlbums = false;
  bool showQuota = false;
  std::optional<std::string> albumName;
  std::optional<std::string> albumId;
  std::optional<std::string> createAlbum;
  std::string albumDescription;
  std::optional<std::string> albumPassword;
  std::string tags;
  bool keepOriginal = false;
  bool yes = false;

  OutputMode output = OutputMode::kAuto;
  // Base URL replacing the host part of every endpoint ("http://127.0.0.1:PORT").
  std::optional<std::string> service;
  bool help = false;
  bool version = false;

  std::vector<std::string> paths;
};

// Parses argv; false with an error text for unknown options, missing values
// and combinations that cannot work.
bool ParseOptions(int argc, const char* const* argv, UploadOptions* options, std::string* error);

// The usage text of --help.
extern const char* const kUsageText;

}  // namespace tessel_upload
