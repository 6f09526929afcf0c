// Parses arbitrary bytes as a settings hive; whatever parses must survive a
// round trip through the file format unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/system/HiveDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  platform::HiveDocument first;
  size_t error_line = 0;
  if (!first.Parse(text, &error_line)) return 0;
  std::string written = first.Serialize();
  platform::HiveDocument second;
  if (!second.Parse(written, &error_line) || second.Serialize() != written) abort();
  return 0;
}
