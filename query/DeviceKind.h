// Which kind of device answered, decided from the name in its reply: the monitor window names the
// device this way in its balloons and Help, and the monitoring check in its status line.
#pragma once

// The name a Relay Host goes by: it answers without naming itself.
constexpr const char *RELAY_HOST_NAME = "Relay Host";

// A name containing "66" anywhere is a "sourceORVANE", any other name a "captureORVANE"; a
// device that answers without a name is a "Relay Host".
const char *pszDeviceKindName(const char *pszReplyName);
