// The lines of one INI profile file, classified, with the edits that the
// profile functions make. Lines that are not touched by an edit are written
// back byte for byte.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

class ProfileDocument {
 public:
  // Splits `text` into lines (LF or CRLF; the first line end seen is used for
  // new lines) and classifies them.
  explicit ProfileDocument(const std::string& text);

  // The raw value of a key (trimmed, quotes removed), or nullopt.
  std::optional<std::string> Find(const std::string& section, const std::string& key) const;
  // Section names in order, each once.
  std::vector<std::string> SectionNames() const;
  // Key names of the first section with this name.
  std::vector<std::string> KeyNames(const std::string& section) const;

  // Sets a key, adding the section or the key when missing. False when nothing changed.
  bool Set(const std::string& section, const std::string& key, const std::string& value);
  // Removes the first matching key of the section. False when it was missing.
  bool RemoveKey(const std::string& section, const std::string& key);
  // Removes every section of this name with its lines. False when it was missing.
  bool RemoveSection(const std::string& section);

  // The file text after the edits.
  std::string Text() const;

 private:
  enum class Kind { kOther, kSection, kKey };
  struct Line {
    std::string raw;
    Kind kind = Kind::kOther;
    std::string name;   // Section or key name, trimmed.
    std::string value;  // Key value, trimmed, quotes removed.
  };

  static Line Classify(std::string raw);
  // Index of the first header of the section, or npos.
  size_t FindSection(const std::string& section) const;
  // One past the last line of the section that starts at `header`.
  size_t SectionEnd(size_t header) const;
  size_t FindKey(size_t header, const std::string& key) const;

  std::vector<Line> lines_;
  std::string line_end_ = "\n";
  bool has_bom_ = false;
};

}  // namespace platform
