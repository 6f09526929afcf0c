// Which files of a folder the folder view lists as pictures: the accepted
// extensions, the size limits, and the keep-original rule (only pictures the
// service takes unchanged are listed while "保留原图" is on).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace folder_browse {

// A file larger than this is never listed (100 MiB).
inline constexpr uint64_t kMaxListedBytes = 104857600;
// With keep-original on, a file larger than this is not listed (5 MiB).
inline constexpr uint64_t kMaxKeepOriginalBytes = 5242880;

// The extension from the last '.' of the file name, in lower case (empty without one).
std::string LowerExtension(std::string_view path);

// Whether the extension is one the folder view lists; with keep-original only
// ".jpg", ".png" and ".gif" are.
bool IsAcceptedExtension(std::string_view path, bool keepOriginal);

// Whether a file of that name and size is listed.
bool IsListedPicture(std::string_view path, uint64_t bytes, bool keepOriginal);

// Why a file is not listed.
enum class ListingVerdict { kListed, kWrongExtension, kTooLarge, kUnreadable };

// Checks one file on disk: its extension, then its size (a file that cannot be
// opened, or is no regular file, is unreadable).
ListingVerdict CheckPictureFile(const std::string& path, bool keepOriginal);

// The pictures directly in a folder (not recursive), as full paths sorted by
// name; a folder that cannot be read lists nothing.
std::vector<std::string> ListFolderPictures(const std::string& folder, bool keepOriginal);

}  // namespace folder_browse
