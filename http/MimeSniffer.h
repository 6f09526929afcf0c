// The content-type sniffer used for file parts: the picture formats the product
// handles, told from their first bytes.
#pragma once

#include <cstddef>
#include <string>

namespace Corvo {

// The MIME type of data that starts with these bytes (at most the first 256 are
// looked at), or "" when none is recognised. Formats with weak signatures
// (TGA) are tried last.
std::string SniffMimeType(const unsigned char* data, size_t size);

}  // namespace Corvo
