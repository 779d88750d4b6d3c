// The yardstick of the start-up measurement of the Windows program: the least Qt Widgets tray
// program, one label in the state colour with the text the monitor shows for a free device and a
// tray icon of a single colour. The label is a window of the monitor's kind: under wine on an X
// server without a window manager, an ordinary decorated window makes wine bring up its OpenGL
// stack, which would more than double the yardstick's memory for a reason the monitor never meets.
#include "OM_Main.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char **argv) {
    QApplication oApplication(argc, argv);
    QPixmap oIcon(16, 16);
    oIcon.fill(Qt::green);
    QSystemTrayIcon oTrayIcon{QIcon(oIcon)};
    oTrayIcon.show();
    QLabel oLabel(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("127.0.0.1"), nullptr,
                  OM_Main::kWindowFlags);
    oLabel.setAutoFillBackground(true);
    oLabel.setPalette(QPalette(Qt::green));
    oLabel.setAlignment(Qt::AlignCenter);
    oLabel.setMinimumSize(120, 20);
    oLabel.show();
    return QApplication::exec();
}
