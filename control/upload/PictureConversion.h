// The conversion of a picture into a temporary JPEG for upload, named
// "_tmptrans_<name>.jpg" in the system's temporary folder.
#pragma once

#include <string>

class CImageItem;
class Picture;

namespace upload {

// The prefix of every temporary file the conversion makes.
inline constexpr const char* kTemporaryPrefix = "_tmptrans_";

// The file the conversion of `path` writes: temporary folder (the picture's
// own folder when there is none), the prefix, the file name up to its first
// '.', then `extension` (".jpg" for the result, the picture's own for the
// intermediate copy).
std::string ConversionPath(const std::string& path, const std::string& extension);

// The size a picture gets: its own, or with `shrink` both sides scaled so
// that the longer side is exactly 900 pixels when it was longer.
void ConversionSize(int width, int height, bool shrink, int* targetWidth, int* targetHeight);

// Converts the item's picture (already decoded as `picture`, which is left as it is) into a JPEG and
// points the item at it, keeping its source path. False, with the item
// unchanged, when any step fails: the picture then goes up as it is.
bool ConvertForUpload(CImageItem& item, Picture& picture, bool shrink);

}  // namespace upload
