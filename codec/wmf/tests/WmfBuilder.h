// Builds small metafiles record by record for the player's tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace wmftest {

// Record functions used by the tests.
enum : uint16_t {
  kSaveDc = 0x001E,
  kRestoreDc = 0x0127,
  kSetBkMode = 0x0102,
  kSetMapMode = 0x0103,
  kSetPolyFillMode = 0x0106,
  kSetBkColor = 0x0201,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kMoveTo = 0x0214,
  kLineTo = 0x0213,
  kRectangle = 0x041B,
  kEllipse = 0x0418,
  kArc = 0x0817,
  kPie = 0x081A,
  kPolygon = 0x0324,
  kPolyline = 0x0325,
  kPolyPolygon = 0x0538,
  kIntersectClipRect = 0x0416,
  kExtTextOut = 0x0A32,
  kCreatePenIndirect = 0x02FA,
  kCreateBrushIndirect = 0x02FC,
  kDibCreatePatternBrush = 0x0142,
  kCreateFontIndirect = 0x02FB,
  kSelectObject = 0x012D,
  kDeleteObject = 0x01F0,
  kStretchDib = 0x0F43,
  kDibStretchBlt = 0x0B41,
  kSetDibToDev = 0x0D33,
};

inline void PutLe16(std::string& out, int v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

inline void PutLe32(std::string& out, uint32_t v) {
  PutLe16(out, static_cast<int>(v & 0xFFFF));
  PutLe16(out, static_cast<int>(v >> 16));
}

class WmfBuilder {
 public:
  // Starts the file with a placeable header: the frame in logical units and
  // the units per inch.
  WmfBuilder& Placeable(int left, int top, int right, int bottom, int inch) {
    placeable_.clear();
    PutLe32(placeable_, 0x9AC6CDD7);
    PutLe16(placeable_, 0);
    for (int v : {left, top, right, bottom, inch}) PutLe16(placeable_, v);
    PutLe32(placeable_, 0);
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2)
      checksum ^= static_cast<uint16_t>(static_cast<uint8_t>(placeable_[i]) |
                                        static_cast<uint8_t>(placeable_[i + 1]) << 8);
    PutLe16(placeable_, checksum);
    return *this;
  }

  // Appends a record of 16-bit parameters, then raw bytes (padded to a word).
  WmfBuilder& Record(uint16_t function, std::initializer_list<int> words, std::string bytes = "") {
    if (bytes.size() & 1) bytes += '\0';
    std::string record;
    PutLe32(record, static_cast<uint32_t>(3 + words.size() + bytes.size() / 2));
    PutLe16(record, function);
    for (int w : words) PutLe16(record, w);
    records_ += record + bytes;
    return *this;
  }

  // A pen: style 0 solid or 5 none, width in logical units, colour 0xRRGGBB.
  WmfBuilder& Pen(int style, int width, uint32_t rgb) {
    return Record(kCreatePenIndirect, {style, width, 0, Low(rgb), High(rgb)});
  }
  // A brush: style 0 solid, 1 none or 2 hatched (with the hatch style).
  WmfBuilder& Brush(int style, uint32_t rgb, int hatch = 0) {
    return Record(kCreateBrushIndirect, {style, Low(rgb), High(rgb), hatch});
  }
  WmfBuilder& Select(int index) { return Record(kSelectObject, {index}); }
  WmfBuilder& Rectangle(int left, int top, int right, int bottom) {
    return Record(kRectangle, {bottom, right, top, left});
  }

  // The whole file: headers, records and the end record.
  std::string Build() const {
    std::string body = records_;
    body += std::string("\x03\x00\x00\x00\x00\x00", 6);
    std::string header;
    PutLe16(header, 1);
    PutLe16(header, 9);
    PutLe16(header, 0x0300);
    PutLe32(header, static_cast<uint32_t>((18 + body.size()) / 2));
    PutLe16(header, 4);  // objects; the player grows the table past it
    PutLe32(header, 0);
    PutLe16(header, 0);
    return placeable_ + header + body;
  }

  // The two words of a COLORREF (0x00BBGGRR) for 0xRRGGBB.
  static int Low(uint32_t rgb) { return static_cast<int>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00)); }
  static int High(uint32_t rgb) { return static_cast<int>(rgb & 0xFF); }

 private:
  std::string placeable_;
  std::string records_;
};

// A bottom-up 24-bit bitmap (BITMAPINFOHEADER and bits) from rows of
// 0xRRGGBB colours, top row first.
inline std::string Dib24(const std::vector<std::vector<uint32_t>>& rows) {
  int height = static_cast<int>(rows.size()), width = static_cast<int>(rows[0].size());
  std::string out;
  PutLe32(out, 40);
  PutLe32(out, static_cast<uint32_t>(width));
  PutLe32(out, static_cast<uint32_t>(height));
  PutLe16(out, 1);
  PutLe16(out, 24);
  for (int i = 0; i < 6; ++i) PutLe32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (uint32_t c : rows[y])
      row += {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF), static_cast<char>(c >> 16)};
    while (row.size() % 4) row += '\0';
    out += row;
  }
  return out;
}

// A bottom-up 8-bit bitmap with a palette, from rows of palette indices.
inline std::string Dib8(const std::vector<uint32_t>& palette, const std::vector<std::vector<int>>& rows) {
  int height = static_cast<int>(rows.size()), width = static_cast<int>(rows[0].size());
  std::string out;
  PutLe32(out, 40);
  PutLe32(out, static_cast<uint32_t>(width));
  PutLe32(out, static_cast<uint32_t>(height));
  PutLe16(out, 1);
  PutLe16(out, 8);
  PutLe32(out, 0);
  PutLe32(out, 0);
  PutLe32(out, 0);
  PutLe32(out, 0);
  PutLe32(out, static_cast<uint32_t>(palette.size()));
  PutLe32(out, 0);
  for (uint32_t c : palette) PutLe32(out, c);  // 0x00RRGGBB is blue, green, red, 0 in memory
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int i : rows[y]) row += static_cast<char>(i);
    while (row.size() % 4) row += '\0';
    out += row;
  }
  return out;
}

}  // namespace wmftest
