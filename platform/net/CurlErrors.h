// Internal: the internet client's error number for a failed curl transfer.
#pragma once

#include <curl/curl.h>

#include <cstdint>

namespace platform::net {

// Maps a curl result to the ERROR_INTERNET_* number callers expect.
uint32_t InternetErrorFromCurl(CURLcode code);

}  // namespace platform::net
