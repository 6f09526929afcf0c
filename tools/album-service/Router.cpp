#include "tools/album-service/Router.h"

#include <chrono>
#include <memory>
#include <thread>

#include "tools/album-service/ConnectionCutter.h"
#include "tools/album-service/TextCodec.h"

namespace albumservice {
namespace {

// Request body size of the request this thread is answering, and whether its
// log line is written. Endpoints log before their answer leaves, so that the
// log is complete once a client has the answer; the library's logger, which
// runs after sending, covers only requests that reached no endpoint.
thread_local size_t t_request_bytes = 0;
thread_local bool t_logged = false;

// The header under which a multipart Content-Type is kept; see Install().
constexpr const char* kOriginalContentType = "X-Album-Original-Content-Type";

std::string RegexFor(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (std::string_view(".^$|()[]{}*+?\\").find(c) != std::string_view::npos) out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

// Replaces the answer body by a provider that sends only `limit` bytes of it
// and then fails, so that the library closes the connection mid-body.
void TruncateAnswer(httplib::Response& response, long long limit) {
  auto body = std::make_shared<std::string>(std::move(response.body));
  std::string type = response.get_header_value("Content-Type");
  response.body.clear();
  size_t keep = static_cast<size_t>(std::min<long long>(limit, static_cast<long long>(body->size())));
  response.set_content_provider(body->size(), type,
                                [body, keep](size_t offset, size_t, httplib::DataSink& sink) {
                                  if (offset < keep) sink.write(body->data() + offset, keep - offset);
                                  return false;
                                });
}

}  // namespace

Router::Router(httplib::Server& server, ServiceContext& context) : server_(server), context_(context) {
  Install();
}

void Router::Install() {
  // NOTE: the library parses a multipart body itself when a streaming handler
  // reads it, but the service wants the raw bytes (file names arrive in the
  // client's code page, unescaped). Before routing, the Content-Type is moved
  // aside so that the library streams the body unparsed. The request object is
  // the library's own non-const one, handed to this hook as const.
  server_.set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
    std::string type = request.get_header_value("Content-Type");
    if (AsciiLower(type).rfind("multipart/", 0) == 0) {
      auto& editable = const_cast<httplib::Request&>(request);
      editable.set_header(kOriginalContentType, type);
      for (auto it = editable.headers.begin(); it != editable.headers.end();) {
        it = AsciiLower(it->first) == "content-type" ? editable.headers.erase(it) : std::next(it);
      }
      editable.set_header("Content-Type", "application/octet-stream");
    }
    t_request_bytes = 0;
    t_logged = false;
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server_.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
    if (!t_logged) {
      size_t answer_bytes = response.body.size() ? response.body.size() : response.content_length_;
      context_.log.Write(request.method, request.target, response.status, request.body.size(), answer_bytes);
    }
    t_logged = false;
    t_request_bytes = 0;
  });
  server_.set_error_handler(httplib::Server::HandlerWithResponse(
      [this](const httplib::Request& request, httplib::Response& response) {
        if (response.status == 400 && request.method == "GET") {
          for (const auto& [path, handler] : second_question_mark_paths_) {
            if (request.target.rfind(path + "?", 0) != 0) continue;
            response.status = 200;
            ServeGet(path, handler, request, response);
            LogNow(request, response);
            return httplib::Server::HandlerResponse::Handled;
          }
        }
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        if (response.status == 413) {
          response.set_content(kTooLargeAnswer, "text/plain; charset=utf-8");
        } else {
          response.set_content("-ERROR:" + std::to_string(response.status), "text/plain; charset=utf-8");
        }
        return httplib::Server::HandlerResponse::Handled;
      }));
  server_.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
    response.status = 500;
    response.set_content("-ERROR:internal error", "text/plain; charset=utf-8");
  });
}

void Router::Get(const std::string& path, EndpointHandler handler) {
  server_.Get(RegexFor(path),
              [this, path, handler](const httplib::Request& request, httplib::Response& response) {
                ServeGet(path, handler, request, response);
                LogNow(request, response);
              });
}

