#pragma once

#include <QString>

#include <optional>

namespace orvane {

// The help box text: usage with the program as started, and the two option lines.
QString helpText(const char *szProgram);

// Organisation, application name and version of the program, on the application object.
void applyApplicationIdentity();

// The version as "major.minor.build", as applyApplicationIdentity() gave it.
QString versionText();

// Everything the program does before monitoring starts, on an application object built from
// the same argc and argv: answers the help and version options, or obtains an address that the
// validator accepts from the first argument or from the address dialog. Returns the exit code
// when the program ends here; otherwise std::nullopt, with the address in sIPAddress.
std::optional<int> obtainStartupAddress(int argc, char **argv, QString &sIPAddress);

} // namespace orvane
