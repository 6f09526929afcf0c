// The picture files of the service: what kind of picture a file holds, and
// writing a file so that a crash never leaves a half-written one behind.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace albumservice {

struct PictureKind {
  std::string mime;       // "image/jpeg"
  std::string extension;  // ".jpg"
};

// The kind of a JPEG, PNG, GIF or BMP file from its first bytes; nullopt for
// anything else.
std::optional<PictureKind> SniffPicture(std::string_view bytes);

// Writes bytes to a temporary file beside the target, flushes it to disk and
// renames it over the target; false (and no target) on any failure.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Reads a whole regular file of at most max_bytes; nullopt otherwise.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, size_t max_bytes);

}  // namespace albumservice
