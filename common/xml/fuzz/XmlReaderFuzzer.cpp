// Fuzzes the XML reader: parses the input and walks every element depth-first,
// reading its name, text and a few attributes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/xml/CXmlReader.h"

namespace {

void Walk(CXmlReader& reader, int depth) {
  while (reader.FindNext()) {
    std::string name = reader.TagName();
    (void)reader.Text();
    (void)reader.Attribute("id");
    (void)reader.Attribute(name);
    (void)reader.Attribute("");
    // Deep documents are walked down to a bound so the fuzzer's own stack holds.
    if (depth < 2000 && reader.Enter()) {
      Walk(reader, depth + 1);
      reader.Leave();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CXmlReader reader;
  if (!reader.Parse(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  Walk(reader, 0);
  reader.Parse("<a/>");
  reader.FindNextChild("x");
  return 0;
}
