#pragma once

#include <QString>

// The body of the Help box.
namespace OM_HelpTexts {

// The colour explanation for the device kind; an empty kind leaves its places empty.
QString helpText(const QString &sDeviceKindName);

} // namespace OM_HelpTexts
