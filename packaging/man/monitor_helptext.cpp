// orvane-monitor-helptext: prints the monitor's help and version, which the program itself shows
// only in message boxes, on standard output for help2man, so that the manual page says what the
// boxes say. A build tool; never installed.

#include "StartupAddress.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kProgram[] = "orvane-monitor";

// The box puts the synopsis on the line below "Usage:" and an option's name before a colon;
// help2man reads the synopsis on the "Usage:" line and options indented below "Options:".
QString inHelp2manLayout(const QString &sBoxText) {
    QStringList lines = sBoxText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() < 2) {
        return sBoxText;
    }
    const QString sUsage = lines.takeFirst();
    QString sText = sUsage + QLatin1Char(' ') + lines.takeFirst() + QLatin1String("\n\nOptions:\n");
    static const QRegularExpression optionName(QStringLiteral("^(-[^:]*):"));
    for (QString &sLine : lines) {
        sText += QLatin1String("  ") + sLine.replace(optionName, QStringLiteral("\\1 ")) +
                 QLatin1Char('\n');
    }
    return sText;
}

int print(const QString &sText) {
    std::fputs(sText.toLocal8Bit().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        return print(inHelp2manLayout(orvane::helpText(kProgram)));
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        orvane::applyApplicationIdentity();
        return print(QLatin1String(kProgram) + QLatin1Char(' ') + orvane::versionText() +
                     QLatin1Char('\n'));
    }
    std::fputs("usage: orvane-monitor-helptext --help | --version\n", stderr);
    return 2;
}
