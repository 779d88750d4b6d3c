// What the simulated devices and their hub read from a command line or a control datagram: port
// numbers and addresses, checked the same way everywhere.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>

namespace simdevice {

// A port from 1 to 65535 in decimal digits only; false for anything else.
bool parsePort(const std::string &text, std::uint16_t *port);

// Whether the address lies in 127.0.0.0/8, the only range the simulators serve unless told.
bool isLoopback(const in_addr &address);

} // namespace simdevice
