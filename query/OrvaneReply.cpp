#include "OrvaneReply.h"

#include <cstring>

namespace {
constexpr char FREE_USER_ADDRESS[] = "0.0.0.0";
constexpr std::size_t FREE_USER_ADDRESS_LENGTH = sizeof FREE_USER_ADDRESS - 1;
} // namespace

OrvaneReply parseOrvaneReply(const char *data, std::size_t length) {
    OrvaneReply reply;
    const void *nul = std::memchr(data, '\0', length);
    const std::size_t textLength =
        nul ? std::size_t(static_cast<const char *>(nul) - data) : length;
    const void *separator = std::memchr(data, '#', textLength);
    if (separator == nullptr) {
        return reply;
    }
    reply.bHasSeparator = true;
    reply.nameLength = std::size_t(static_cast<const char *>(separator) - data);
    reply.pszUser = data + reply.nameLength + 1;
    reply.userLength = textLength - reply.nameLength - 1;
    return reply;
}

bool bIsFreeUserAddress(const OrvaneReply &reply) {
    return reply.userLength >= FREE_USER_ADDRESS_LENGTH &&
           std::memcmp(reply.pszUser, FREE_USER_ADDRESS, FREE_USER_ADDRESS_LENGTH) == 0;
}
