#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Namorel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Namorel"));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Namorel"));
    window.setFixedSize(534, 383);
    window.show();
    return QApplication::exec();
}
