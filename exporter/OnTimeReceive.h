// The network layer's receive time-out, kept to the millisecond in the exporter.
#pragma once

namespace orvaneexporter {

// Linux times a socket's receive time-out (SO_RCVTIMEO) on its timer wheel, which makes a wait of
// a second or more end up to an eighth later (up to 32 ms at one second on a kernel of 250 Hz):
// too late for an answer promised within its time-out plus 50 ms. From this call on, the network
// layer's receive first waits for the datagram with poll(), whose timer is exact, and reports
// the time-out as the socket would. The query itself is unchanged. Call once, before the first
// probe; the tests and the program call it alike.
void receiveRepliesOnTime();

} // namespace orvaneexporter
