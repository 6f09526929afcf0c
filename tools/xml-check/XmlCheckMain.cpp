// xml-check FILE...: prints "<file>: ok <root tag name>" or "<file>: <error>"
// for each file; exits with 0 when every file is a well-formed document.
#include <cstdio>
#include <string>

#include "common/xml/CXmlReader.h"

namespace {

// Loads one file and prints its line; true when it parsed.
bool CheckFile(const char* path) {
  CXmlReader reader;
  if (reader.LoadFile(path) && reader.FindNext()) {
    std::printf("%s: ok %s\n", path, reader.TagName().c_str());
    return true;
  }
  std::printf("%s: %s\n", path, reader.LastError().c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: xml-check FILE...\n");
    return 2;
  }
  bool all_ok = true;
  for (int i = 1; i < argc; ++i) all_ok = CheckFile(argv[i]) && all_ok;
  return all_ok ? 0 : 1;
}
