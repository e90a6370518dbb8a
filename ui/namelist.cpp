#include "namelist.h"

#include <QKeyEvent>

namespace namorel {

NameList::NameList(QWidget *parent)
    : QListView(parent)
{ }

void NameList::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    const bool choosingKey = event->key() == Qt::Key_Down || event->key() == Qt::Key_Up || event->key() == Qt::Key_Space
        || event->key() == Qt::Key_Select;
    if (choosingKey && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && current.isValid()
        && selectionModel() && !selectionModel()->hasSelection()) {
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
        scrollTo(current);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace namorel
