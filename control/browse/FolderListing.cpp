#include "control/browse/FolderListing.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace folder_browse {
namespace {

constexpr std::string_view kAccepted[] = {".bmp", ".jpg", ".jpeg", ".png", ".gif", ".tga", ".pcx", ".psd"};
constexpr std::string_view kKeptUnchanged[] = {".jpg", ".png", ".gif"};

template <size_t N>
bool Contains(const std::string_view (&list)[N], std::string_view value) {
  return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

// The size of a regular file that can be opened for reading, or -1.
int64_t ReadableFileSize(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return -1;
  std::ifstream file(path, std::ios::binary);
  if (!file) return -1;
  uint64_t size = std::filesystem::file_size(path, error);
  if (error) return -1;
  return static_cast<int64_t>(size);
}

}  // namespace

std::string LowerExtension(std::string_view path) {
  size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return std::string();
  std::string extension(name.substr(dot));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

bool IsAcceptedExtension(std::string_view path, bool keepOriginal) {
  std::string extension = LowerExtension(path);
  return keepOriginal ? Contains(kKeptUnchanged, extension) : Contains(kAccepted, extension);
}

bool IsListedPicture(std::string_view path, uint64_t bytes, bool keepOriginal) {
  if (!IsAcceptedExtension(path, keepOriginal)) return false;
  if (bytes > kMaxListedBytes) return false;
  return !(keepOriginal && bytes > kMaxKeepOriginalBytes);
}

ListingVerdict CheckPictureFile(const std::string& path, bool keepOriginal) {
  if (!IsAcceptedExtension(path, keepOriginal)) return ListingVerdict::kWrongExtension;
  int64_t size = ReadableFileSize(path);
  if (size < 0) return ListingVerdict::kUnreadable;
  return IsListedPicture(path, static_cast<uint64_t>(size), keepOriginal) ? ListingVerdict::kListed
                                                                          : ListingVerdict::kTooLarge;
}

std::vector<std::string> ListFolderPictures(const std::string& folder, bool keepOriginal) {
  std::vector<std::string> pictures;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) return pictures;
  for (const std::filesystem::directory_entry& entry : it) {
    std::string path = entry.path().string();
    if (CheckPictureFile(path, keepOriginal) == ListingVerdict::kListed) pictures.push_back(path);
  }
  std::sort(pictures.begin(), pictures.end());
  return pictures;
}

}  // namespace folder_browse
