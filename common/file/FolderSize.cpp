#include "common/file/FolderSize.h"

#include <filesystem>
#include <system_error>

namespace common {
namespace {

namespace fs = std::filesystem;

void AddFile(const fs::path& path, uint64_t* total_bytes, uint64_t* file_count) {
  std::error_code ec;
  if (fs::is_regular_file(path, ec)) {
    uintmax_t size = fs::file_size(path, ec);
    if (!ec) *total_bytes += size;
  }
  ++*file_count;
}

bool WalkFolder(const fs::path& folder, uint64_t* total_bytes, uint64_t* file_count) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return false;
  for (fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return false;
    std::error_code kind_ec;
    if (it->is_directory(kind_ec) && !it->is_symlink(kind_ec)) {
      // A sub-folder that cannot be read adds nothing but does not spoil the rest.
      WalkFolder(it->path(), total_bytes, file_count);
    } else {
      AddFile(it->path(), total_bytes, file_count);
    }
  }
  return !ec;
}

}  // namespace

bool FolderSize(const std::string& path, uint64_t* total_bytes, uint64_t* file_count) {
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) return false;
  if (!fs::is_directory(status)) {
    AddFile(path, total_bytes, file_count);
    return true;
  }
  return WalkFolder(path, total_bytes, file_count);
}

}  // namespace common
