#include "control/protocol/ClientVersion.h"

#include "platform/system/FileVersion.h"
#include "platform/system/Library.h"

namespace album_protocol {

std::string VersionText(const std::optional<std::array<std::uint32_t, 4>>& record) {
  if (!record) return "0.0.0.0";
  const auto& parts = *record;
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
         std::to_string(parts[3]);
}

std::string ClientVersion() {
  std::string path = platform::Library::PathOfAddress(reinterpret_cast<const void*>(&ClientVersion));
  if (path.empty()) return VersionText(std::nullopt);
  return VersionText(platform::ReadFileVersionRecord(path));
}

}  // namespace album_protocol
