#include "tools/picture-tool/PictureCommands.h"

#include <algorithm>
#include <cstdint>

#include "codec/Picture.h"
#include "codec/PictureTypes.h"

namespace picture_tool {
namespace {

constexpr int kThumbnailBox = 83;

bool Load(Picture& picture, const std::string& path, std::ostream& err) {
  if (picture.LoadFromFile(path, PictureTypeFromExtension(path))) return true;
  err << path << ": " << picture.LastError() << "\n";
  return false;
}

bool Save(Picture& picture, const std::string& path, int type, std::ostream& err) {
  if (picture.SaveToFile(path, type)) return true;
  err << path << ": " << picture.LastError() << "\n";
  return false;
}

}  // namespace

Size ThumbnailSize(int width, int height) {
  if (width <= kThumbnailBox && height <= kThumbnailBox) return {width, height};
  // rw = width / 83 and rh = height / 83; the larger ratio decides. Integer
  // arithmetic gives the truncated results without rounding surprises.
  // NOTE: a very long, thin picture would get a side of 0; it keeps one pixel.
  if (static_cast<int64_t>(height) < width) {
    return {kThumbnailBox,
            std::max(1, static_cast<int>(static_cast<int64_t>(height) * kThumbnailBox / width))};
  }
  return {std::max(1, static_cast<int>(static_cast<int64_t>(width) * kThumbnailBox / height)), kThumbnailBox};
}

int Info(const std::string& path, std::ostream& out, std::ostream& err) {
  Picture picture;
  if (!Load(picture, path, err)) return 1;
  out << "type: " << PictureTypeName(picture.Type()) << "\n"
      << "width: " << picture.Width() << "\n"
      << "height: " << picture.Height() << "\n"
      << "bits per pixel: " << picture.BitsPerPixel() << (picture.HasAlpha() ? " + alpha" : "") << "\n";
  return 0;
}

int Convert(const std::string& in, const std::string& out_path, std::ostream& err) {
  Picture picture;
  if (!Load(picture, in, err)) return 1;
  return Save(picture, out_path, PictureTypeFromExtension(out_path), err) ? 0 : 1;
}

int Thumb(const std::string& in, const std::string& out_path, std::ostream& err) {
  // Decoded and fitted in one pass: large JPEG photographs are shrunk while
  // they decode.
  Picture picture;
  auto fit = [](int width, int height, int& canvas_width, int& canvas_height) {
    Size size = ThumbnailSize(width, height);
    canvas_width = size.width;
    canvas_height = size.height;
  };
  if (!picture.LoadOntoCanvas(in, PictureTypeFromExtension(in), fit, CanvasColour{255, 255, 255})) {
    err << in << ": " << picture.LastError() << "\n";
    return 1;
  }
  return Save(picture, out_path, kImagePng, err) ? 0 : 1;
}

}  // namespace picture_tool
