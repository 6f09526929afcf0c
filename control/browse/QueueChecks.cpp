#include "control/browse/QueueChecks.h"

#include <string_view>

#include "common/text/Format.h"

namespace folder_browse {
namespace {

// Puts the sizes in place of the "%s" of a format, in order. The sizes are
// our own texts, so nothing in them acts as a directive.
std::string WithSizes(std::string_view format, uint64_t first, uint64_t second, bool twoSizes) {
  std::string out;
  int filled = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && filled < (twoSizes ? 2 : 1)) {
      out += common::FormatSize(filled == 0 ? first : second, false);
      ++filled;
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

}  // namespace

std::string QuotaProblem(int64_t remainingSpace) {
  return remainingSpace > 0 ? std::string() : std::string(kMonthSpaceFullText);
}

std::string SizeProblem(uint64_t queueBytes, uint64_t itemBytes, uint64_t perUploadLimit,
                        int64_t remainingSpace, bool keepOriginal) {
  if (!keepOriginal) return std::string();
  uint64_t total = queueBytes + itemBytes;
  if (perUploadLimit > 0 && total >= perUploadLimit) {
    return WithSizes(kOverUploadLimitFormat, total, perUploadLimit, true);
  }
  if (remainingSpace > 0 && total < static_cast<uint64_t>(remainingSpace)) return std::string();
  uint64_t shown = remainingSpace > 0 ? static_cast<uint64_t>(remainingSpace) : 0;
  return WithSizes(kOverRemainingSpaceFormat, total, shown, true);
}

std::string SelectionProblem(uint64_t totalBytes) {
  if (totalBytes <= kMaxSelectionBytes) return std::string();
  return WithSizes(kOverSelectionLimitFormat, totalBytes, 0, false);
}

}  // namespace folder_browse
