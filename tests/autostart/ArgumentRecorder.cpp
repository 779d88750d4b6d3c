// Stands in for the monitor in the Windows test of orvane-monitor-autostart: notes the command line
// it was started with, split as the monitor's is (Qt splits it), in a file of its own beside
// itself, NAME.exe.started.PID: one line, the arguments separated by tabs. Then ends.
#include <QCoreApplication>
#include <QFile>

int main(int argc, char **argv) {
    const QCoreApplication application(argc, argv);
    QFile noted(QCoreApplication::applicationFilePath() + ".started." +
                QString::number(QCoreApplication::applicationPid()));
    const QByteArray line = QCoreApplication::arguments().join('\t').toUtf8() + "\n";
    return noted.open(QIODevice::WriteOnly) && noted.write(line) == line.size() ? 0 : 1;
}
