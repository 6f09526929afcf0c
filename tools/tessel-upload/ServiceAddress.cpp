#include "tools/tessel-upload/ServiceAddress.h"

#include "control/session/SessionState.h"

namespace tessel_upload {

CServiceAddress::CServiceAddress(std::optional<std::string> base) : base_(std::move(base)) {
  while (base_ && !base_->empty() && base_->back() == '/') base_->pop_back();
}

std::string CServiceAddress::Rehost(const std::string& url) const {
  if (!base_) return url;
  size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  size_t path = url.find('/', scheme + 3);
  return *base_ + (path == std::string::npos ? std::string() : url.substr(path));
}

void CServiceAddress::ApplyTo(CSessionState* session) const {
  using Slot = CSessionState::EndpointSlot;
  session->SetLoginEndpoint(Rehost(session->Endpoint(Slot::kLogin)));
  session->SetUploadEndpoint(Rehost(session->Endpoint(Slot::kUpload)));
  session->SetQuotaEndpoint(Rehost(session->Endpoint(Slot::kQuota)));
  session->SetAlbumListEndpoint(Rehost(session->Endpoint(Slot::kAlbumList)));
  session->SetAlbumInfoEndpoint(Rehost(session->Endpoint(Slot::kAlbumInfo)));
  session->SetAlbumCreateEndpoint(Rehost(session->Endpoint(Slot::kAlbumCreate)));
  // NOTE: the registration slot cannot be replaced (a page cannot move it
  // either); its URL is rehosted after each picture's preparation instead.
}

}  // namespace tessel_upload
