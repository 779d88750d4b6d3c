// The yardstick of the start-up measurement: the least Qt Widgets program that shows one label in
// a state colour, with the text and colour the monitor shows for a free device.
#include <QApplication>
#include <QLabel>
#include <QPalette>

int main(int argc, char **argv) {
    QApplication oApplication(argc, argv);
    QLabel oLabel(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("127.0.0.1"));
    oLabel.setAutoFillBackground(true);
    oLabel.setPalette(QPalette(Qt::green));
    oLabel.setAlignment(Qt::AlignCenter);
    oLabel.setMinimumSize(120, 20);
    oLabel.show();
    return QApplication::exec();
}
