#include "tools/album-service/PictureFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tools/album-service/Crypto.h"

namespace albumservice {
namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && bytes.substr(0, prefix.size()) == prefix;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

std::optional<PictureKind> SniffPicture(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xD8\xFF")) return PictureKind{"image/jpeg", ".jpg"};
  if (StartsWith(bytes, "\x89PNG\r\n\x1A\n")) return PictureKind{"image/png", ".png"};
  if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a")) return PictureKind{"image/gif", ".gif"};
  if (StartsWith(bytes, "BM") && bytes.size() > 26) return PictureKind{"image/bmp", ".bmp"};
  // Photoshop files go up as they are when the user keeps originals.
  if (StartsWith(bytes, "8BPS")) return PictureKind{"image/vnd.adobe.photoshop", ".psd"};
  return std::nullopt;
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
  std::filesystem::path temporary = target;
  temporary += ".tmp-" + RandomHex(4);
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself must reach the disk too.
  int dir = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, size_t max_bytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  auto size = std::filesystem::file_size(file, error);
  if (error || size > max_bytes) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<size_t>(in.gcount()) != bytes.size()) return std::nullopt;
  return bytes;
}

}  // namespace albumservice
