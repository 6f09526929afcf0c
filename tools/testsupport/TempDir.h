// Temporary folders for tests, removed with everything in them at scope exit.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "tessel-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of a file or folder inside this folder.
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // Writes a file inside this folder and returns its path.
  std::filesystem::path WriteFile(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// The folder that the test main pointed HOME and the XDG variables at.
const std::filesystem::path& IsolatedHome();

}  // namespace testsupport
