// File names of picture items.
#include "control/items/ItemPaths.h"

#include "codec/PictureTypes.h"
#include "common/crypto/Sha1.h"
#include "platform/system/CodePage.h"
#include "platform/system/SpecialFolders.h"

namespace item_paths {
namespace {

std::string SubFolder(const char* name) {
  std::string base = platform::ProductUserFolder();
  return base.empty() ? std::string() : base + "/" + name;
}

std::string NamedIn(const std::string& folder, const std::string& path) {
  if (folder.empty()) return std::string();
  return folder + "/" + DigestName(path) + ExtensionOf(path);
}

}  // namespace

int ImageTypeFromPath(const std::string& path) { return PictureTypeFromExtension(path); }

std::string ExtensionOf(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return path.substr(dot);
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DigestName(const std::string& path) {
  std::string gbk = platform::Utf8ToGbk(path);
  // NOTE: characters without a GBK form all become '?', which would give
  // different pictures one cache file; such paths keep their own bytes.
  bool exact = platform::GbkToUtf8(gbk) == path;
  return common::Sha1Hex(exact ? gbk : path);
}

std::string ThumbnailFolder() { return SubFolder("Thumbs"); }

std::string EditedCopyFolder() { return SubFolder("Temp"); }

std::string ThumbnailCachePath(const std::string& path) { return NamedIn(ThumbnailFolder(), path); }

std::string EditedCopyPath(const std::string& path) { return NamedIn(EditedCopyFolder(), path); }

}  // namespace item_paths
