#include "control/session/SessionState.h"

namespace {

// Index into the table, or kSlotCount for a value outside the table (a slot
// number cast from an untrusted integer).
size_t SlotIndex(CSessionState::EndpointSlot slot) {
  int number = static_cast<int>(slot);
  if (number < 1 || number > album_endpoints::kSlotCount) return album_endpoints::kSlotCount;
  return static_cast<size_t>(number - 1);
}

const std::string kNoEndpoint;

}  // namespace

CSessionState::CSessionState() = default;

void CSessionState::InitConfig() {
  photo_limit_ = kDefaultPhotoLimit;
  for (int slot = 1; slot <= album_endpoints::kSlotCount; ++slot) {
    auto which = static_cast<EndpointSlot>(slot);
    endpoints_[SlotIndex(which)] = album_endpoints::DefaultEndpoint(which);
  }
}

const std::string& CSessionState::Endpoint(EndpointSlot slot) const {
  size_t index = SlotIndex(slot);
  return index < endpoints_.size() ? endpoints_[index] : kNoEndpoint;
}

void CSessionState::SetSlot(EndpointSlot slot, const std::string& url) {
  size_t index = SlotIndex(slot);
  if (index < endpoints_.size()) endpoints_[index] = url;
}
