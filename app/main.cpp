#include "OM_Instance.h"
#include "OM_Main.h"
#include "SessionPlatform.h"
#include "StartupAddress.h"

#include <QApplication>
#include <QString>

#include <optional>
#include <vector>

int main(int argc, char *argv[]) {
    // The platform is settled before the toolkit starts. The toolkit consumes its own arguments
    // (such as -platform): they are gone from the list before the program looks at it.
    std::vector<char *> oArguments = orvane::argumentsWithSessionPlatform(argc, argv);
    int iArgumentCount = static_cast<int>(oArguments.size()) - 1;
    QApplication oApplication(iArgumentCount, oArguments.data());
    orvane::applyApplicationIdentity();

    QString sIPAddress;
    if (const std::optional<int> exitCode =
            orvane::obtainStartupAddress(iArgumentCount, oArguments.data(), sIPAddress)) {
        return *exitCode;
    }

    // One monitor per device: where the device has a monitor in this session already, that monitor
    // shows its window and this start ends.
    OM_Instance oInstance;
    if (!oInstance.claim(sIPAddress)) {
        return 0;
    }

    // Declared after the address and the application object, so it is destroyed before them:
    // its destructor still saves the settings.
    OM_Main oMain(sIPAddress, nullptr, OM_Main::kWindowFlags);
    // The first query failed inside the construction and the user has seen the error box:
    // the window is never shown and no event loop runs.
    if (oMain.hasFailed()) {
        return OM_Main::kExitQueryFailed;
    }
    oMain.setInstance(&oInstance);
    oMain.show();
    return QApplication::exec();
}
