#include "tools/album-service/AlbumService.h"

namespace albumservice {

AlbumService::AlbumService(ServiceContext& context)
    : context_(context),
      api_(context),
      upload_(context),
      web_host_(context),
      pages_(context),
      test_control_(context) {
  int threads = context_.options.worker_threads;
  server_.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  server_.set_payload_max_length(context_.options.max_body_bytes);
  // Answers go out as header and body writes; without this, Nagle's algorithm
  // and the peer's delayed acknowledgement hold each answer back ~40 ms.
  server_.set_tcp_nodelay(true);
  server_.set_read_timeout(10, 0);
  server_.set_write_timeout(10, 0);
  router_ = std::make_unique<Router>(server_, context_);
  api_.Register(*router_);
  upload_.Register(*router_);
  web_host_.Register(*router_);
  pages_.Register(*router_);
  test_control_.Register(*router_);
}

bool AlbumService::Bind(int port) {
  if (port == 0) {
    context_.port = server_.bind_to_any_port("127.0.0.1");
    return context_.port > 0;
  }
  if (!server_.bind_to_port("127.0.0.1", port)) return false;
  context_.port = port;
  return true;
}

bool AlbumService::Serve() { return server_.listen_after_bind(); }

}  // namespace albumservice
