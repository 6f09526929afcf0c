// A small libcurl client for the service tests, and request bodies built
// byte for byte the way the uploader builds its multipart forms.
#pragma once

#include <curl/curl.h>

#include <string>
#include <vector>

namespace albumservice::tests {

struct HttpAnswer {
  CURLcode error = CURLE_OK;
  long status = 0;
  std::string body;
  std::string content_type;
  std::string location;
  std::string set_cookie;
};

// GET without following redirects.
HttpAnswer Get(const std::string& url);
// POST of raw bytes with the given Content-Type.
HttpAnswer Post(const std::string& url, const std::string& body, const std::string& content_type);

// One part of a form: a file part when filename is set.
struct Part {
  std::string name;
  std::string content;
  std::string filename;
  std::string mime = "image/jpeg";
};

// The uploader's boundary shape: "----NEBUL-" + 32 hex digits + "-".
inline constexpr const char* kBoundary = "----NEBUL-0123456789abcdef0123456789abcdef-";
std::string MultipartBody(const std::vector<Part>& parts, const std::string& boundary = kBoundary);
std::string MultipartType(const std::string& boundary = kBoundary);

// A tiny valid JPEG-looking file (the service checks only the signature) of
// the given size, filled so that files differ by seed.
std::string FakeJpeg(size_t size, char seed = 'x');

}  // namespace albumservice::tests
