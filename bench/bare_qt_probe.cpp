// A bare Qt program of the tray program's kind, for scripts/measure-startup to set the program's
// memory against: a window with four tabs, an icon in the notification area and a one-second
// timer, nothing else. Shown, then hidden into the notification area when there is one, as the
// program is when the user left it hidden.
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt probe"));
    auto* layout = new QVBoxLayout(&window);
    auto* tabs = new QTabWidget(&window);
    for (const char* caption : {"About", "Settings", "Schedules", "Sleep / timed off"})
        tabs->addTab(new QLabel(QString::fromLatin1(caption)), QString::fromLatin1(caption));
    layout->addWidget(tabs);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::darkBlue);
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.setToolTip(QStringLiteral("Bare Qt probe"));
    tray.show();
    QTimer tick;
    tick.start(1000);
    window.show();
    QTimer::singleShot(1000, &window, [&window] {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            window.hide();
    });
    return QApplication::exec();
}
