// The in-memory form of one settings hive file, and its text format.
//
// The file is meant to be read by a person:
//
//   # JQMarlin settings hive
//   [Software\VORO\Tessel]
//   AutoLogin=n:1
//   UserID=s:alice
//
// Each section is one key, named by its full path with '\' between the parts.
// Each value line is name=type:data with the type "s" (string) or "n" (32-bit
// number, decimal). The unnamed (default) value is written "@". Bytes that
// would break the format ('%', control bytes, '=' in names, ']' in key paths,
// and a leading '[', '#', ';' or '@' in names) are written as %XX. Blank lines
// and lines starting with '#' or ';' are comments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class HiveDocument {
 public:
  struct Value {
    std::string name;
    bool is_number = false;
    std::string text;
    uint32_t number = 0;
  };
  struct Key {
    std::string path;  // Canonical: parts joined by '\', no empty parts.
    std::vector<Value> values;
  };

  // Parses hive text. False for text that is not a hive; `error_line` then
  // holds the 1-based line at fault.
  bool Parse(const std::string& text, size_t* error_line);
  // The hive as text, keys in the order they were created.
  std::string Serialize() const;

  // The key with this path (compared without regard to ASCII letter case), or null.
  Key* FindKey(const std::string& path);
  const Key* FindKey(const std::string& path) const;
  // Finds or creates the key and all keys above it; true when anything was created.
  bool CreateKey(const std::string& path);
  // Removes the key and every key below it; false when it did not exist.
  bool DeleteKey(const std::string& path);

  // The value of a key with this name (ASCII letter case ignored), or null.
  static Value* FindValue(Key& key, const std::string& name);
  static const Value* FindValue(const Key& key, const std::string& name);

  // Canonical form of a key path: empty parts dropped. Empty for a path with no parts.
  static std::string CanonicalPath(const std::string& path);
  // Whether two names are equal without regard to ASCII letter case.
  static bool SameName(const std::string& a, const std::string& b);

 private:
  std::vector<Key> keys_;
};

}  // namespace platform
