#include "platform/system/ProfileDocument.h"

#include "platform/system/HiveDocument.h"

namespace platform {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

ProfileDocument::ProfileDocument(const std::string& text) {
  size_t start = 0;
  if (text.compare(0, 3, kBom) == 0) {
    has_bom_ = true;
    start = 3;
  }
  bool line_end_seen = false;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') {
      raw.pop_back();
      if (!line_end_seen) line_end_ = "\r\n";
    }
    if (end < text.size()) line_end_seen = true;
    lines_.push_back(Classify(std::move(raw)));
    start = end + 1;
  }
}

ProfileDocument::Line ProfileDocument::Classify(std::string raw) {
  Line line;
  line.raw = std::move(raw);
  std::string text = Trim(line.raw);
  if (text.empty() || text[0] == ';') return line;
  if (text[0] == '[') {
    size_t close = text.find(']');
    line.kind = Kind::kSection;
    line.name = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return line;
  }
  line.kind = Kind::kKey;
  size_t equals = text.find('=');
  line.name = Trim(text.substr(0, equals));
  if (equals != std::string::npos) line.value = Unquote(Trim(text.substr(equals + 1)));
  return line;
}

size_t ProfileDocument::FindSection(const std::string& section) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::kSection && HiveDocument::SameName(lines_[i].name, section)) return i;
  return std::string::npos;
}

size_t ProfileDocument::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kSection) ++i;
  return i;
}

size_t ProfileDocument::FindKey(size_t header, const std::string& key) const {
  for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
    if (lines_[i].kind == Kind::kKey && HiveDocument::SameName(lines_[i].name, key)) return i;
  return std::string::npos;
}

std::optional<std::string> ProfileDocument::Find(const std::string& section, const std::string& key) const {
  size_t header = FindSection(section);
  if (header == std::string::npos) return std::nullopt;
  size_t line = FindKey(header, key);
  if (line == std::string::npos) return std::nullopt;
  return lines_[line].value;
}

std::vector<std::string> ProfileDocument::SectionNames() const {
  std::vector<std::string> names;
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::kSection && FindSection(lines_[i].name) == i) names.push_back(lines_[i].name);
  return names;
}

std::vector<std::string> ProfileDocument::KeyNames(const std::string& section) const {
  std::vector<std::string> names;
  size_t header = FindSection(section);
  if (header == std::string::npos) return names;
  for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
    if (lines_[i].kind == Kind::kKey && !lines_[i].name.empty()) names.push_back(lines_[i].name);
  return names;
}

bool ProfileDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
  Line entry = Classify(key + "=" + value);
  size_t header = FindSection(section);
  if (header == std::string::npos) {
    lines_.push_back(Classify("[" + section + "]"));
    lines_.push_back(std::move(entry));
    return true;
  }
  size_t existing = FindKey(header, key);
  if (existing != std::string::npos) {
    if (lines_[existing].raw == entry.raw) return false;
    lines_[existing] = std::move(entry);
    return true;
  }
  // A new key goes after the section's last key, before blank lines or
  // comments that separate it from the next section.
  size_t insert = header + 1;
  for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
    if (lines_[i].kind == Kind::kKey) insert = i + 1;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), std::move(entry));
  return true;
}

bool ProfileDocument::RemoveKey(const std::string& section, const std::string& key) {
  size_t header = FindSection(section);
  if (header == std::string::npos) return false;
  size_t line = FindKey(header, key);
  if (line == std::string::npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
  return true;
}

bool ProfileDocument::RemoveSection(const std::string& section) {
  bool removed = false;
  for (size_t header = FindSection(section); header != std::string::npos; header = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
    removed = true;
  }
  return removed;
}

std::string ProfileDocument::Text() const {
  std::string text = has_bom_ ? kBom : "";
  for (const Line& line : lines_) text += line.raw + line_end_;
  return text;
}

}  // namespace platform
