// picture-tool: the codec layer on the command line.
//   picture-tool info FILE        detected type, size and depth
//   picture-tool convert IN OUT   re-encode by the output's extension
//   picture-tool thumb IN OUT     the 83 × 83-fitted thumbnail, as PNG
// Exit status: 0 success, 1 failure (with the error text), 2 usage.
#include <iostream>
#include <string>

#include "tools/picture-tool/PictureCommands.h"

namespace {

int Usage() {
  std::cerr << "usage: picture-tool info FILE\n"
               "       picture-tool convert IN OUT\n"
               "       picture-tool thumb IN OUT\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  if (command == "info" && argc == 3) return picture_tool::Info(argv[2], std::cout, std::cerr);
  if (command == "convert" && argc == 4) return picture_tool::Convert(argv[2], argv[3], std::cerr);
  if (command == "thumb" && argc == 4) return picture_tool::Thumb(argv[2], argv[3], std::cerr);
  return Usage();
}
