// Starting a program, document or address through the shell's "open" verb.
#pragma once

#include <string>

#include "platform/system/Process.h"

namespace common {

// Opens `file` with `parameters`, shown or hidden by `show`. The process handle
// goes to *handle when one is given, otherwise it is closed at once. False
// when the shell could not start anything.
bool RunProgram(const std::string& file, const std::string& parameters, platform::ProcessHandle* handle,
                bool show);

}  // namespace common
