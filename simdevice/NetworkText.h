// What the simulated devices and their hub read from a command line or a control datagram: port
// numbers and addresses, checked the same way everywhere.
#pragma once

#include <cstdint>
#include <string>

namespace simdevice {

// A port from 1 to 65535 in decimal digits only; false for anything else.
bool parsePort(const std::string &text, std::uint16_t *port);

// A device address by the programs' own rule (query/DeviceAddress.h); the address in host byte
// order. False for anything else.
bool parseIPv4(const std::string &text, std::uint32_t *address);

// Whether the address (host byte order) lies in 127.0.0.0/8, the only range the simulators serve
// unless told.
bool isLoopback(std::uint32_t address);

} // namespace simdevice
