// Choosing an album from the user's album list, as the album window does
// after every list answer.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "control/protocol/SpecialInfo.h"

namespace album_rules {

// The first album whose name equals `name` exactly, or none.
std::optional<size_t> FindAlbumByName(const std::vector<SpecialInfo>& albums, std::string_view name);

// The first album whose id equals `id`, or none.
std::optional<size_t> FindAlbumById(const std::vector<SpecialInfo>& albums, std::string_view id);

// The entry the album window selects: the one named like the last album
// chosen (or created) when there is one, else the first; none for an empty list.
std::optional<size_t> SelectAlbum(const std::vector<SpecialInfo>& albums, std::string_view lastAlbumName);

}  // namespace album_rules
