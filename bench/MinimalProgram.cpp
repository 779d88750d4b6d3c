// The yardstick of the start-up measurement: the least Qt Widgets program that shows one label in
// a state colour, with the text and colour the monitor shows for a free device.
//
// Built for Windows, the yardstick of the Windows program: the least Qt Widgets tray program, the
// same label beside a tray icon of a single colour. There the label is a window of the monitor's
// kind: under wine on an X server without a window manager, an ordinary decorated window makes
// wine bring up its OpenGL stack, which would more than double the yardstick's memory for a reason
// the monitor never meets.
#include <QApplication>
#include <QLabel>
#include <QPalette>

#ifdef _WIN32
#include "OM_Main.h"

#include <QPixmap>
#include <QSystemTrayIcon>
#endif

int main(int argc, char **argv) {
    QApplication oApplication(argc, argv);
#ifdef _WIN32
    QPixmap oIcon(16, 16);
    oIcon.fill(Qt::green);
    QSystemTrayIcon oTrayIcon{QIcon(oIcon)};
    oTrayIcon.show();
    const Qt::WindowFlags eFlags = OM_Main::kWindowFlags;
#else
    const Qt::WindowFlags eFlags;
#endif
    QLabel oLabel(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("127.0.0.1"), nullptr,
                  eFlags);
    oLabel.setAutoFillBackground(true);
    oLabel.setPalette(QPalette(Qt::green));
    oLabel.setAlignment(Qt::AlignCenter);
    oLabel.setMinimumSize(120, 20);
    oLabel.show();
    return QApplication::exec();
}
