// A simulated instrument: answers every "state" request on a UDP port of a loopback address,
// from a thread of its own, with what the test or the user has set. Plain C++ without Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace simdevice {

class SimulatedDevice {
public:
    SimulatedDevice();
    ~SimulatedDevice(); // stops and joins the answering thread
    SimulatedDevice(const SimulatedDevice &) = delete;
    SimulatedDevice &operator=(const SimulatedDevice &) = delete;

    // Binds the address (dotted quad) and port and starts answering. Refuses addresses outside
    // 127.0.0.0/8 unless allowNonLoopback is set. On failure returns false and says why.
    bool start(const std::string &address, std::uint16_t port = 9758, std::string *error = nullptr,
               bool allowNonLoopback = false);
    void stop();

    // What the next requests get. The default is name "captureORVANE", user "0.0.0.0".
    void answerWith(const std::string &name, const std::string &userAddress); // "name#user"
    void answerRaw(const std::string &datagram); // exact bytes: may hold NUL, may exceed 128
    void beSilent();                             // takes requests, answers nothing

    std::size_t requestsSeen() const;
};

} // namespace simdevice
