// The control datagrams of orvane-simdevice-hub, shared by the hub and its clients.
//
// A client that cannot host a simulated device itself (the Windows build of the tests, which runs
// under wine while the device runs natively) asks the hub to run devices for it. Each request is
// one datagram "ID ADDRESS LINE", where LINE is "start", "stop" or a line of the device console
// of orvane-simdevice (DeviceConsole.h) for the device on ADDRESS. The hub answers each request
// with "ID " and the console's one-line acknowledgement, "ok: ..." or "error: ...", to the
// sender. A client may send a request again when its answer does not come: "start" replaces a
// device that is already there by a fresh one, "stop" of no device is no error, and the console's
// commands all set what they set.
#pragma once

namespace simdevicehub {

constexpr char DEFAULT_CONTROL_ADDRESS[] = "127.0.0.190";
constexpr unsigned short DEFAULT_CONTROL_PORT = 9759;

} // namespace simdevicehub
