// Control endpoints for tests under "/_test/": switch faults on and off, add
// refused words, and read the counters.
#pragma once

#include "tools/album-service/Router.h"

namespace albumservice {

class TestControlEndpoints {
 public:
  explicit TestControlEndpoints(ServiceContext& context) : context_(context) {}
  void Register(Router& router);

  // "name=value" lines of the counters (crash signals, users, pictures ...).
  static std::string Stats(AlbumStore& store);

 private:
  ServiceContext& context_;
};

}  // namespace albumservice
