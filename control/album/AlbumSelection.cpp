#include "control/album/AlbumSelection.h"

namespace album_rules {

std::optional<size_t> FindAlbumByName(const std::vector<SpecialInfo>& albums, std::string_view name) {
  for (size_t i = 0; i < albums.size(); ++i) {
    if (albums[i].name == name) return i;
  }
  return std::nullopt;
}

std::optional<size_t> FindAlbumById(const std::vector<SpecialInfo>& albums, std::string_view id) {
  for (size_t i = 0; i < albums.size(); ++i) {
    if (albums[i].id == id) return i;
  }
  return std::nullopt;
}

std::optional<size_t> SelectAlbum(const std::vector<SpecialInfo>& albums, std::string_view lastAlbumName) {
  if (albums.empty()) return std::nullopt;
  if (!lastAlbumName.empty()) {
    if (std::optional<size_t> named = FindAlbumByName(albums, lastAlbumName)) return named;
  }
  return 0;
}

}  // namespace album_rules
