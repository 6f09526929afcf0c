#include "tools/tessel-upload/Terminal.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

namespace tessel_upload {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

std::optional<std::string> ReadLine() {
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool AskYesNo(const std::string& question) {
  std::fprintf(stderr, "%s\n[y/N] ", question.c_str());
  std::fflush(stderr);
  std::optional<std::string> answer = ReadLine();
  if (!answer) return false;
  return *answer == "y" || *answer == "Y" || *answer == "yes" || *answer == "是";
}

std::optional<std::string> ReadPassword(const std::string& prompt) {
  std::fprintf(stderr, "%s", prompt.c_str());
  std::fflush(stderr);
  termios saved{};
  bool quiet = tcgetattr(STDIN_FILENO, &saved) == 0;
  if (quiet) {
    termios silent = saved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
  }
  std::optional<std::string> line = ReadLine();
  if (quiet) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  std::fprintf(stderr, "\n");
  return line;
}

}  // namespace tessel_upload
