#include "codec/png/PngCodec.h"

#include <png.h>

#include <cstring>
#include <vector>

// NOTE: libpng reports errors by longjmp to png_jmpbuf. The functions that set
// it keep no locals with destructors after setjmp; buffers live in the state
// records, destroyed normally when the function returns.

namespace {

struct ReadState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PictureFile* file = nullptr;
  std::vector<uint8_t> image;  // whole image for interlaced or split rows
  std::vector<png_bytep> rows;
  char message[64] = "";
  ~ReadState() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};

struct WriteState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PictureFile* file = nullptr;
  std::vector<uint8_t> row;
  char message[64] = "";
  bool write_failed = false;
  ~WriteState() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  }
};

template <class State>
void OnError(png_structp png, png_const_charp text) {
  auto* state = static_cast<State*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof(state->message), "PNG: %s", text ? text : "error");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
  if (!state->file->ReadExact(data, length)) png_error(png, "unexpected end of file");
}

void WriteBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* state = static_cast<WriteState*>(png_get_io_ptr(png));
  if (!state->file->WriteAll(data, length)) {
    state->write_failed = true;
    png_error(png, "write failed");
  }
}

void FlushBytes(png_structp png) {
  auto* state = static_cast<WriteState*>(png_get_io_ptr(png));
  state->file->Flush();
}

// How a PNG's samples are stored in the picture.
enum class Storage { kPalette, kGrey, kBgr, kBgra };

// Chooses the transformations that bring every colour type and depth to one
// of the storages: palette indices (8 bits), grey levels (8 bits, as a grey
// palette), blue-green-red, or blue-green-red-alpha split into the alpha plane.
Storage SetUpTransforms(png_structp png, png_infop info, int& transparent_index) {
  int colour = png_get_color_type(png, info);
  int depth = png_get_bit_depth(png, info);
  if (depth == 16) png_set_scale_16(png);
  bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colour == PNG_COLOR_TYPE_PALETTE) {
    png_bytep alphas = nullptr;
    int count = 0;
    if (trns) png_get_tRNS(png, info, &alphas, &count, nullptr);
    // A single fully transparent entry (and nothing partial) stays a colour key.
    int zero_at = -1, partial = 0;
    for (int i = 0; i < count; ++i) {
      if (alphas[i] == 0 && zero_at < 0)
        zero_at = i;
      else if (alphas[i] != 255)
        ++partial;
    }
    if (!trns || count == 0 || (partial == 0)) {
      if (depth < 8) png_set_packing(png);
      transparent_index = zero_at;
      return Storage::kPalette;
    }
    png_set_palette_to_rgb(png);
    png_set_tRNS_to_alpha(png);
    png_set_bgr(png);
    return Storage::kBgra;
  }
  if (colour == PNG_COLOR_TYPE_GRAY && !trns) {
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    return Storage::kGrey;
  }
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) {
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  png_set_bgr(png);
  if (trns) {
    png_set_tRNS_to_alpha(png);
    return Storage::kBgra;
  }
  return (colour & PNG_COLOR_MASK_ALPHA) ? Storage::kBgra : Storage::kBgr;
}

void CopyPalette(png_structp png, png_infop info, Picture& picture) {
  png_colorp colours = nullptr;
  int count = 0;
  png_get_PLTE(png, info, &colours, &count);
  auto& palette = picture.Palette();
  palette.assign(256, RgbQuad{});
  for (int i = 0; i < count && i < 256; ++i)
    palette[i] = RgbQuad{colours[i].blue, colours[i].green, colours[i].red, 0};
}

void ReadDensity(png_structp png, png_infop info, Picture& picture) {
  png_uint_32 x = 0, y = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER && x > 0 && y > 0 &&
      x < 4000000 && y < 4000000)
    picture.SetDpi(static_cast<int>(x * 0.0254 + 0.5), static_cast<int>(y * 0.0254 + 0.5));
}

// Splits blue-green-red-alpha rows into the picture's pixels and alpha plane.
void SplitAlpha(const uint8_t* bgra, int y, Picture& picture) {
  uint8_t* dst = picture.Row(y);
  uint8_t* alpha = picture.AlphaRow(y);
  for (int x = 0; x < picture.Width(); ++x) {
    dst[x * 3] = bgra[x * 4];
    dst[x * 3 + 1] = bgra[x * 4 + 1];
    dst[x * 3 + 2] = bgra[x * 4 + 2];
    alpha[x] = bgra[x * 4 + 3];
  }
}

}  // namespace

