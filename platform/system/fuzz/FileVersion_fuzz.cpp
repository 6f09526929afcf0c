// Reads the version record of arbitrary bytes written to a file.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "platform/system/FileVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::string path = [] {
    std::string pattern = "/tmp/fuzz-elf-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd >= 0) close(fd);
    return pattern;
  }();
  FILE* out = fopen(path.c_str(), "wb");
  if (out == nullptr) return 0;
  fwrite(data, 1, size, out);
  fclose(out);
  platform::ReadFileVersionRecord(path);
  return 0;
}
