// The running service: the HTTP server on 127.0.0.1 with every endpoint
// registered, serving on a pool of worker threads until stopped.
#pragma once

#include <httplib.h>

#include <memory>

#include "tools/album-service/ApiEndpoints.h"
#include "tools/album-service/PageEndpoints.h"
#include "tools/album-service/Router.h"
#include "tools/album-service/ServiceContext.h"
#include "tools/album-service/TestControlEndpoints.h"
#include "tools/album-service/UploadEndpoints.h"
#include "tools/album-service/WebHostEndpoints.h"

namespace albumservice {

class AlbumService {
 public:
  explicit AlbumService(ServiceContext& context);

  // Binds 127.0.0.1:port (0: any free port); false when that fails.
  bool Bind(int port);
  // The bound port.
  int port() const { return context_.port; }
  // Serves until Stop(); returns false when the server could not run.
  bool Serve();
  // Thread-safe; makes Serve() return.
  void Stop() { server_.stop(); }

 private:
  ServiceContext& context_;
  httplib::Server server_;
  // The handlers registered on the server refer to these; they live as long.
  std::unique_ptr<Router> router_;
  ApiEndpoints api_;
  UploadEndpoints upload_;
  WebHostEndpoints web_host_;
  PageEndpoints pages_;
  TestControlEndpoints test_control_;
};

}  // namespace albumservice
