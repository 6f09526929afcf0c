// Registers the service's endpoints on the HTTP server. Every endpoint goes
// through one wrapper that reads the request body (bounded), applies the
// endpoint's fault switches and records the request in the log.
#pragma once

#include <httplib.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/album-service/ServiceContext.h"

namespace albumservice {

// One endpoint: the request, its whole body, the answer to fill.
using EndpointHandler = std::function<void(const httplib::Request&, const std::string&, httplib::Response&)>;

class Router {
 public:
  Router(httplib::Server& server, ServiceContext& context);

  // An exact path.
  void Get(const std::string& path, EndpointHandler handler);
  void Post(const std::string& path, EndpointHandler handler);
  // Every path under a prefix ending in "/" (GET only).
  void GetUnder(const std::string& prefix, EndpointHandler handler);
  // A GET path whose links carry a second "?" in the query (the album
  // activation link does). The HTTP library refuses such a request line with
  // 400 before routing, so the error handler hands it to this handler.
  void GetWithSecondQuestionMark(const std::string& path, EndpointHandler handler);

 private:
  void Install();
  void ServeGet(const std::string& fault_key, const EndpointHandler& handler, const httplib::Request& request,
                httplib::Response& response);
  void ServePost(const std::string& fault_key, const EndpointHandler& handler,
                 const httplib::Request& request, httplib::Response& response,
                 const httplib::ContentReader& reader);
  // Writes the request's log line now, before the answer is sent.
  void LogNow(const httplib::Request& request, const httplib::Response& response);
  // Applies latency, status and garbage faults; true when the answer is made.
  bool ApplyFault(const Fault& fault, httplib::Response& response);

  httplib::Server& server_;
  ServiceContext& context_;
  std::vector<std::pair<std::string, EndpointHandler>> second_question_mark_paths_;
};

// The text answer of a request the service refuses before any endpoint runs.
inline constexpr const char* kTooLargeAnswer = "-ERROR:request body too large";

}  // namespace albumservice
