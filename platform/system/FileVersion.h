// File-version records of our own deliverables. Every library and program built
// with tessel_embed_version() carries an ELF section ".jqversion" holding four
// little-endian 32-bit numbers: major, minor, build, revision.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Reads the version record of the ELF file at `path` (32- or 64-bit,
// little-endian). Every offset and size is checked against the file, which is
// treated as hostile. Returns nullopt for a file that cannot be read, is not
// ELF, is damaged, or has no ".jqversion" section of at least 16 bytes.
std::optional<std::array<uint32_t, 4>> ReadFileVersionRecord(const std::string& path);

}  // namespace platform
