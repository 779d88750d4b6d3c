// The device the query tests talk to, on a loopback address of the test's own. The native build
// runs the simulated device in-process; a build whose tests cannot host it supplies another
// implementation of this class.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class TestDevice {
public:
    TestDevice();
    ~TestDevice();

    // The index-th loopback address of the range that this build's tests own.
    static std::string loopbackAddress(unsigned index);

    bool start(const std::string &address, std::string *error);
    void answerWith(const std::string &name, const std::string &user);
    void answerRaw(const std::string &datagram);
    void beSilent();
    std::size_t requestsSeen() const;
    std::string lastRequest() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
