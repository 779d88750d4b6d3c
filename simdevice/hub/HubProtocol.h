// The control datagrams of orvane-simdevice-hub, shared by the hub and its clients.
//
// A client that cannot host a simulated device itself (the Windows build of the tests, which runs
// under wine while the device runs natively) asks the hub to run devices for it. Each request is
// one datagram "ID COMMAND [ADDRESS [ARGUMENT]]"; the ARGUMENT is every byte after the separating
// blank, so that it may carry blanks, line ends and NUL bytes. The hub answers each request with
// "ID ok[ DATA]" or "ID error: WHY" to the sender. All commands may be repeated harmlessly, so a
// client may send a request again when its answer does not come.
//
//   start ADDRESS PORT    run a device there (one already there is replaced by a fresh one)
//   stop ADDRESS          end the device there
//   raw ADDRESS BYTES     answer every request with exactly these bytes
//   silent ADDRESS        take requests, answer nothing
//   seen ADDRESS          -> ok N: the number of state requests the device took
//   last ADDRESS          -> ok BYTES: the last request the device took
//   ping                  -> ok
#pragma once

#include <string>

namespace simdevicehub {

constexpr char DEFAULT_CONTROL_ADDRESS[] = "127.0.0.190";
constexpr unsigned short DEFAULT_CONTROL_PORT = 9759;

struct HubRequest {
    std::string id;
    std::string command;
    std::string address;
    std::string argument;
};

inline std::string formatHubRequest(const HubRequest &request) {
    std::string datagram = request.id + " " + request.command;
    if (!request.address.empty()) {
        datagram += " " + request.address;
        if (!request.argument.empty()) {
            datagram += " " + request.argument;
        }
    }
    return datagram;
}

// Splits at the first three blanks; what follows the third is the argument, byte for byte.
inline HubRequest parseHubRequest(const std::string &datagram) {
    HubRequest request;
    std::string *fields[] = {&request.id, &request.command, &request.address};
    std::size_t begin = 0;
    for (std::string *field : fields) {
        const std::size_t end = datagram.find(' ', begin);
        *field = datagram.substr(begin, end == std::string::npos ? end : end - begin);
        if (end == std::string::npos) {
            return request;
        }
        begin = end + 1;
    }
    request.argument = datagram.substr(begin);
    return request;
}

} // namespace simdevicehub
