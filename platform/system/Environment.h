// Environment variables of the process.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The value of a variable; nullopt when it is not set.
std::optional<std::string> FindEnv(const std::string& name);

// The value of a variable; empty when it is not set.
std::string GetEnv(const std::string& name);

// Sets a variable (replacing it). False for a name that cannot be a variable name.
bool SetEnv(const std::string& name, const std::string& value);

// Removes a variable. False for a name that cannot be a variable name.
bool UnsetEnv(const std::string& name);

}  // namespace platform
