// The smallest window that first paint of Namorel is compared with: a main window of the same size with a
// menu bar and a label, and nothing else.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    window.setCentralWidget(new QLabel(QStringLiteral("Namorel")));
    window.setFixedSize(534, 405);
    window.show();
    return QApplication::exec();
}
