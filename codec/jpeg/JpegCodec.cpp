#include "codec/jpeg/JpegCodec.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>
// jerror.h after jpeglib.h: it uses the types declared there.
#include <jerror.h>

// NOTE: libjpeg reports fatal errors through error_exit, which must not return.
// We longjmp back into the codec; every function that calls setjmp keeps only
// trivially destructible locals after it, and all buffers live in the state
// records below, which are destroyed normally once the function returns.

namespace {

constexpr size_t kIoBufferSize = 64 * 1024;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnFatalError(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->message);
  std::longjmp(errors->jump, 1);
}

// Warnings (for example a premature end of data, which libjpeg fills with
// grey) are not errors of the decode; they are not printed either.
void OnMessage(j_common_ptr) {}

void InstallErrorManager(ErrorManager& errors) {
  jpeg_std_error(&errors.base);
  errors.base.error_exit = OnFatalError;
  errors.base.output_message = OnMessage;
  errors.message[0] = '\0';
}

struct Source {
  jpeg_source_mgr base;
  PictureFile* file;
  std::vector<JOCTET> buffer;
};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<Source*>(cinfo->src);
  size_t count = src->file->Read(src->buffer.data(), src->buffer.size());
  if (count == 0) {
    // Like libjpeg's own file source: end the stream with a fake EOI marker.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    count = 2;
  }
  src->base.next_input_byte = src->buffer.data();
  src->base.bytes_in_buffer = count;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  auto* src = reinterpret_cast<Source*>(cinfo->src);
  if (count <= 0) return;
  while (count > static_cast<long>(src->base.bytes_in_buffer)) {
    count -= static_cast<long>(src->base.bytes_in_buffer);
    FillInputBuffer(cinfo);
  }
  src->base.next_input_byte += count;
  src->base.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

struct Destination {
  jpeg_destination_mgr base;
  PictureFile* file;
  std::vector<JOCTET> buffer;
};

void InitDestination(j_compress_ptr cinfo) {
  auto* dst = reinterpret_cast<Destination*>(cinfo->dest);
  dst->base.next_output_byte = dst->buffer.data();
  dst->base.free_in_buffer = dst->buffer.size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dst = reinterpret_cast<Destination*>(cinfo->dest);
  if (!dst->file->WriteAll(dst->buffer.data(), dst->buffer.size())) ERREXIT(cinfo, JERR_FILE_WRITE);
  InitDestination(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dst = reinterpret_cast<Destination*>(cinfo->dest);
  size_t used = dst->buffer.size() - dst->base.free_in_buffer;
  if (!dst->file->WriteAll(dst->buffer.data(), used)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

// Everything one decode needs, owned outside the setjmp frame.
struct DecodeState {
  jpeg_decompress_struct cinfo;
  ErrorManager errors;
  Source source;
  std::vector<uint8_t> cmyk_row;
};

struct EncodeState {
  jpeg_compress_struct cinfo;
  ErrorManager errors;
  Destination destination;
  std::vector<uint8_t> row;
};

// Resolution in dots per inch from the JFIF density fields (96 when absent).
void ReadDensity(const jpeg_decompress_struct& cinfo, Picture& picture) {
  if (cinfo.X_density == 0 || cinfo.Y_density == 0) return;
  if (cinfo.density_unit == 1) picture.SetDpi(cinfo.X_density, cinfo.Y_density);
  if (cinfo.density_unit == 2)
    picture.SetDpi(static_cast<int>(cinfo.X_density * 2.54 + 0.5),
                   static_cast<int>(cinfo.Y_density * 2.54 + 0.5));
}

// CMYK as written by most programs (Adobe): the inks are stored inverted.
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x) {
    unsigned k = cmyk[x * 4 + 3];
    bgr[x * 3 + 2] = static_cast<uint8_t>(cmyk[x * 4] * k / 255);
    bgr[x * 3 + 1] = static_cast<uint8_t>(cmyk[x * 4 + 1] * k / 255);
    bgr[x * 3] = static_cast<uint8_t>(cmyk[x * 4 + 2] * k / 255);
  }
}

}  // namespace

namespace {

// Fills a picture: grey files as 8-bit grey, colour files as 24 bits. The
// decoder sets grey (through the reference) before it calls Begin.
class PictureRows : public RowSink {
 public:
  PictureRows(Picture& picture, const bool& grey) : picture_(picture), grey_(grey) {}
  bool Begin(int width, int height) override { return picture_.Create(width, height, grey_ ? 8 : 24); }
  uint8_t* RowBuffer(int y) override { return picture_.Row(y); }
  void RowDone(int) override {}

