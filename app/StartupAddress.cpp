#include "StartupAddress.h"

#include "DeviceAddress.h"
#include "OM_IPDialog.h"
#include "OrvaneIdentity.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>

namespace orvane {

namespace {

constexpr int kExitAfterOption = 0;
constexpr int kExitDialogNotAccepted = 1;

void showInformation(const QString &sTitle, const QString &sText) {
    QMessageBox::information(nullptr, sTitle, sText, QMessageBox::Ok, QMessageBox::NoButton);
}

// The dialog never shows the rejected argument: it opens with its own hint text.
std::optional<int> askForAddress(const QString &sMessage, QString &sIPAddress) {
    OM_IPDialog oDialog(sMessage, nullptr);
    if (oDialog.exec() != QDialog::Accepted) {
        return kExitDialogNotAccepted;
    }
    sIPAddress = oDialog.GetIPAddress();
    return std::nullopt;
}

} // namespace

QString helpText(const char *szProgram) {
    return QLatin1String("Usage:\n") + QString::fromLatin1(szProgram) + QLatin1String(" <IP>") +
           QLatin1String("\n") + QLatin1String("-h, --help:    Show this help.\n") +
           QLatin1String("-v, --version: Show version information and quit.\n");
}

void applyApplicationIdentity() {
    QApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
}

QString versionText() {
    return QApplication::applicationVersion();
}

std::optional<int> obtainStartupAddress(int argc, char **argv, QString &sIPAddress) {
    if (argc <= 1) {
        return askForAddress(QStringLiteral("No IP address provided on command line."), sIPAddress);
    }

    // Only the first argument counts; an option anywhere else is ignored.
    sIPAddress = QString::fromLatin1(argv[1]);
    if (QStringList{"/?", "-h", "--help"}.contains(sIPAddress)) {
        showInformation(QStringLiteral("Help"), helpText(argv[0]));
        return kExitAfterOption;
    }
    if (QStringList{"-v", "--version"}.contains(sIPAddress)) {
        showInformation(QStringLiteral("Version"), versionText());
        return kExitAfterOption;
    }
    // The rule the dialog's validator applies too, without the regular expression engine whose
    // compiler would stay in the memory of every monitor.
    if (!bIsDeviceAddress(sIPAddress.toStdString())) {
        return askForAddress(QStringLiteral("Provided IP address is invalid."), sIPAddress);
    }
    return std::nullopt;
}

} // namespace orvane
