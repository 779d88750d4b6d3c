#include "OM_Main.h"
#include "StartupAddress.h"

#include <QApplication>
#include <QString>

#include <optional>

int main(int argc, char *argv[]) {
    // Arguments that the toolkit consumes (such as -platform) are gone from argc and argv
    // before the program looks at them.
    QApplication oApplication(argc, argv);
    orvane::applyApplicationIdentity();

    QString sIPAddress;
    if (const std::optional<int> exitCode = orvane::obtainStartupAddress(argc, argv, sIPAddress)) {
        return *exitCode;
    }

    // Declared after the address and the application object, so it is destroyed before them:
    // its destructor still saves the settings.
    OM_Main oMain(sIPAddress, nullptr, OM_Main::kWindowFlags);
    // The first query failed inside the construction and the user has seen the error box:
    // the window is never shown and no event loop runs.
    if (oMain.hasFailed()) {
        return OM_Main::kExitQueryFailed;
    }
    oMain.show();
    return QApplication::exec();
}
