// Names of the files that belong to a picture item: its type from the file
// name, and the per-user thumbnail cache and edited-copy files named after it.
#pragma once

#include <string>

namespace item_paths {

// The picture type (ImageType of the codec layer) from the last extension of
// a path, without regard to case; 0 for anything the codecs do not read.
int ImageTypeFromPath(const std::string& path);

// The extension of a path as written, from its last '.' (empty without one).
std::string ExtensionOf(const std::string& path);

// The file name of a path: what follows its last '/'.
std::string FileNameOf(const std::string& path);

// The 40-digit lower-case SHA-1 name of a picture path. The digest is taken
// over the path's bytes in the product code page, as the cache always named
// its files; a path that has no exact code-page form is digested as UTF-8 so
// that two such paths never share one name.
std::string DigestName(const std::string& path);

// The per-user thumbnail cache folder ($XDG_DATA_HOME/JQMarlin/Thumbs); empty
// when the application data folder is unknown.
std::string ThumbnailFolder();
// The per-user folder of edited (rotated) copies ($XDG_DATA_HOME/JQMarlin/Temp).
std::string EditedCopyFolder();

// The cache file of a picture: folder, digest of the path, the path's own
// extension. Empty when the folder is unknown.
std::string ThumbnailCachePath(const std::string& path);
// The edited copy of a picture, named the same way in the edited-copy folder.
std::string EditedCopyPath(const std::string& path);

}  // namespace item_paths
