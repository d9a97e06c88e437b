// Lines of text in and out of the batch tool: the line end of a line read
// from standard input, and user input echoed inside a one-line message.
#pragma once

#include <string>

namespace gs {

constexpr std::size_t kEchoMaxChars = 80; // longest echo of user input, "..." included

// Drops the line end from a read line: a trailing line feed and every
// carriage return before it ("\n", "\r\n", "\r\r\n" all end a line).
void TrimLineEnd(std::string *line);

// The text with control characters written as escapes (\n, \r, \t, \xHH),
// so that it stays on one line. Returns the escaped text.
std::string OneLineText(const std::string &text);

// User input as a message echoes it: escaped as OneLineText, and cut to
// about kEchoMaxChars characters ending "..." when longer (never inside an
// escape or a UTF-8 character). Returns the echo.
std::string EchoText(const std::string &input);

} // namespace gs
