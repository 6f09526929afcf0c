// The in-memory image of the codec layer: one bitmap with its palette, an
// optional alpha plane and the settings the codecs use. Every file format has a
// codec class derived from Picture that overrides Decode and Encode; the base
// class chooses the codec by image type (with detection as the fall-back) and
// holds the shrinking, resizing and turning operations.
//
// Pixel layout: rows are kept bottom-up as in a device-independent bitmap, each
// row padded to a multiple of four bytes. Row(y) hides the order: y = 0 is the
// top row of the picture. Supported depths are 1, 4 and 8 bits (palette
// indices, most significant bits first) and 24 bits (blue, green, red). Alpha,
// when present, is a separate plane of one byte per pixel (255 = opaque) in the
// same row order, reached through AlphaRow(y).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/PictureFile.h"

// Image type numbers shared with the picture items.
enum ImageType : int {
  kImageUnknown = 0,
  kImageBmp = 1,
  kImageGif = 2,
  kImageJpeg = 3,
  kImagePng = 4,
  kImageTga = 5,
  kImagePcx = 6,
  kImageWmf = 7,
  kImagePsd = 8,
};

// One palette entry, in the byte order of a bitmap colour table.
struct RgbQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
  bool operator==(const RgbQuad&) const = default;
};

// The colour of a canvas, red/green/blue.
struct CanvasColour {
  uint8_t red = 255;
  uint8_t green = 255;
  uint8_t blue = 255;
};

class Picture {
 public:
  // Limits that keep hostile files from asking for absurd amounts of memory.
  static constexpr int kMaxDimension = 32768;
  static constexpr size_t kMaxPixelBytes = size_t{512} * 1024 * 1024;
  // Resize modes of ResizeTo; any other value means bilinear.
  static constexpr int kResizeNearest = 1;
  static constexpr int kResizeBicubic = 2;
  static constexpr int kResizeBilinear = 0;

  // An invalid (pixel-less) image that remembers the type.
  explicit Picture(int type = kImageUnknown);
  virtual ~Picture();
  Picture(const Picture& other);
  Picture& operator=(const Picture& other);
  Picture(Picture&& other) noexcept;
  Picture& operator=(Picture&& other) noexcept;

  // --- Loading and saving --------------------------------------------------

  // Decodes a file: with a type from 1 to 8 by that codec, falling back to
  // detection; with 0 by detection alone. False leaves an invalid image.
  bool LoadFromFile(const std::string& path, int type);
  // Decodes a resource held in memory (null or empty: "Unable to load resource!").
  // FIXME: takes the resource bytes until the module's resource table exists.
  bool LoadFromResource(const void* data, size_t size, int type);
  // Decodes a memory block like LoadFromFile decodes a file.
  bool LoadFromMemory(const void* data, size_t size, int type);
  // Encodes into path (binary, truncating); false when it cannot be opened or encoding fails (an
  // existing file is then left as it was).
  bool SaveToFile(const std::string& path, int type);
  // Encodes into a memory block.
  bool SaveToMemory(std::vector<uint8_t>& out, int type);

  // Decodes from the stream's current position: type 1-8 by that codec, then
  // detection from the same start; 0 detection (BMP, JPEG, GIF, PNG, TGA, PCX, WMF).
  bool DecodeByType(PictureFile& file, int type);
  // Encodes by type; WMF gives "Save WMF not supported", unknown types "Encode: Unknown format".
  bool EncodeByType(PictureFile& file, int type);

  // Codec hooks. A codec class overrides both; on Picture itself they dispatch
  // by Type(). A codec's Decode replaces this picture's pixels on success and
  // sets the error text on failure; Encode writes this picture.
  virtual bool Decode(PictureFile& file);
  virtual bool Encode(PictureFile& file);

  // --- State ---------------------------------------------------------------

  // True when the image holds pixels.
  bool HasPixels() const { return !pixels_.empty(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bpp_; }
  // Bytes per stored row (padded to four).
  size_t Stride() const { return stride_; }
  // The type the image was decoded from or constructed with.
  int Type() const { return type_; }
  void SetType(int type) { type_ = type; }
  // The text left by the last failed operation (empty when none failed).
  const std::string& LastError() const { return last_error_; }
  void SetError(std::string_view text) { last_error_ = text; }

  // Allocates a w × h image of 1, 4, 8 or 24 bits, zero-filled, with a grey
  // ramp palette for the palette depths; alpha and transparency are dropped.
  // Checks the limits above; false with an error text when they are exceeded.
  bool Create(int width, int height, int bits_per_pixel);
  // Frees the pixels (the settings stay).
  void Clear();
  // Exchanges the whole contents (pixels and settings) with another picture.
  void Swap(Picture& other) noexcept;

  // Row y of the picture counted from the top (0 = top row).
  uint8_t* Row(int y) { return pixels_.data() + static_cast<size_t>(height_ - 1 - y) * stride_; }
  const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(height_ - 1 - y) * stride_; }
  // The whole pixel block in bottom-up order.
  uint8_t* Bits() { return pixels_.data(); }
  const uint8_t* Bits() const { return pixels_.data(); }
  size_t BitsSize() const { return pixels_.size(); }

