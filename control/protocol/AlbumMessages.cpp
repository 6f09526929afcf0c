#include "control/protocol/AlbumMessages.h"

namespace album_protocol {

std::string FormatServiceMessage(std::string_view format, std::string_view message) {
  std::string text(format);
  size_t slot = text.find("%s");
  if (slot != std::string::npos) text.replace(slot, 2, message);
  return text;
}

}  // namespace album_protocol
