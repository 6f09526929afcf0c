#include "platform/system/ProfileFile.h"

#include <climits>
#include <filesystem>

#include "platform/system/HiveDocument.h"
#include "platform/system/LockedFileUpdate.h"
#include "platform/system/ProfileDocument.h"

namespace platform {
namespace {

// Profile files are small; a larger file is refused rather than read.
constexpr size_t kMaxProfileBytes = 16u << 20;

// The existing file whose name matches the last part of `path` without regard
// to ASCII letter case, else `path` itself.
std::string ResolveName(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path wanted(path);
  if (fs::exists(wanted, error)) return path;
  fs::path folder = wanted.parent_path().empty() ? fs::path(".") : wanted.parent_path();
  std::string leaf = wanted.filename().string();
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (HiveDocument::SameName(name, leaf)) return (wanted.parent_path() / name).string();
  }
  return path;
}

bool Load(const std::string& file, std::string* text) {
  bool missing = false;
  return ReadSmallFile(ResolveName(file), kMaxProfileBytes, text, &missing);
}

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 character.
std::string Truncate(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut);
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

bool Edit(const std::string& file, const std::function<bool(ProfileDocument&)>& change) {
  UpdateOutcome outcome =
      LockedFileUpdate(ResolveName(file), 0644, kMaxProfileBytes, [&](std::string& text, bool) {
        ProfileDocument document(text);
        if (!change(document)) return EditDecision::kUnchanged;
        text = document.Text();
        return EditDecision::kWrite;
      });
  return outcome == UpdateOutcome::kDone;
}

}  // namespace

size_t ReadProfileString(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& default_value, std::string* value, size_t buffer_size) {
  value->clear();
  if (buffer_size == 0) return 0;
  std::string text;
  std::optional<std::string> found;
  if (Load(file, &text)) found = ProfileDocument(text).Find(section, key);
  if (!found) {
    found = default_value;
    found->erase(found->find_last_not_of(" \t") + 1);
  }
  *value = Truncate(*found, buffer_size - 1);
  return value->size();
}

int ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                   int default_value) {
  std::string text;
  std::optional<std::string> found;
  if (Load(file, &text)) found = ProfileDocument(text).Find(section, key);
  if (!found || found->empty()) return default_value;
  size_t i = found->find_first_not_of(" \t");
  if (i == std::string::npos) return default_value;
  bool negative = (*found)[i] == '-';
  if ((*found)[i] == '-' || (*found)[i] == '+') ++i;
  long long number = 0;
  for (; i < found->size() && (*found)[i] >= '0' && (*found)[i] <= '9'; ++i) {
    number = number * 10 + ((*found)[i] - '0');
    if (number > static_cast<long long>(INT_MAX) + 1) break;  // Clamped below.
  }
  if (negative) number = -number;
  if (number > INT_MAX) return INT_MAX;
  if (number < INT_MIN) return INT_MIN;
  return static_cast<int>(number);
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
  // Such names would turn into other lines when read back.
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  if (section.find(']') != std::string::npos || key.find('=') != std::string::npos) return false;
  std::string trimmed_key = key.substr(0, key.find_last_not_of(" \t") + 1);
  trimmed_key.erase(0, trimmed_key.find_first_not_of(" \t"));
  if (trimmed_key.empty() || trimmed_key[0] == ';' || trimmed_key[0] == '[') return false;
  return Edit(file, [&](ProfileDocument& document) { return document.Set(section, trimmed_key, value); });
}

bool DeleteProfileKey(const std::string& file, const std::string& section, const std::string& key) {
  return Edit(file, [&](ProfileDocument& document) { return document.RemoveKey(section, key); });
}

bool DeleteProfileSection(const std::string& file, const std::string& section) {
  return Edit(file, [&](ProfileDocument& document) { return document.RemoveSection(section); });
}

std::vector<std::string> ReadProfileSectionNames(const std::string& file) {
  std::string text;
  if (!Load(file, &text)) return {};
  return ProfileDocument(text).SectionNames();
}

std::string ReadFirstProfileSectionName(const std::string& file, size_t buffer_size) {
  std::vector<std::string> names = ReadProfileSectionNames(file);
  if (names.empty()) return std::string();
  return buffer_size > 0 ? Truncate(names.front(), buffer_size - 1) : names.front();
}

std::vector<std::string> ReadProfileKeyNames(const std::string& file, const std::string& section) {
  std::string text;
  if (!Load(file, &text)) return {};
  return ProfileDocument(text).KeyNames(section);
}

}  // namespace platform
