// Reads and edits arbitrary bytes as an INI profile; an edit must be readable
// back and must not disturb the other sections.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/system/ProfileDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  platform::ProfileDocument document(text);
  std::vector<std::string> sections = document.SectionNames();
  for (const std::string& s : sections) document.KeyNames(s);
  document.Set("Fuzz", "Key", "value");
  platform::ProfileDocument reread(document.Text());
  auto value = reread.Find("fuzz", "key");
  if (!value || *value != "value") abort();
  if (!sections.empty()) document.RemoveSection(sections.front());
  return 0;
}
