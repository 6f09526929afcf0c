// Result codes of the settings store. The numbers follow the original
// platform's error numbers where one fits, so that code ported from it can keep
// comparing against 0 for success; unlike there, a missing key and a missing
// value are told apart.
#pragma once

namespace platform {

enum class SettingsStatus : int {
  kOk = 0,
  kKeyNotFound = 2,       // The key does not exist.
  kAccessDenied = 5,      // The hive may not be written (or read).
  kTypeMismatch = 13,     // The value exists with the other type (string vs number).
  kInvalidName = 87,      // An empty key path, or a name holding a NUL byte.
  kMoreData = 234,        // The string value does not fit the caller's limit.
  kValueNotFound = 1168,  // The key exists, the value does not.
  kCorrupt = 1392,        // The hive file cannot be parsed; nothing was changed.
  kIoError = 1117,        // Reading or writing the hive file failed.
};

// A short English name of a status, for traces and test output.
const char* SettingsStatusName(SettingsStatus status);

}  // namespace platform
