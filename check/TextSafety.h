// Reply names and user addresses are whatever bytes the device sent. Before they reach a status
// line or a JSON document they pass through here, so that no byte of a reply can end the line,
// split off the performance data, or make the JSON invalid.
#pragma once

#include <string>

namespace orvanecheck {

// Printable ASCII stays as it is, except '|' (it starts the performance data), '"' and '\';
// every other byte becomes \xNN, so the result is one line of plain ASCII.
std::string escapeForStatusLine(const std::string &bytes);

// A JSON string literal, quotes included. Bytes are read as Latin-1: control characters and
// bytes from 0x7f up become \u00NN, so that any byte sequence gives valid JSON and each byte can
// be recovered from its code point.
std::string jsonString(const std::string &bytes);

} // namespace orvanecheck
