// The list of words the service refuses in tags, album names and album
// descriptions. Matching is by substring, ASCII letters without regard to case.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace albumservice {

// A thread-safe word list.
class WordFilter {
 public:
  // The list used when the data folder holds no word file.
  static std::vector<std::string> DefaultWords();

  // Replaces the list with the UTF-8 lines of a file ('#' starts a comment
  // line); false when the file cannot be read.
  bool LoadFile(const std::filesystem::path& file);
  // Adds one word (ignored when blank).
  void Add(std::string_view word);
  // The first listed word found in the text, if any.
  std::optional<std::string> FindIn(std::string_view text) const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> words_;  // lower-cased
};

}  // namespace albumservice
