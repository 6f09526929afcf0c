#include "common/text/CodePageText.h"

#include "platform/system/CodePage.h"

namespace common {

std::string AnsiToUtf8(std::string_view ansi) { return platform::GbkToUtf8(ansi); }

std::string Utf8ToAnsi(std::string_view utf8) { return platform::Utf8ToGbk(utf8); }

}  // namespace common
