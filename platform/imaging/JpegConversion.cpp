#include "platform/imaging/JpegConversion.h"

#include "codec/Picture.h"

namespace platform::imaging {
namespace {

// JPEG has no transparency: transparent parts are laid over white, as the
// thumbnails and the upload preparation show them, rather than keeping
// whatever colour happens to sit under a transparent pixel.
bool Flatten(Picture& picture) {
  if (!picture.HasAlpha() && picture.TransparentIndex() < 0) return true;
  return picture.ShrinkOntoCanvas(picture.Width(), picture.Height(), CanvasColour{255, 255, 255});
}

}  // namespace

bool ConvertFileToJpeg(const std::string& in, const std::string& out) {
  Picture picture;
  if (!picture.LoadFromFile(in, kImageUnknown) || !Flatten(picture)) return false;
  picture.SetJpegQuality(kDefaultJpegQuality);
  return picture.SaveToFile(out, kImageJpeg);
}

bool SaveBitmapAsJpeg(Picture& bitmap, const std::string& out) {
  if (!bitmap.HasPixels()) return false;
  if (bitmap.HasAlpha() || bitmap.TransparentIndex() >= 0) {
    Picture flat(bitmap);
    return Flatten(flat) && SaveBitmapAsJpeg(flat, out);
  }
  int quality = bitmap.JpegQuality();
  std::string error = bitmap.LastError();
  bitmap.SetJpegQuality(kDefaultJpegQuality);
  bool ok = bitmap.SaveToFile(out, kImageJpeg);
  bitmap.SetJpegQuality(quality);
  bitmap.SetError(error);
  return ok;
}

}  // namespace platform::imaging
