#include "control/batch/BatchTexts.h"

#include <cstdio>

namespace upload_batch {

std::string CapacityQuestion(int remaining) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, kCapacityQuestionFormat, remaining, remaining);
  return buffer;
}

std::string SummaryText(int pictures, int failures) {
  if (failures <= 0) return kAllDoneText;
  if (failures >= pictures) return kAllFailedText;
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, kSomeFailedFormat, pictures - failures, failures);
  return buffer;
}

}  // namespace upload_batch
