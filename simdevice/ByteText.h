// Bytes as typed text and back: \xNN, \\, \0, \n, \r and \t stand for bytes that cannot be
// typed, so that a reply may carry NUL bytes or line ends.
#pragma once

#include <string>

namespace simdevice {

// Turns the escapes into bytes. On a broken escape returns false and says why.
bool decodeByteText(const std::string &text, std::string *bytes, std::string *error);

// Shows bytes as text with the same escapes, so that every byte can be seen.
std::string encodeByteText(const std::string &bytes);

} // namespace simdevice