  // Palette of a 1, 4 or 8 bit image: 2, 16 or 256 entries.
  std::vector<RgbQuad>& Palette() { return palette_; }
  const std::vector<RgbQuad>& Palette() const { return palette_; }
  // True for an 8-bit picture whose palette is the plain 256-step grey ramp
  // (encoders then write a greyscale file).
  bool HasGreyRampPalette() const;

  // Alpha plane: one byte per pixel, rows in the same order as the pixels.
  bool HasAlpha() const { return !alpha_.empty(); }
  // Adds an opaque alpha plane (keeps an existing one).
  void CreateAlpha();
  void DropAlpha() { alpha_.clear(); }
  uint8_t* AlphaRow(int y) { return alpha_.data() + static_cast<size_t>(height_ - 1 - y) * width_; }
  const uint8_t* AlphaRow(int y) const {
    return alpha_.data() + static_cast<size_t>(height_ - 1 - y) * width_;
  }

  // The palette index shown as transparent, or -1 for none.
  int TransparentIndex() const { return transparent_index_; }
  void SetTransparentIndex(int index) { transparent_index_ = index; }
  // JPEG quality used by the JPEG encoder (default 90).
  int JpegQuality() const { return jpeg_quality_; }
  void SetJpegQuality(int quality) { jpeg_quality_ = quality; }
  // Resolution in dots per inch (default 96 × 96).
  int XDpi() const { return x_dpi_; }
  int YDpi() const { return y_dpi_; }
  void SetDpi(int x, int y) {
    x_dpi_ = x;
    y_dpi_ = y;
  }

  // The colour of pixel (x, y) from the top as red, green, blue, alpha
  // (transparent index and alpha plane applied). For tests and tools.
  void PixelRgba(int x, int y, uint8_t rgba[4]) const;
  // Turns a palette image into 24 bits (the transparent index becomes alpha 0).
  bool ConvertTo24Bits();

  // --- Geometry ------------------------------------------------------------

  // Fits a copy of the picture onto a w × h canvas: shrinks it (bilinear, one
  // factor for both sides) when it is larger, never enlarges, centres it, and
  // puts the 24-bit result into destination (or into this picture when null).
  bool ShrinkOntoCanvas(int width, int height, CanvasColour canvas, Picture* destination = nullptr);
  // Resamples to w × h: nearest (mode 1), bicubic (mode 2), bilinear otherwise.
  bool ResizeTo(int width, int height, int mode);
  // Chooses a canvas size from a decoded picture's width and height.
  using CanvasFit = std::function<void(int width, int height, int& canvas_width, int& canvas_height)>;
  // Decodes a file like LoadFromFile and fits it onto a canvas whose size fit
  // chooses from the decoded size, like ShrinkOntoCanvas: for thumbnails.
  // JPEG files are shrunk while they decode, holding two full-size rows
  // instead of the whole picture; the pixels are the same either way. The
  // decoded size goes to source_width and source_height when given.
  bool LoadOntoCanvas(const std::string& path, int type, const CanvasFit& fit, CanvasColour canvas,
                      int* source_width = nullptr, int* source_height = nullptr);
  // Quarter turns in place; width and height swap.
  bool TurnLeft();
  bool TurnRight();

  // FIXME: Paint (stretched painting onto a device) waits for the drawing layer.

  // Computes the stride and total pixel bytes of a w × h × bpp image, or false
  // when the size is non-positive, above the limits, or overflows.
  static bool ComputeLayout(int width, int height, int bits_per_pixel, size_t& stride, size_t& total);

 private:
  void CopySettingsFrom(const Picture& other);
  bool Turn(bool clockwise);

  int width_ = 0;
  int height_ = 0;
  int bpp_ = 0;
  size_t stride_ = 0;
  std::vector<uint8_t> pixels_;
  std::vector<RgbQuad> palette_;
  std::vector<uint8_t> alpha_;
  int transparent_index_ = -1;
  int jpeg_quality_ = 90;
  int x_dpi_ = 96;
  int y_dpi_ = 96;
  int type_ = kImageUnknown;
  std::string last_error_;
};
