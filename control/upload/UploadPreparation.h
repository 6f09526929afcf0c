// Preparation of one picture for upload, on the interface thread: decides
// whether the picture goes up as it is or as a temporary JPEG, converts it
// when needed and builds the upload and registration URLs.
#pragma once

#include <cstdint>
#include <string>

class CImageItem;
class CSessionState;

namespace upload {

// Pictures above this many bytes are always converted.
inline constexpr uint64_t kConvertAboveBytes = 5242880;
// Converted pictures whose longer side exceeds this are shrunk to it.
inline constexpr int kLongestSide = 900;

// What the batch gives every picture of it.
struct UploadBatch {
  std::string albumId;
  // The tag text as typed (empty: no tags).
  std::string tags;
  // The quota panel's "保留原图" box: upload pictures at full size.
  bool keepOriginal = false;
};

// How one picture goes up.
enum class UploadForm {
  kAsIs,           // the file as it is
  kConvert,        // a JPEG of the same size
  kConvertShrunk,  // a JPEG whose longer side is 900 pixels (it was longer)
};

// The rules in their order: size first, then the keep-original box, then the
// extension. `type` is the picture type from the extension.
UploadForm DecideUploadForm(uint64_t fileBytes, bool keepOriginal, int type, int width, int height);

// The request URLs of a prepared picture.
struct PreparedUpload {
  std::string uploadUrl;
  std::string registrationUrl;
};

// Prepares the item: converts it when the rules say so (the item then records
// its source path and points at the temporary JPEG) and builds both URLs.
// Returns 0, or -1 (nothing changed) when the picture cannot be read.
int PrepareUpload(CImageItem& item, const UploadBatch& batch, const CSessionState& session,
                  PreparedUpload* prepared);

}  // namespace upload
