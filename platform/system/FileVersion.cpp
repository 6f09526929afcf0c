#include "platform/system/FileVersion.h"

#include <cstring>
#include <fstream>
#include <vector>

namespace platform {
namespace {

constexpr char kSectionName[] = ".jqversion";
constexpr uint32_t kSectionTypeNoBits = 8;
constexpr uint16_t kExtendedIndex = 0xFFFF;  // SHN_XINDEX: the real value lives in section 0.
// A section table larger than this is not one of ours; refusing it bounds the allocation.
constexpr uint64_t kMaxSectionTableBytes = 16u << 20;
// The section-name table of a normal file is a few hundred bytes.
constexpr uint64_t kMaxNameTableBytes = 1u << 20;

uint64_t Load(const unsigned char* p, size_t bytes) {
  uint64_t value = 0;
  for (size_t i = bytes; i-- > 0;) value = (value << 8) | p[i];
  return value;
}

// Where the fields of the ELF header and of one section header lie, which
// differs between the 32- and 64-bit layouts.
struct Layout {
  size_t header_size, word;
  size_t shoff, shentsize, shnum, shstrndx;
  size_t sh_name, sh_type, sh_offset, sh_size, sh_link, section_header_size;
};

constexpr Layout kLayout32{52, 4, 0x20, 0x2E, 0x30, 0x32, 0, 4, 16, 20, 24, 40};
constexpr Layout kLayout64{64, 8, 0x28, 0x3A, 0x3C, 0x3E, 0, 4, 24, 32, 40, 64};

struct Section {
  uint32_t name = 0, type = 0, link = 0;
  uint64_t offset = 0, size = 0;
};

class ElfReader {
 public:
  explicit ElfReader(const std::string& path) : in_(path, std::ios::binary) {
    if (!in_) return;
    in_.seekg(0, std::ios::end);
    std::streamoff end = in_.tellg();
    file_size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
  }

  // Reads `bytes` at `offset` when the whole range lies inside the file.
  bool ReadAt(uint64_t offset, uint64_t bytes, std::vector<unsigned char>* out) {
    if (!in_ || offset > file_size_ || bytes > file_size_ - offset) return false;
    out->resize(static_cast<size_t>(bytes));
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(reinterpret_cast<char*>(out->data()), static_cast<std::streamsize>(bytes));
    return static_cast<uint64_t>(in_.gcount()) == bytes;
  }

  uint64_t file_size() const { return file_size_; }

 private:
  std::ifstream in_;
  uint64_t file_size_ = 0;
};

Section ParseSection(const Layout& l, const unsigned char* p) {
  Section s;
  s.name = static_cast<uint32_t>(Load(p + l.sh_name, 4));
  s.type = static_cast<uint32_t>(Load(p + l.sh_type, 4));
  s.offset = Load(p + l.sh_offset, l.word);
  s.size = Load(p + l.sh_size, l.word);
  s.link = static_cast<uint32_t>(Load(p + l.sh_link, 4));
  return s;
}

// Whether the NUL-terminated name at `offset` of the name table is ours.
bool NameMatches(const std::vector<unsigned char>& names, uint32_t offset) {
  const size_t length = sizeof kSectionName;  // Includes the terminating NUL.
  if (offset >= names.size() || names.size() - offset < length) return false;
  return std::memcmp(names.data() + offset, kSectionName, length) == 0;
}

}  // namespace

std::optional<std::array<uint32_t, 4>> ReadFileVersionRecord(const std::string& path) {
  ElfReader file(path);
  std::vector<unsigned char> ident;
  if (!file.ReadAt(0, 16, &ident) || std::memcmp(ident.data(),
                                                 "\x7F"
                                                 "ELF",
                                                 4) != 0)
    return std::nullopt;
  if (ident[5] != 1) return std::nullopt;  // Only little-endian files.
  if (ident[4] != 1 && ident[4] != 2) return std::nullopt;
  const Layout& l = ident[4] == 1 ? kLayout32 : kLayout64;

  std::vector<unsigned char> header;
  if (!file.ReadAt(0, l.header_size, &header)) return std::nullopt;
  const uint64_t shoff = Load(&header[l.shoff], l.word);
  const uint64_t entsize = Load(&header[l.shentsize], 2);
  uint64_t count = Load(&header[l.shnum], 2);
  uint64_t names_index = Load(&header[l.shstrndx], 2);
  if (shoff == 0 || entsize < l.section_header_size) return std::nullopt;

  // Files with very many sections keep the count and the name-table index in section 0.
  std::vector<unsigned char> entry;
  if (!file.ReadAt(shoff, entsize, &entry)) return std::nullopt;
  Section first = ParseSection(l, entry.data());
  if (count == 0) count = first.size;
  if (names_index == kExtendedIndex) names_index = first.link;
  if (count == 0 || names_index >= count) return std::nullopt;
  if (count > kMaxSectionTableBytes / entsize) return std::nullopt;

  std::vector<unsigned char> table;
  if (!file.ReadAt(shoff, count * entsize, &table)) return std::nullopt;
  Section name_table = ParseSection(l, &table[names_index * entsize]);
  if (name_table.type == kSectionTypeNoBits || name_table.size > kMaxNameTableBytes) return std::nullopt;
  std::vector<unsigned char> names;
  if (!file.ReadAt(name_table.offset, name_table.size, &names)) return std::nullopt;

  for (uint64_t i = 1; i < count; ++i) {
    Section s = ParseSection(l, &table[i * entsize]);
    if (!NameMatches(names, s.name)) continue;
    std::vector<unsigned char> record;
    if (s.type == kSectionTypeNoBits || s.size < 16 || !file.ReadAt(s.offset, 16, &record))
      return std::nullopt;
    std::array<uint32_t, 4> version{};
    for (size_t k = 0; k < 4; ++k) version[k] = static_cast<uint32_t>(Load(&record[k * 4], 4));
    return version;
  }
  return std::nullopt;
}

}  // namespace platform
