// The yardstick of bench/run.sh on Linux: the least a Qt tray program of this
// shape can cost. A QApplication, a tray icon, a hidden 400 x 150 main window
// and a 30-second timer, built with the program's own flags. It calls itself
// hourgate so that the benchmark finds its docked icon as it finds the
// program's.
#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hourgate"));
    QApplication::setQuitOnLastWindowClosed(false);
    QMainWindow frame;
    frame.setFixedSize(400, 150);
    QSystemTrayIcon tray(QIcon(QPixmap(QStringLiteral(":/res/hourgate-16.png"), "PNG")));
    tray.show();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [] {});
    timer.start(30000);
    return QApplication::exec();
}
