// UTF-8 text of the program and the wide text of the Windows API, and the system's message for
// an error code. Windows only.
#pragma once

#include <string>

namespace autostart {

std::wstring widened(const std::string &utf8);
std::string narrowed(const std::wstring &wide);

// The system's own one-line text for a Win32 error code, such as "Access is denied."
std::string systemMessage(unsigned long code);

} // namespace autostart
