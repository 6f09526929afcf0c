// Fuzz target: parsing of raw response header text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/request/HttpResponseHeaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  common::CHttpResponseHeaders headers;
  headers.Parse(std::string(reinterpret_cast<const char*>(data), size));
  headers.Find("CONTENT-LENGTH");
  return 0;
}
