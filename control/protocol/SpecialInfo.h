// One album of the user's album list.
#pragma once

#include <string>

struct SpecialInfo {
  // The album id, kept as the service wrote it.
  std::string id;
  // The album name, decoded.
  std::string name;
};
