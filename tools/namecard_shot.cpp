// A maintainer's look at the name card: shows the card of one name and saves a picture of it.
//
//   namecard_shot <program folder> <name> <gender 0|1> <picture.png> [surname] [middle name]
//
// Run it with QT_SCALE_FACTOR=2 for the card at twice the size.
#include "namecard.h"

#include <QApplication>
#include <QPixmap>
#include <QTextStream>

#include <exception>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5) {
        QTextStream(stderr)
            << "usage: namecard_shot <program folder> <name> <gender> <picture.png> [surname] [middle]\n";
        return 2;
    }
    namorel::NameCard card(nullptr, QString());
    try {
        card.showName(args[1], args[2], args[3].toInt(), args.value(6), args.value(5, QStringLiteral("Smith")));
    } catch (const std::exception &error) {
        QTextStream(stderr) << error.what() << '\n';
        return 1;
    }
    card.show();
    QCoreApplication::processEvents();
    return card.grab().save(args[4]) ? 0 : 1;
}
