#include "platform/system/HiveDocument.h"

#include <algorithm>

namespace platform {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool NeedsEscape(unsigned char c, bool first, bool in_name, bool in_path) {
  if (c == '%' || c < 0x20 || c == 0x7F) return true;
  if (in_name && (c == '=' || (first && (c == '[' || c == '#' || c == ';' || c == '@' || c == ' '))))
    return true;
  if (in_path && (c == ']' || (first && c == ' '))) return true;
  return false;
}

std::string Escape(const std::string& raw, bool in_name, bool in_path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(raw[i]);
    if (NeedsEscape(c, i == 0, in_name, in_path)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(const std::string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    int high = HexDigit(text[i + 1]);
    int low = HexDigit(text[i + 2]);
    if (high < 0 || low < 0) return false;
    *out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

bool ParseNumber(const std::string& text, uint32_t* number) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFu) return false;
  *number = static_cast<uint32_t>(value);
  return true;
}

// Parses "name=type:data" into a value.
bool ParseValueLine(const std::string& line, HiveDocument::Value* value) {
  size_t equals = line.find('=');
  if (equals == std::string::npos || equals + 2 >= line.size() || line[equals + 2] != ':') return false;
  std::string name = line.substr(0, equals);
  if (name == "@") {
    value->name.clear();
  } else if (name.empty() || !Unescape(name, &value->name)) {
    return false;
  }
  char type = line[equals + 1];
  std::string data = line.substr(equals + 3);
  if (type == 's') {
    value->is_number = false;
    return Unescape(data, &value->text);
  }
  if (type == 'n') {
    value->is_number = true;
    return ParseNumber(data, &value->number);
  }
  return false;
}

bool IsBelow(const std::string& path, const std::string& ancestor) {
  return path.size() > ancestor.size() && path[ancestor.size()] == '\\' &&
         HiveDocument::SameName(path.substr(0, ancestor.size()), ancestor);
}

}  // namespace

bool HiveDocument::SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string HiveDocument::CanonicalPath(const std::string& path) {
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) {
      if (!out.empty()) out += '\\';
      out.append(path, start, end - start);
    }
    start = end + 1;
  }
  return out;
}

bool HiveDocument::Parse(const std::string& text, size_t* error_line) {
  keys_.clear();
  Key* current = nullptr;
  size_t line_number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    *error_line = line_number;
    if (line.find('\0') != std::string::npos) return false;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      std::string path;
      if (line.back() != ']' || !Unescape(line.substr(1, line.size() - 2), &path)) return false;
      path = CanonicalPath(path);
      CreateKey(path);
      current = FindKey(path);
      continue;
    }
    Value value;
    if (current == nullptr || !ParseValueLine(line, &value)) return false;
    // A name written twice (by a hand edit) keeps the later line, as a re-write would.
    if (Value* existing = FindValue(*current, value.name)) {
      *existing = std::move(value);
    } else {
      current->values.push_back(std::move(value));
    }
  }
  *error_line = 0;
  return true;
}

std::string HiveDocument::Serialize() const {
  std::string out = "# JQMarlin settings hive: [key path], then name=s:text or name=n:number\n";
  for (const Key& key : keys_) {
    out += "\n[" + Escape(key.path, false, true) + "]\n";
    for (const Value& value : key.values) {
      out += value.name.empty() ? std::string("@") : Escape(value.name, true, false);
      out +=
          value.is_number ? "=n:" + std::to_string(value.number) : "=s:" + Escape(value.text, false, false);
      out += '\n';
    }
  }
  return out;
}

HiveDocument::Key* HiveDocument::FindKey(const std::string& path) {
  for (Key& key : keys_)
    if (SameName(key.path, path)) return &key;
  return nullptr;
}

const HiveDocument::Key* HiveDocument::FindKey(const std::string& path) const {
  return const_cast<HiveDocument*>(this)->FindKey(path);
}

bool HiveDocument::CreateKey(const std::string& path) {
  bool created = false;
  size_t end = 0;
  do {
    end = path.find('\\', end + 1);
    std::string prefix = path.substr(0, end);
    if (FindKey(prefix) == nullptr) {
      keys_.push_back(Key{prefix, {}});
      created = true;
    }
  } while (end != std::string::npos);
  return created;
}

bool HiveDocument::DeleteKey(const std::string& path) {
  if (FindKey(path) == nullptr) return false;
  std::erase_if(keys_, [&](const Key& key) { return SameName(key.path, path) || IsBelow(key.path, path); });
  return true;
}

HiveDocument::Value* HiveDocument::FindValue(Key& key, const std::string& name) {
  for (Value& value : key.values)
    if (SameName(value.name, name)) return &value;
  return nullptr;
}

const HiveDocument::Value* HiveDocument::FindValue(const Key& key, const std::string& name) {
  return FindValue(const_cast<Key&>(key), name);
}

}  // namespace platform
