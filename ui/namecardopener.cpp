#include "namecardopener.h"
#include "cardmodule.h"
#include "errorreport.h"
#include "mainunit.h"
#include "mainunitcontrols.h"

#include <QKeyEvent>
#include <QListView>
#include <QMenu>

namespace namorel {

NameCardOpener::NameCardOpener(TMainForm *form)
    : QObject(form)
    , m_form(form)
{
    for (QListView *list : { form->controls().lbRecommend, form->controls().lbNotRecommend }) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this,
            [this, list](const QPoint &at) { showContextMenu(list, at); });
        // Not QAbstractItemView::activated: on desktops that open items with a single click it would open
        // the card on every click.
        connect(list, &QAbstractItemView::doubleClicked, this, &NameCardOpener::open);
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, list] { follow(list); });
        list->installEventFilter(this);
    }
}

NameCardOpener::~NameCardOpener() = default;

NameCard *NameCardOpener::card() const
{
    return m_card ? m_widgets.Card : nullptr;
}

FitPanel *NameCardOpener::fitPanel() const
{
    return m_card ? m_widgets.Fit : nullptr;
}

RatingPanel *NameCardOpener::ratingPanel() const
{
    return m_card ? m_widgets.Rating : nullptr;
}

bool NameCardOpener::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            const auto *list = qobject_cast<QAbstractItemView *>(watched);
            if (list && list->currentIndex().isValid()) {
                open(list->currentIndex());
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void NameCardOpener::showContextMenu(QAbstractItemView *list, const QPoint &at)
{
    // By the mouse: the row under the pointer; by the keyboard's menu key: the current row.
    QModelIndex index = list->indexAt(at);
    if (!index.isValid() && !list->viewport()->rect().contains(at))
        index = list->currentIndex();
    if (index.isValid())
        list->setCurrentIndex(index);

    QMenu menu(list);
    QAction *details = menu.addAction(QStringLiteral("Details..."));
    details->setEnabled(index.isValid() && !index.data().toString().isEmpty());
    connect(details, &QAction::triggered, this, [this, index] { open(index); });
    const QPoint shownAt = list->viewport()->rect().contains(at) ? at : list->visualRect(index).center();
    menu.exec(list->viewport()->mapToGlobal(shownAt));
}

void NameCardOpener::open(const QModelIndex &index)
{
    openName(index.data().toString(), m_form->controls().cbGender->currentIndex());
}

void NameCardOpener::openName(const QString &name, qint32 genderIndex)
{
    if (name.isEmpty())
        return;
    show(name, genderIndex);
    if (!m_card)
        return;
    m_card->show();
    m_card->raise();
    m_card->activateWindow();
}

void NameCardOpener::follow(QAbstractItemView *list)
{
    if (!m_card || !m_card->isVisible())
        return;
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    if (!selected.isEmpty() && !selected.first().data().toString().isEmpty())
        show(selected.first().data().toString(), m_form->controls().cbGender->currentIndex());
}

void NameCardOpener::show(const QString &name, qint32 genderIndex)
{
    const Ui::TMainForm &ui = m_form->controls();
    RunGuarded([&] {
        // The card lives in a module of its own, loaded when the first card opens.
        CardModule &cards = CardModule::instance();
        if (!m_card) {
            m_widgets = cards.createNameCard(m_form, m_form->shortlistSession());
            m_card = m_widgets.Window;
        }
        cards.showOnNameCard(
            m_widgets, ProgramFolder, name, genderIndex, ui.leMiddlename->text(), ui.leSurname->text());
    });
}

} // namespace namorel
