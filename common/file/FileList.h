// Listing the files of a folder, optionally with its sub-folders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace common {

// Appends "folder/name" for every file in the folder (walking sub-folders too
// when `recurse` is set) whose name ends with `ending`, without regard to
// letter case; an empty ending takes every file. Entries of one folder come in
// name order. Symbolic links to folders are not walked, so a link loop cannot
// trap the walk. Returns the number of paths appended, those found in
// sub-folders included; 0 for a folder that cannot be read.
int ListFiles(const std::string& folder, std::vector<std::string>* paths, bool recurse,
              std::string_view ending);

}  // namespace common