void Router::GetUnder(const std::string& prefix, EndpointHandler handler) {
  server_.Get(RegexFor(prefix) + "[^/]+",
              [this, prefix, handler](const httplib::Request& request, httplib::Response& response) {
                ServeGet(prefix, handler, request, response);
                LogNow(request, response);
              });
}

void Router::GetWithSecondQuestionMark(const std::string& path, EndpointHandler handler) {
  Get(path, handler);
  second_question_mark_paths_.emplace_back(path, std::move(handler));
}

void Router::Post(const std::string& path, EndpointHandler handler) {
  server_.Post(RegexFor(path),
               [this, path, handler](const httplib::Request& request, httplib::Response& response,
                                     const httplib::ContentReader& reader) {
                 ServePost(path, handler, request, response, reader);
                 LogNow(request, response);
               });
}

void Router::LogNow(const httplib::Request& request, const httplib::Response& response) {
  int status = response.status == -1 ? 200 : response.status;
  size_t answer_bytes = response.body.size() ? response.body.size() : response.content_length_;
  context_.log.Write(request.method, request.target, status, t_request_bytes, answer_bytes);
  t_logged = true;
}

bool Router::ApplyFault(const Fault& fault, httplib::Response& response) {
  if (fault.latency_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(fault.latency_ms));
  if (fault.status != 0) {
    response.status = fault.status;
    response.set_content("injected status " + std::to_string(fault.status), "text/plain; charset=utf-8");
    return true;
  }
  if (fault.garbage) {
    response.status = 200;
    response.set_content(GarbageBody(), "text/plain; charset=utf-8");
    return true;
  }
  return false;
}

void Router::ServeGet(const std::string& fault_key, const EndpointHandler& handler,
                      const httplib::Request& request, httplib::Response& response) {
  std::optional<Fault> fault = context_.faults.Take(fault_key);
  if (fault && ApplyFault(*fault, response)) return;
  handler(request, std::string(), response);
  if (fault && fault->close_after >= 0) TruncateAnswer(response, fault->close_after);
}

void Router::ServePost(const std::string& fault_key, const EndpointHandler& handler,
                       const httplib::Request& request, httplib::Response& response,
                       const httplib::ContentReader& reader) {
  std::optional<Fault> fault = context_.faults.Take(fault_key);
  long long close_after = fault ? fault->close_after : -1;
  std::string body;
  bool cut = false;
  bool complete = reader([&](const char* data, size_t size) {
    if (body.size() + size > context_.options.max_body_bytes) return false;
    body.append(data, size);
    if (close_after >= 0 && static_cast<long long>(body.size()) >= close_after) {
      cut = CutConnection(request.local_port, request.remote_port);
      return false;
    }
    return true;
  });
  t_request_bytes = body.size();
  if (cut) {
    response.status = 499;  // only the log sees it: the connection is gone
    return;
  }
  if (!complete) {
    // The library answers 413 itself for a declared length above the limit
    // (after discarding the body); a chunked body that grows too large ends here.
    if (response.status < 400) response.status = body.size() >= context_.options.max_body_bytes ? 413 : 400;
    response.set_header("Connection", "close");
    response.set_content(response.status == 413 ? kTooLargeAnswer : "-ERROR:bad request body",
                         "text/plain; charset=utf-8");
    return;
  }
  if (fault && ApplyFault(*fault, response)) return;
  httplib::Request copy = request;
  std::string original_type = request.get_header_value(kOriginalContentType);
  if (!original_type.empty()) {
    for (auto it = copy.headers.begin(); it != copy.headers.end();) {
      it = AsciiLower(it->first) == "content-type" ? copy.headers.erase(it) : std::next(it);
    }
    copy.set_header("Content-Type", original_type);
  }
  handler(copy, body, response);
}

}  // namespace albumservice