 private:
  Picture& picture_;
  const bool& grey_;
};

// Runs one decode into sink; grey_out asks for grey rows (one byte a pixel).
// False with message set on failure.
bool RunDecode(PictureFile& file, RowSink& sink, bool allow_grey, Picture& settings, std::string& message,
               bool& grey_out) {
  DecodeState state;
  state.source.file = &file;
  state.source.buffer.resize(kIoBufferSize);
  jpeg_decompress_struct& cinfo = state.cinfo;
  cinfo.err = &state.errors.base;
  InstallErrorManager(state.errors);
  if (setjmp(state.errors.jump)) {
    message = std::string("JPEG: ") + state.errors.message;
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  state.source.base = {nullptr,   0, InitSource, FillInputBuffer, SkipInputData, jpeg_resync_to_restart,
                       TermSource};
  cinfo.src = &state.source.base;
  jpeg_read_header(&cinfo, TRUE);

  size_t stride = 0, total = 0;
  grey_out = allow_grey && cinfo.num_components == 1;
  if (!Picture::ComputeLayout(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height),
                              grey_out ? 8 : 24, stride, total)) {
    jpeg_destroy_decompress(&cinfo);
    message = "JPEG: image too large";
    return false;
  }
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = grey_out ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_EXT_BGR);
  cinfo.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&cinfo);
  if (!sink.Begin(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height))) {
    jpeg_destroy_decompress(&cinfo);
    message = "JPEG: cannot hold the picture";
    return false;
  }
  ReadDensity(cinfo, settings);
  if (cmyk) state.cmyk_row.resize(static_cast<size_t>(cinfo.output_width) * 4);

  while (cinfo.output_scanline < cinfo.output_height) {
    int y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW rows[1] = {cmyk ? state.cmyk_row.data() : sink.RowBuffer(y)};
    if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
    if (cmyk) CmykRowToBgr(state.cmyk_row.data(), sink.RowBuffer(y), cinfo.output_width);
    sink.RowDone(y);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

bool JpegCodec::Decode(PictureFile& file) {
  Picture picture(kImageJpeg);
  bool grey = false;
  PictureRows rows(picture, grey);
  std::string message;
  if (!RunDecode(file, rows, true, picture, message, grey)) {
    SetError(message);
    Clear();
    return false;
  }
  picture.SetJpegQuality(JpegQuality());
  Swap(picture);
  return true;
}

bool JpegCodec::DecodeRows(PictureFile& file, RowSink& sink) {
  std::string message;
  bool grey = false;
  if (!RunDecode(file, sink, false, *this, message, grey)) {
    SetError(message);
    return false;
  }
  return true;
}

bool JpegCodec::Encode(PictureFile& file) {
  if (!HasPixels()) {
    SetError("JPEG: no image");
    return false;
  }
  EncodeState state;
  state.destination.file = &file;
  state.destination.buffer.resize(kIoBufferSize);
  // Palette images go out row by row as blue, green, red.
  if (BitsPerPixel() != 24) state.row.resize(static_cast<size_t>(Width()) * 3);
  jpeg_compress_struct& cinfo = state.cinfo;
  cinfo.err = &state.errors.base;
  InstallErrorManager(state.errors);
  if (setjmp(state.errors.jump)) {
    SetError(std::string("JPEG: ") + state.errors.message);
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  state.destination.base = {nullptr, 0, InitDestination, EmptyOutputBuffer, TermDestination};
  cinfo.dest = &state.destination.base;
  cinfo.image_width = static_cast<JDIMENSION>(Width());
  cinfo.image_height = static_cast<JDIMENSION>(Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  int quality = JpegQuality();
  jpeg_set_quality(&cinfo, quality < 1 ? 1 : (quality > 100 ? 100 : quality), TRUE);
  cinfo.density_unit = 1;
  cinfo.X_density = static_cast<UINT16>(XDpi() > 0 && XDpi() < 65536 ? XDpi() : 96);
  cinfo.Y_density = static_cast<UINT16>(YDpi() > 0 && YDpi() < 65536 ? YDpi() : 96);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = static_cast<int>(cinfo.next_scanline);
    JSAMPROW row = BitsPerPixel() == 24 ? Row(y) : state.row.data();
    if (BitsPerPixel() != 24) {
      for (int x = 0; x < Width(); ++x) {
        uint8_t rgba[4];
        PixelRgba(x, y, rgba);
        row[x * 3] = rgba[2];
        row[x * 3 + 1] = rgba[1];
        row[x * 3 + 2] = rgba[0];
      }
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  if (!file.Flush()) {
    SetError("JPEG: write failed");
    return false;
  }
  return true;
}