bool PngCodec::Decode(PictureFile& file) {
  uint8_t signature[8];
  if (!file.ReadExact(signature, 8) || png_sig_cmp(signature, 0, 8) != 0) {
    SetError("PNG: not a PNG file");
    return false;
  }
  ReadState state;
  state.file = &file;
  state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError<ReadState>, OnWarning);
  if (state.png) state.info = png_create_info_struct(state.png);
  if (!state.png || !state.info) {
    SetError("PNG: out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(state.png))) {
    SetError(state.message);
    Clear();
    return false;
  }
  png_set_read_fn(state.png, &state, ReadBytes);
  png_set_sig_bytes(state.png, 8);
  png_set_user_limits(state.png, kMaxDimension, kMaxDimension);
  png_set_chunk_malloc_max(state.png, 16 * 1024 * 1024);
  png_read_info(state.png, state.info);

  int width = static_cast<int>(png_get_image_width(state.png, state.info));
  int height = static_cast<int>(png_get_image_height(state.png, state.info));
  int transparent = -1;
  Storage storage = SetUpTransforms(state.png, state.info, transparent);
  int passes = png_set_interlace_handling(state.png);
  png_read_update_info(state.png, state.info);
  size_t stride = 0, total = 0;
  int bpp = (storage == Storage::kPalette || storage == Storage::kGrey) ? 8 : 24;
  // The alpha case also needs four bytes a pixel of row buffer (a whole
  // image of them when interlaced): that size must respect the limit too.
  bool too_large =
      !ComputeLayout(width, height, bpp, stride, total) ||
      (storage == Storage::kBgra && static_cast<uint64_t>(width) * 4 * height > kMaxPixelBytes) ||
      png_get_rowbytes(state.png, state.info) > static_cast<size_t>(width) * 4;
  if (too_large) {
    SetError("PNG: image too large");
    return false;
  }
  Create(width, height, bpp);
  if (storage == Storage::kPalette) CopyPalette(state.png, state.info, *this);
  SetTransparentIndex(transparent);
  ReadDensity(state.png, state.info, *this);

  if (storage == Storage::kBgra) {
    CreateAlpha();
    size_t row_bytes = static_cast<size_t>(width) * 4;
    state.image.resize(passes > 1 ? row_bytes * height : row_bytes);
    state.rows.resize(height);
    for (int y = 0; y < height; ++y) state.rows[y] = state.image.data() + (passes > 1 ? row_bytes * y : 0);
    if (passes > 1) {
      png_read_image(state.png, state.rows.data());
      for (int y = 0; y < height; ++y) SplitAlpha(state.rows[y], y, *this);
    } else {
      for (int y = 0; y < height; ++y) {
        png_read_row(state.png, state.rows[y], nullptr);
        SplitAlpha(state.rows[y], y, *this);
      }
    }
  } else {
    state.rows.resize(height);
    for (int y = 0; y < height; ++y) state.rows[y] = Row(y);
    png_read_image(state.png, state.rows.data());
  }
  png_read_end(state.png, nullptr);
  return true;
}

namespace {

// Writes the rows of a picture: palette and 24-bit rows go out as stored
// (in bottom-to-top memory, top row first); alpha is merged in per row.
void WriteRows(WriteState& state, Picture& picture) {
  bool alpha = picture.BitsPerPixel() == 24 && picture.HasAlpha();
  for (int y = 0; y < picture.Height(); ++y) {
    png_bytep row = picture.Row(y);
    if (alpha) {
      const uint8_t* src = picture.Row(y);
      const uint8_t* a = picture.AlphaRow(y);
      for (int x = 0; x < picture.Width(); ++x) {
        state.row[x * 4] = src[x * 3];
        state.row[x * 4 + 1] = src[x * 3 + 1];
        state.row[x * 4 + 2] = src[x * 3 + 2];
        state.row[x * 4 + 3] = a[x];
      }
      row = state.row.data();
    }
    png_write_row(state.png, row);
  }
}

}  // namespace

bool PngCodec::Encode(PictureFile& file) {
  if (!HasPixels()) {
    SetError("PNG: no image");
    return false;
  }
  // A palette picture with its own alpha plane cannot be a plain PNG palette.
  if (BitsPerPixel() <= 8 && HasAlpha() && !ConvertTo24Bits()) return false;
  WriteState state;
  state.file = &file;
  state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError<WriteState>, OnWarning);
  if (state.png) state.info = png_create_info_struct(state.png);
  if (!state.png || !state.info) {
    SetError("PNG: out of memory");
    return false;
  }
  if (BitsPerPixel() == 24 && HasAlpha()) state.row.resize(static_cast<size_t>(Width()) * 4);
  if (setjmp(png_jmpbuf(state.png))) {
    SetError(state.message);
    return false;
  }
  bool alpha = BitsPerPixel() == 24 && HasAlpha();
  png_set_write_fn(state.png, &state, WriteBytes, FlushBytes);
  int colour =
      BitsPerPixel() <= 8 ? PNG_COLOR_TYPE_PALETTE : (alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
  int depth = BitsPerPixel() <= 8 ? BitsPerPixel() : 8;
  png_set_IHDR(state.png, state.info, Width(), Height(), depth, colour, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color colours[256];
  png_byte alphas[256];
  if (colour == PNG_COLOR_TYPE_PALETTE) {
    int count = static_cast<int>(Palette().size());
    if (count > (1 << depth)) count = 1 << depth;
    for (int i = 0; i < count; ++i) colours[i] = {Palette()[i].red, Palette()[i].green, Palette()[i].blue};
    png_set_PLTE(state.png, state.info, colours, count);
    int key = TransparentIndex();
    if (key >= 0 && key < count) {
      std::memset(alphas, 255, sizeof(alphas));
      alphas[key] = 0;
      png_set_tRNS(state.png, state.info, alphas, key + 1, nullptr);
    }
  }
  if (XDpi() > 0 && YDpi() > 0)
    png_set_pHYs(state.png, state.info, static_cast<png_uint_32>(XDpi() / 0.0254 + 0.5),
                 static_cast<png_uint_32>(YDpi() / 0.0254 + 0.5), PNG_RESOLUTION_METER);
  png_write_info(state.png, state.info);
  if (colour != PNG_COLOR_TYPE_PALETTE) png_set_bgr(state.png);
  WriteRows(state, *this);
  png_write_end(state.png, state.info);
  return true;
}
