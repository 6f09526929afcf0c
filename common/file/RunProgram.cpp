#include "common/file/RunProgram.h"

namespace common {

bool RunProgram(const std::string& file, const std::string& parameters, platform::ProcessHandle* handle,
                bool show) {
  return platform::ShellOpen(file, parameters, show, handle);
}

}  // namespace common
