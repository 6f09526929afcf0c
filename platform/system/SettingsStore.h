// The settings store that stands in for the original platform's registry.
//
// A hive is one text file (format in HiveDocument.h): the current user's hive
// lives in $XDG_CONFIG_HOME/JQMarlin (default ~/.config/JQMarlin), the machine
// hive in the folder named by TESSEL_MACHINE_SETTINGS_DIR, else the build
// setting buildconfig::kMachineSettingsDir. Keys are paths written with '\'
// ("Software\\VORO\\Tessel"); key and value names ignore ASCII letter case and
// keep the spelling they were created with. Values are strings (UTF-8) or
// 32-bit numbers.
//
// Every call reads the file anew, so store objects never hold stale data and
// any number of them (in any threads or processes) may share a hive. Writes
// lock the file, re-read it, change it and replace it atomically, so that
// concurrent writers lose nothing. A hive file that cannot be parsed is
// reported as kCorrupt and is never overwritten.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system/SettingsStatus.h"

namespace platform {

// The roots of the original platform's registry that the product uses.
enum class SettingsHive {
  kCurrentUser,
  kLocalMachine,
  // Class registrations: the machine hive's key "Software\\Classes".
  kClassesRoot,
};

class SettingsStore {
 public:
  // A store over the hive file at `file`; keys are used below `key_prefix`.
  explicit SettingsStore(std::string file, std::string key_prefix = "");

  // The store of one of the standard hives, with its file resolved from the
  // environment now.
  static SettingsStore ForHive(SettingsHive hive);
  // The file that holds a standard hive; empty for the user's hive when there
  // is no home folder (every call then fails with kIoError).
  static std::string HiveFilePath(SettingsHive hive);

  // The hive file of this store.
  const std::string& file() const { return file_; }

  // Creates the key and the keys above it; kOk also when it existed.
  SettingsStatus CreateKey(const std::string& key) const;
  // kOk when the key exists, kKeyNotFound when it does not.
  SettingsStatus OpenKey(const std::string& key) const;
  // Removes the key with all its values and every key below it.
  SettingsStatus DeleteKey(const std::string& key) const;

  // Reads a string value. With `max_bytes` > 0 the value must fit a buffer of
  // that many bytes including a terminating zero (so at most max_bytes - 1
  // bytes of UTF-8), else kMoreData and `value` is left unchanged.
  SettingsStatus ReadString(const std::string& key, const std::string& name, std::string* value,
                            size_t max_bytes = 0) const;
  // Reads a 32-bit number value.
  SettingsStatus ReadNumber(const std::string& key, const std::string& name, uint32_t* value) const;
  // Writes a string value into an existing key (kKeyNotFound otherwise),
  // replacing a value of the same name of either type.
  SettingsStatus WriteString(const std::string& key, const std::string& name, const std::string& value) const;
  // Writes a 32-bit number value into an existing key.
  SettingsStatus WriteNumber(const std::string& key, const std::string& name, uint32_t value) const;
  // Removes one value; kValueNotFound when the key exists without it.
  SettingsStatus DeleteValue(const std::string& key, const std::string& name) const;

 private:
  SettingsStatus Load(class HiveDocument* hive) const;
  SettingsStatus LoadValue(const std::string& key, const std::string& name, bool* is_number,
                           std::string* text, uint32_t* number) const;
  std::string FullPath(const std::string& key) const;
  SettingsStatus WriteValue(const std::string& key, const std::string& name, bool is_number,
                            const std::string& text, uint32_t number) const;

  std::string file_;
  std::string key_prefix_;
  unsigned file_mode_;
};

}  // namespace platform
