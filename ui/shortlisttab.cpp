#include "shortlisttab.h"
#include "cardmodule.h"
#include "errorreport.h"
#include "shortlistsession.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QTableView>

namespace namorel {

// The tab as the window holds it from the start. Its controls and commands are in shortlisttabcontents.cpp,
// in the module of the name card, which is loaded when they are first needed.

ShortlistTab::ShortlistTab(ShortlistSession *session, QWidget *parent)
    : QFrame(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("Panel4"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    connect(m_session, &ShortlistSession::changed, this, [this] {
        if (isVisible())
            CardModule::instance().refreshShortlistTab(*this);
    });
}

ShortlistTab::~ShortlistTab() = default;

void ShortlistTab::ensureBuilt() const
{
    // The tab is the last of the window and is not on screen when the program starts: its controls wait until
    // they are needed, so the window appears sooner.
    if (!m_table)
        CardModule::instance().buildShortlistTab(*const_cast<ShortlistTab *>(this));
}

void ShortlistTab::setVisible(bool visible)
{
    // Should the controls fail to come (the module missing), the error is reported and the tab shows empty.
    if (visible)
        RunGuarded([this] { ensureBuilt(); });
    QFrame::setVisible(visible);
}

QTableView *ShortlistTab::table() const
{
    ensureBuilt();
    return m_table;
}

QPushButton *ShortlistTab::deleteButton() const
{
    ensureBuilt();
    return m_delete;
}

QLabel *ShortlistTab::partnerLabel() const
{
    ensureBuilt();
    return m_partner;
}

QAbstractButton *ShortlistTab::viewButton(ShortlistView view) const
{
    ensureBuilt();
    return m_viewButtons->button(int(view));
}

QList<ShortlistRow> ShortlistTab::rows() const
{
    return CardModule::instance().shortlistRows(*this);
}

bool ShortlistTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier
            && m_table->currentIndex().isValid()) {
            CardModule::instance().openCardOfRow(*this, m_table->currentIndex());
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void ShortlistTab::setView(ShortlistView view)
{
    viewButton(view)->setChecked(true);
    if (view == m_view)
        return;
    m_view = view;
    RunGuarded([this] { CardModule::instance().refreshShortlistTab(*this); });
}

void ShortlistTab::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    // Another copy of the program may have changed the shortlist since it was last shown.
    if (m_table)
        RunGuarded([this] { CardModule::instance().refreshShortlistTab(*this); });
}

} // namespace namorel
