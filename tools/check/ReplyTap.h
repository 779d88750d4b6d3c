// The query reports the state and the device's name, but not the address of the PC that holds the
// device, which is what a monitoring message about a held device needs most. While a tap is in
// place, it keeps a copy of the datagram the query receives, so that this address can be read
// with the network layer's own reply rules, from the one answer the query already got: no second
// request, no second reading of the wire format.
#pragma once

#include "query/Platform.h"

#include <string>

namespace orvanecheck {

class ReplyTap {
public:
    ReplyTap();  // installs the tap in the network layer's platform table
    ~ReplyTap(); // puts the previous table back
    ReplyTap(const ReplyTap &) = delete;
    ReplyTap &operator=(const ReplyTap &) = delete;

    // The user address of the reply received meanwhile: every byte after the first "#" of the
    // reply text, untrimmed. False when no reply with a "#" was received.
    bool userAddress(std::string &address) const;

private:
    orvane::PlatformLayer previous;
};

} // namespace orvanecheck
