// The client version ("cliver") that requests carry: the file version of the
// loaded Tessel library itself.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace album_protocol {

// A version record as "major.minor.build.revision", or "0.0.0.0" without one.
std::string VersionText(const std::optional<std::array<std::uint32_t, 4>>& record);

// The file version of the library file this code was loaded from, read from
// disk anew on every call (an update may replace the file while it runs);
// "0.0.0.0" when the file has no version record.
std::string ClientVersion();

}  // namespace album_protocol
