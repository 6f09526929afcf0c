// Measuring the bytes and files below a path.
#pragma once

#include <cstdint>
#include <string>

namespace common {

// Adds the size and count of the files below `path` to *total_bytes and
// *file_count (a file alone counts as one file of its size). Symbolic links to
// folders are counted as files of size 0 rather than walked. The process's
// current folder is not touched, so this may run on any thread. False when the
// path does not exist or the folder cannot be read.
bool FolderSize(const std::string& path, uint64_t* total_bytes, uint64_t* file_count);

}  // namespace common
