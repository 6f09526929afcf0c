// What every endpoint of the service shares: the store, the word list, the
// fault switches, the request log and the folders under the data folder.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "tools/album-service/AlbumStore.h"
#include "tools/album-service/FaultInjector.h"
#include "tools/album-service/RequestLog.h"
#include "tools/album-service/WordFilter.h"

namespace httplib {
struct Request;
}

namespace albumservice {

struct ServiceOptions {
  std::filesystem::path data_dir;
  // The version the update-config file announces (the product version by default).
  std::string offered_version;
  // The version the host's update-information document offers ("0": none).
  std::string host_patch_version = "0";
  // Largest request body accepted.
  size_t max_body_bytes = 64u * 1024 * 1024;
  int worker_threads = 32;
};

struct ServiceContext {
  ServiceOptions options;
  AlbumStore store;
  WordFilter words;
  FaultInjector faults;
  RequestLog log;

  std::filesystem::path PicturesDir() const { return options.data_dir / "pictures"; }
  std::filesystem::path InstallersDir() const { return options.data_dir / "installers"; }
  // "http://host:port" as the client addressed us, for links in answers.
  std::string BaseUrl(const httplib::Request& request) const;
  int port = 0;
};

}  // namespace albumservice
