// The two steps of a picture upload: the multipart POST of the file (answered
// with a receipt) and the registration of the receipt in an album with tags
// and a title.
#pragma once

#include <string>

#include "tools/album-service/QueryString.h"
#include "tools/album-service/Router.h"

namespace albumservice {

class UploadEndpoints {
 public:
  explicit UploadEndpoints(ServiceContext& context) : context_(context) {}
  void Register(Router& router);

  static constexpr size_t kMaxTags = 15;
  static constexpr size_t kMaxTagBytes = 16;  // in the client's code page

 private:
  // The upload answer: <root><count>..</count><data>receipt</data></root>.
  std::string Upload(const httplib::Request& request, const std::string& body);
  std::string Registration(const httplib::Request& request, const std::string& body);
  // Checks the tag text; empty when it is acceptable, else the refusal.
  std::string CheckTags(const std::vector<std::string>& tags);

  ServiceContext& context_;
};

}  // namespace albumservice
