#include "tools/album-service/TestControlEndpoints.h"

#include "tools/album-service/Endpoints.h"
#include "tools/album-service/QueryString.h"
#include "tools/album-service/XmlAnswer.h"

namespace albumservice {

std::string TestControlEndpoints::Stats(AlbumStore& store) {
  long long pictures = 0;
  for (const User& user : store.AllUsers()) pictures += store.QuotaOf(user.id).pictures;
  return "fail_gif=" + std::to_string(store.Counter("fail_gif")) +
         "\nusers=" + std::to_string(store.AllUsers().size()) + "\npictures=" + std::to_string(pictures) +
         "\npending_uploads=" + std::to_string(store.PendingUploads().size()) + "\n";
}

void TestControlEndpoints::Register(Router& router) {
  router.Get(paths::kTestFault,
             [this](const httplib::Request& request, const std::string&, httplib::Response& response) {
               QueryString query = QueryString::FromTarget(request.target);
               std::string items;
               for (const auto& [key, value] : query.pairs()) {
                 if (key != "path") items += key + "=" + value + ",";
               }
               std::string error;
               if (!context_.faults.Set(query.Value("path"), items, error)) {
                 response.status = 400;
                 response.set_content("-ERROR:" + error, kTextType);
                 return;
               }
               response.set_content("+OK", kTextType);
             });
  router.Get(paths::kTestClear,
             [this](const httplib::Request& request, const std::string&, httplib::Response& response) {
               context_.faults.Clear(QueryString::FromTarget(request.target).Value("path"));
               response.set_content("+OK", kTextType);
             });
  router.Get(paths::kTestWords,
             [this](const httplib::Request& request, const std::string&, httplib::Response& response) {
               context_.words.Add(QueryString::FromTarget(request.target).Value("add"));
               response.set_content("+OK", kTextType);
             });
  router.Get(paths::kTestStats,
             [this](const httplib::Request&, const std::string&, httplib::Response& response) {
               response.set_content(Stats(context_.store), kTextType);
             });
}

}  // namespace albumservice
