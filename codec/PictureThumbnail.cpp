// Picture::LoadOntoCanvas: decoding and fitting onto a canvas in one pass.
#include "codec/Picture.h"
#include "codec/ShrinkingRowSink.h"
#include "codec/StdioPictureFile.h"
#include "codec/jpeg/JpegCodec.h"

bool Picture::LoadOntoCanvas(const std::string& path, int type, const CanvasFit& fit, CanvasColour canvas,
                             int* source_width, int* source_height) {
  int decoded_width = 0, decoded_height = 0;
  CanvasFit remember = [&](int width, int height, int& canvas_width, int& canvas_height) {
    decoded_width = width;
    decoded_height = height;
    fit(width, height, canvas_width, canvas_height);
  };
  bool done = false;
  if (type == kImageJpeg) {
    auto file = StdioPictureFile::Open(path, "rb");
    JpegCodec codec;
    ShrinkingRowSink sink(remember, canvas);
    if (file && codec.DecodeRows(*file, sink) && sink.Complete()) {
      Picture& result = sink.Result();
      result.SetType(kImageJpeg);
      result.SetDpi(codec.XDpi(), codec.YDpi());
      result.SetJpegQuality(jpeg_quality_);
      Swap(result);
      done = true;
    }
  }
  // Everything else (and a file that is not the JPEG its name says) takes the
  // whole-picture road, with its fall-back to detection.
  if (!done) {
    if (!LoadFromFile(path, type)) return false;
    int canvas_width = 0, canvas_height = 0;
    remember(width_, height_, canvas_width, canvas_height);
    if (!ShrinkOntoCanvas(canvas_width, canvas_height, canvas)) {
      Clear();
      SetError("Canvas: bad size");
      return false;
    }
  }
  if (source_width) *source_width = decoded_width;
  if (source_height) *source_height = decoded_height;
  return true;
}
