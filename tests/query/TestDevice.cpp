#include "TestDevice.h"

#include "ByteText.h"

void TestDevice::answerWith(const std::string &name, const std::string &user) {
    answerRaw(name + "#" + user);
}

void TestDevice::answerRaw(const std::string &datagram) {
    steer("raw " + orvane::escapeBytes(datagram));
}

void TestDevice::beSilent() {
    steer("silent");
}

void TestDevice::loseRequests(unsigned count) {
    steer("lose " + std::to_string(count));
}

void TestDevice::sendForeignFirst(const std::string &address, unsigned port) {
    steer("foreign " + address + " " + std::to_string(port));
}

// "ok: answering ... (N bytes), COUNT requests seen"
std::size_t TestDevice::requestsSeen() const {
    const std::string answer = steer("status");
    const std::size_t count = answer.rfind(", ");
    return count == std::string::npos ? 0 : std::stoul(answer.substr(count + 2));
}

// "ok: last request "ESCAPED BYTES" (N bytes)"
std::string TestDevice::lastRequest() const {
    const std::string answer = steer("last");
    const std::size_t begin = answer.find('"');
    std::string bytes;
    std::string error;
    if (begin != std::string::npos &&
        !orvane::unescapeBytes(answer.substr(begin + 1, answer.rfind('"') - begin - 1), &bytes,
                               &error)) {
        reportFailure("simulated device, last: " + error + " in " + answer);
    }
    return bytes;
}

std::string TestDevice::steer(const std::string &line) const {
    const std::string answer = execute(line);
    if (answer.rfind("ok: ", 0) != 0) {
        reportFailure("simulated device, " + line + ": " + answer);
        return "";
    }
    return answer;
}
