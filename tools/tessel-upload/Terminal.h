// The terminal, where there is one: whether a stream is one, a yes/no
// question, and a password read without echo.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace tessel_upload {

// Whether the stream is a terminal.
bool IsTerminal(std::FILE* stream);

// Asks on standard error and reads the answer from standard input; "y",
// "yes" and "是" are yes, anything else (or the end of input) is no.
bool AskYesNo(const std::string& question);

// Reads one line from standard input without its line end; none at the end of input.
std::optional<std::string> ReadLine();

// Prompts on standard error and reads a line without echo when standard input is a terminal.
std::optional<std::string> ReadPassword(const std::string& prompt);

}  // namespace tessel_upload
