// INI profile files with the reading and writing rules of the original
// platform's profile functions, on which the stored settings and the update
// files rely:
// - "[name]" lines start sections; "key=value" lines hold values; a line
//   starting with ';' is a comment; blanks around names and values are
//   ignored, and a value in matching quotes loses them;
// - section and key names ignore ASCII letter case; the first match counts;
// - the file is UTF-8 (a leading byte-order mark is skipped) with LF or CRLF
//   line ends; writes keep every other line as it was;
// - the last part of the file name ignores letter case too, as on the
//   original's file system: "update.ini" finds an existing "Update.ini".
// Writes are atomic and serialised between threads and processes.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Reads a value into `value`, truncated to `buffer_size` - 1 bytes (never
// cutting a UTF-8 character in half), as a fixed buffer would hold it. A
// missing file, section or key gives `default_value` (without trailing blanks),
// truncated the same way. Returns the number of bytes placed in `value`; 0 and
// an empty value when buffer_size is 0.
size_t ReadProfileString(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& default_value, std::string* value, size_t buffer_size);

// Reads a value as a decimal integer (leading blanks, a sign, then digits; the
// first other character ends the number; no digits give 0). A missing or empty
// value gives `default_value`.
int ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                   int default_value);

// Writes a value, creating the file, its folder and the section when missing.
// False when the file cannot be written or a name or value would break the
// file's format (line breaks anywhere, '=' in a key, ']' in a section name).
bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);

// Removes one key. True when the file no longer has it.
bool DeleteProfileKey(const std::string& file, const std::string& section, const std::string& key);

// Removes a section with all its lines. True when the file no longer has it.
bool DeleteProfileSection(const std::string& file, const std::string& section);

// The section names in file order (each name once); empty for a missing file.
std::vector<std::string> ReadProfileSectionNames(const std::string& file);

// The first section name, truncated to `buffer_size` - 1 bytes when
// buffer_size > 0; empty when the file has no section.
std::string ReadFirstProfileSectionName(const std::string& file, size_t buffer_size = 0);

// The key names of a section in file order; empty when it is missing.
std::vector<std::string> ReadProfileKeyNames(const std::string& file, const std::string& section);

}  // namespace platform
