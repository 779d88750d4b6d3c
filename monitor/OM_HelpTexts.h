#pragma once

#include <QString>

// The bodies of the Help and About boxes.
namespace OM_HelpTexts {

// The colour explanation for the device kind; an empty kind leaves its places empty.
QString helpText(const QString &sDeviceKindName);

// "Version: " and the program's version.
QString aboutText();

} // namespace OM_HelpTexts
