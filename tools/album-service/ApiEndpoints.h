// The album API: login, album list and album information, quota, album
// creation and both keyword checks. Every answer is status 200; failures are
// answer texts the client recognises ("-ERROR...:message", "error...").
#pragma once

#include <optional>

#include "tools/album-service/QueryString.h"
#include "tools/album-service/Router.h"

namespace albumservice {

class ApiEndpoints {
 public:
  explicit ApiEndpoints(ServiceContext& context) : context_(context) {}
  void Register(Router& router);

  // Answer texts of the login (the client tells them apart by their start).
  static constexpr const char* kWrongPassword = "-ERROR:wrong name or password";
  static constexpr const char* kNotActivated = "1:album not activated";

 private:
  std::string Login(const QueryString& query);
  std::string Albums(const httplib::Request& request, const QueryString& query);
  std::string AlbumList(const User& user, const QueryString& query);
  std::string Quota(const QueryString& query);
  std::string CreateAlbum(const QueryString& query);
  std::string NameCheck(const QueryString& query);
  std::string TagCheck(const QueryString& query);
  // The user whose session the query's uid and token name.
  std::optional<User> SessionOf(const QueryString& query);

  ServiceContext& context_;
};

}  // namespace albumservice
