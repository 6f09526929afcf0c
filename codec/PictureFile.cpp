#include "codec/PictureFile.h"

#include <algorithm>

std::vector<uint8_t> ReadUpTo(PictureFile& file, size_t limit) {
  std::vector<uint8_t> data;
  size_t want = file.Size() >= 0 ? std::min(limit, static_cast<size_t>(file.Remaining())) : limit;
  for (size_t chunk = size_t{64} << 10; data.size() < want; chunk = std::min(chunk * 2, size_t{8} << 20)) {
    size_t old = data.size();
    data.resize(std::min(want, old + chunk));
    size_t got = file.Read(data.data() + old, data.size() - old);
    data.resize(old + got);
    if (got == 0) break;
  }
  return data;
}
