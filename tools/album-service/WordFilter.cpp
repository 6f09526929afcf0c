#include "tools/album-service/WordFilter.h"

#include <fstream>

#include "tools/album-service/TextCodec.h"

namespace albumservice {

std::vector<std::string> WordFilter::DefaultWords() {
  // "forbidden" for tests in ASCII, and two common refusals of a real service.
  return {"forbidden", "\xE8\xBF\x9D\xE7\xA6\x81", "\xE8\xB5\x8C\xE5\x8D\x9A"};  // 违禁, 赌博
}

bool WordFilter::LoadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::vector<std::string> words;
  std::string line;
  while (std::getline(in, line)) {
    std::string word = Trim(line);
    if (!word.empty() && word[0] != '#') words.push_back(AsciiLower(word));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  words_ = std::move(words);
  return true;
}

void WordFilter::Add(std::string_view word) {
  std::string clean = Trim(word);
  if (clean.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  words_.push_back(AsciiLower(clean));
}

std::optional<std::string> WordFilter::FindIn(std::string_view text) const {
  std::string lower = AsciiLower(text);
  std::lock_guard<std::mutex> lock(mutex_);
  for (const std::string& word : words_) {
    if (lower.find(word) != std::string::npos) return word;
  }
  return std::nullopt;
}

}  // namespace albumservice
