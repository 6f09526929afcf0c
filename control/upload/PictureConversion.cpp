// Conversion of pictures into temporary JPEG files for upload.
#include "control/upload/PictureConversion.h"

#include <filesystem>
#include <system_error>

#include "codec/Picture.h"
#include "codec/psd/PsdReader.h"
#include "control/items/ImageItem.h"
#include "control/items/ItemPaths.h"
#include "control/upload/UploadPreparation.h"
#include "platform/imaging/JpegConversion.h"
#include "platform/system/SpecialFolders.h"

namespace upload {
namespace {

// Writes the fitted picture `fitted` of the given type as the JPEG `jpeg`;
// `source` is the picture's own file, `intermediate` the fitted copy in its
// own format (already written, except for WMF).
bool WriteJpeg(int type, Picture& fitted, const std::string& source, const std::string& intermediate,
               const std::string& jpeg) {
  switch (type) {
    case kImageTga:
    case kImagePcx:
      // The codec layer's own JPEG encoder, at its default quality.
      return fitted.SaveToFile(jpeg, kImageJpeg);
    case kImagePsd: {
      std::unique_ptr<Picture> bitmap = PsdReader::ReadFile(intermediate);
      return bitmap && platform::imaging::SaveBitmapAsJpeg(*bitmap, jpeg);
    }
    case kImageWmf:
      // The imaging library plays the metafile itself, at the metafile's own size.
      return platform::imaging::ConvertFileToJpeg(source, jpeg);
    default:
      return platform::imaging::ConvertFileToJpeg(intermediate, jpeg);
  }
}

}  // namespace

std::string ConversionPath(const std::string& path, const std::string& extension) {
  std::string folder = platform::TempFolder();
  if (folder.empty()) {
    size_t slash = path.find_last_of('/');
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  }
  std::string name = item_paths::FileNameOf(path);
  return folder + kTemporaryPrefix + name.substr(0, name.find('.')) + extension;
}

void ConversionSize(int width, int height, bool shrink, int* targetWidth, int* targetHeight) {
  *targetWidth = width;
  *targetHeight = height;
  int longer = width > height ? width : height;
  if (!shrink || longer <= 0) return;
  // Whole-number arithmetic, so that the longer side is exactly 900.
  *targetWidth = static_cast<int>(static_cast<int64_t>(width) * kLongestSide / longer);
  *targetHeight = static_cast<int>(static_cast<int64_t>(height) * kLongestSide / longer);
  if (*targetWidth < 1) *targetWidth = 1;
  if (*targetHeight < 1) *targetHeight = 1;
}

bool ConvertForUpload(CImageItem& item, Picture& picture, bool shrink) {
  const std::string source = item.Path();
  int type = item_paths::ImageTypeFromPath(source);
  if (type == kImageUnknown || !picture.HasPixels()) return false;
  std::string extension = item_paths::ExtensionOf(source);
  std::string intermediate = ConversionPath(source, extension);
  std::string jpeg = ConversionPath(source, ".jpg");

  int width = 0, height = 0;
  ConversionSize(picture.Width(), picture.Height(), shrink, &width, &height);
  Picture fitted;
  if (!picture.ShrinkOntoCanvas(width, height, CanvasColour{255, 255, 255}, &fitted)) return false;
  if (type != kImageWmf && !fitted.SaveToFile(intermediate, type)) return false;
  bool written = WriteJpeg(type, fitted, source, intermediate, jpeg);
  std::error_code error;
  // Nothing reads the intermediate copy again (for a ".jpg" it is the result itself).
  if (type != kImageWmf && intermediate != jpeg) std::filesystem::remove(intermediate, error);
  if (!written) {
    std::filesystem::remove(jpeg, error);
    return false;
  }
  item.SetSourcePath(source);
  item.SetPath(jpeg);
  return true;
}

}  // namespace upload
