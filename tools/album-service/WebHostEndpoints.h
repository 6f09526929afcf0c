// The web site's files: the control's update-config file, the host program's
// update-information document, the installers to download and the crash
// signal, which is counted.
#pragma once

#include <string>

#include "tools/album-service/Router.h"

namespace albumservice {

class WebHostEndpoints {
 public:
  explicit WebHostEndpoints(ServiceContext& context) : context_(context) {}
  void Register(Router& router);

  // The update-config file served when the data folder holds none.
  std::string DefaultUpdateConfig(const std::string& base_url);
  // The update-information document served when the data folder holds none.
  std::string DefaultHostUpdateInfo(const std::string& base_url);

 private:
  // The first installer by name in the installers folder ("" when none).
  std::string FirstInstaller();
  void Download(const httplib::Request& request, httplib::Response& response);

  ServiceContext& context_;
};

// A 1 x 1 transparent GIF, the crash signal's answer.
std::string TransparentGif();

}  // namespace albumservice
