#include "platform/system/Environment.h"

#include <stdlib.h>

namespace platform {
namespace {

bool ValidName(const std::string& name) {
  return !name.empty() && name.find('=') == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

// NOTE: the C library's environment is not guarded against concurrent change;
// set variables at start-up or in tests, before other threads read them.
std::optional<std::string> FindEnv(const std::string& name) {
  if (!ValidName(name)) return std::nullopt;
  const char* value = getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::string GetEnv(const std::string& name) { return FindEnv(name).value_or(std::string()); }

bool SetEnv(const std::string& name, const std::string& value) {
  return ValidName(name) && value.find('\0') == std::string::npos &&
         setenv(name.c_str(), value.c_str(), 1) == 0;
}

bool UnsetEnv(const std::string& name) { return ValidName(name) && unsetenv(name.c_str()) == 0; }

}  // namespace platform
