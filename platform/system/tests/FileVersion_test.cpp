#include "platform/system/FileVersion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "BuildConfig.h"
#include "tools/testsupport/TempDir.h"

namespace platform {
namespace {

using Version = std::array<uint32_t, 4>;

void Put(std::string& bytes, size_t offset, uint64_t value, size_t width) {
  if (bytes.size() < offset + width) bytes.resize(offset + width, '\0');
  for (size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A minimal little-endian ELF file: the header, a section-name table, a
// ".jqversion" section with the record 2.1.0.7120, and a section table of
// three entries (null, names, version).
struct ElfImage {
  bool is64;
  std::string bytes;
  size_t shoff, entsize, names_offset, record_offset;

  explicit ElfImage(bool wide) : is64(wide) {
    entsize = is64 ? 64 : 40;
    const std::string names = std::string("\0.shstrtab\0.jqversion\0", 22);
    bytes.assign(is64 ? 64 : 52, '\0');
    std::memcpy(bytes.data(),
                "\x7F"
                "ELF",
                4);
    bytes[4] = is64 ? 2 : 1;
    bytes[5] = 1;
    bytes[6] = 1;
    names_offset = bytes.size();
    bytes += names;
    record_offset = bytes.size();
    for (uint64_t part : {2u, 1u, 0u, 7120u}) Put(bytes, bytes.size(), part, 4);
    shoff = bytes.size();
    bytes.resize(shoff + 3 * entsize, '\0');
    Section(1, 1, 3, names_offset, names.size());
    Section(2, 11, 1, record_offset, 16);
    Header("shoff", shoff);
    Header("shentsize", entsize);
    Header("shnum", 3);
    Header("shstrndx", 1);
  }

  void Header(const std::string& field, uint64_t value) {
    struct Field {
      size_t off32, off64, width32, width64;
    };
    const Field f = field == "shoff"       ? Field{0x20, 0x28, 4, 8}
                    : field == "shentsize" ? Field{0x2E, 0x3A, 2, 2}
                    : field == "shnum"     ? Field{0x30, 0x3C, 2, 2}
                                           : Field{0x32, 0x3E, 2, 2};
    Put(bytes, is64 ? f.off64 : f.off32, value, is64 ? f.width64 : f.width32);
  }

  void Section(size_t index, uint32_t name, uint32_t type, uint64_t offset, uint64_t size) {
    size_t at = shoff + index * entsize;
    Put(bytes, at, name, 4);
    Put(bytes, at + 4, type, 4);
    Put(bytes, at + (is64 ? 24 : 16), offset, is64 ? 8 : 4);
    Put(bytes, at + (is64 ? 32 : 20), size, is64 ? 8 : 4);
  }
};

TEST(FileVersionTest, OwnLibraryCarriesTheProductVersion) {
  auto version = ReadFileVersionRecord(TESSEL_BINARY_DIR "/platform/libjqplatform.so");
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(*version, (Version{buildconfig::kVersionMajor, buildconfig::kVersionMinor,
                               buildconfig::kVersionBuild, buildconfig::kVersionRevision}));
}

TEST(FileVersionTest, FilesWithoutARecordGiveNothing) {
  testsupport::TempDir dir;
  EXPECT_FALSE(ReadFileVersionRecord(dir.WriteFile("notes.txt", "2.1.0.7120\n").string()));
  EXPECT_FALSE(ReadFileVersionRecord(dir.WriteFile("empty", "").string()));
  EXPECT_FALSE(ReadFileVersionRecord((dir / "missing").string()));
  EXPECT_FALSE(ReadFileVersionRecord(dir.path().string()));
  // A real ELF file built without the record: the system's shell.
  EXPECT_FALSE(ReadFileVersionRecord("/bin/sh"));

  std::string library = testsupport::ReadFileBytes(TESSEL_BINARY_DIR "/platform/libjqplatform.so");
  ASSERT_GT(library.size(), 4096u);
  for (size_t cut : {size_t{8}, size_t{63}, size_t{4096}, library.size() - 1})
    EXPECT_FALSE(ReadFileVersionRecord(dir.WriteFile("cut.so", library.substr(0, cut)).string())) << cut;
}

TEST(FileVersionTest, ReadsBothElfClasses) {
  testsupport::TempDir dir;
  for (bool is64 : {false, true}) {
    ElfImage image(is64);
    auto version = ReadFileVersionRecord(dir.WriteFile("good.so", image.bytes).string());
    ASSERT_TRUE(version.has_value()) << is64;
    EXPECT_EQ(*version, (Version{2, 1, 0, 7120}));
  }
}

TEST(FileVersionTest, DamagedHeadersAreRefused) {
  const std::vector<std::pair<std::string, std::function<void(ElfImage&)>>> damage = {
      {"big-endian", [](ElfImage& e) { e.bytes[5] = 2; }},
      {"unknown class", [](ElfImage& e) { e.bytes[4] = 3; }},
      {"table past the end", [](ElfImage& e) { e.Header("shoff", e.bytes.size() - 10); }},
      {"table offset overflows", [](ElfImage& e) { e.Header("shoff", e.is64 ? ~0ull : 0xFFFFFFFFull); }},
      {"entries too small", [](ElfImage& e) { e.Header("shentsize", 8); }},
      {"too many entries", [](ElfImage& e) { e.Header("shnum", 0xFFF0); }},
      {"name table index out of range", [](ElfImage& e) { e.Header("shstrndx", 3); }},
      {"name offset out of range", [](ElfImage& e) { e.Section(2, 0x7FFFFFFF, 1, e.record_offset, 16); }},
      {"name cut by the table end", [](ElfImage& e) { e.Section(1, 1, 3, e.names_offset, 15); }},
      {"record past the end", [](ElfImage& e) { e.Section(2, 11, 1, e.bytes.size() - 8, 16); }},
      {"record too short", [](ElfImage& e) { e.Section(2, 11, 1, e.record_offset, 12); }},
      {"record without bytes", [](ElfImage& e) { e.Section(2, 11, 8, e.record_offset, 16); }},
      {"name table huge",
       [](ElfImage& e) { e.Section(1, 1, 3, e.names_offset, e.is64 ? ~0ull : 0xFFFFFFFFull); }},
  };
  testsupport::TempDir dir;
  for (bool is64 : {false, true}) {
    for (const auto& [what, change] : damage) {
      ElfImage image(is64);
      change(image);
      EXPECT_FALSE(ReadFileVersionRecord(dir.WriteFile("bad.so", image.bytes).string()))
          << what << " " << is64;
    }
  }
}

}  // namespace
}  // namespace platform
