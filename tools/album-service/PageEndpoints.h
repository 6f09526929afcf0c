// The pages a user's browser opens: the album web page (a gallery of the
// album's pictures, which are served too), the single sign-on redirect, the
// account pages (album activation, registration, password recovery) and the
// help pages.
#pragma once

#include <string>

#include "tools/album-service/QueryString.h"
#include "tools/album-service/Router.h"

namespace albumservice {

class PageEndpoints {
 public:
  explicit PageEndpoints(ServiceContext& context) : context_(context) {}
  void Register(Router& router);

 private:
  void AlbumPage(const httplib::Request& request, httplib::Response& response);
  void Photo(const httplib::Request& request, httplib::Response& response);
  void SingleSignOn(const httplib::Request& request, httplib::Response& response);
  void AccountPage(const httplib::Request& request, httplib::Response& response);
  void AccountForm(const std::string& body, httplib::Response& response);
  // True for a redirect target on this service: a local path or our own host.
  bool IsOwnAddress(const httplib::Request& request, const std::string& url) const;

  ServiceContext& context_;
};

// A complete small HTML page.
std::string HtmlPage(const std::string& title, const std::string& body_html);

}  // namespace albumservice
