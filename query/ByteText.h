// Bytes as text that shows every byte, and back: "\xNN" for a byte that is no printable ASCII,
// "\\" for a backslash, and on reading also "\0", "\n", "\r" and "\t", so that bytes can be typed.
// A device's reply is whatever bytes it sent; this is how the programs show and type them.
#pragma once

#include <string>

namespace orvane {

// What a backslash that is not among the escaped characters becomes: "\\", so that the text reads
// back as the bytes, or itself, for text that is only shown (a Windows path).
enum class Backslash { Doubled, Kept };

// Printable ASCII stays, except the characters in alsoEscaped, which become "\xNN" like every
// other byte; a backslash not among them becomes as the last argument says.
std::string escapeBytes(const std::string &bytes, const char *alsoEscaped = "",
                        Backslash backslash = Backslash::Doubled);

// Turns the escapes into bytes. On a broken escape returns false and says why.
bool unescapeBytes(const std::string &text, std::string *bytes, std::string *error);

// Removes blanks, tabs and line ends from the end (the query keeps them as part of the address).
std::string trimTrailingWhitespace(const std::string &text);

} // namespace orvane
