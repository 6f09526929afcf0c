#include "common/file/FileList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace common {
namespace {

namespace fs = std::filesystem;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending) {
  if (ending.size() > name.size()) return false;
  return std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

struct Entry {
  std::string name;
  bool folder;       // a real folder, walked when recursing
  bool folder_link;  // a symbolic link to a folder: neither walked nor listed
};

std::vector<Entry> ReadFolder(const std::string& folder) {
  std::vector<Entry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kind_ec;
    bool link = it->is_symlink(kind_ec);
    bool folder_kind = it->is_directory(kind_ec);
    entries.push_back({it->path().filename().string(), folder_kind && !link, folder_kind && link});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

}  // namespace

int ListFiles(const std::string& folder, std::vector<std::string>* paths, bool recurse,
              std::string_view ending) {
  int count = 0;
  for (const Entry& entry : ReadFolder(folder)) {
    std::string path = folder + "/" + entry.name;
    if (entry.folder) {
      if (recurse) count += ListFiles(path, paths, recurse, ending);
    } else if (!entry.folder_link && (ending.empty() || EndsWithIgnoringCase(entry.name, ending))) {
      paths->push_back(std::move(path));
      ++count;
    }
  }
  return count;
}

}  // namespace common
