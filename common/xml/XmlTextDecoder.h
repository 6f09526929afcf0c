// Decoding of character data and attribute values: the five predefined
// entities and numeric character references.
#pragma once

#include <cstdint>
#include <string>

// Appends the decoded form of the bytes [begin, end) to *out. "&lt;", "&amp;",
// "&gt;", "&apos;" and "&quot;" become their characters; "&#N;" and "&#xN;"
// (at most 7 digits) become the UTF-8 form of code point N. Anything else,
// including a reference to 0, a surrogate or a value above 0x10FFFF, is copied
// unchanged.
void AppendDecodedXmlText(const char* begin, const char* end, std::string* out);

// Appends the UTF-8 form of a code point; false (and nothing appended) for 0,
// surrogates and values above 0x10FFFF.
bool AppendUtf8CodePoint(uint32_t code_point, std::string* out);
