#pragma once

#include <QtPlugin>

#include <functional>

class QObject;
class QString;
class QWidget;

namespace namorel {

class FitPanel;
class NameCard;
class RatingPanel;
class ShortlistSession;
class ShortlistTab;

/// The name card with its panels, as the window holds it.
struct NameCardWidgets
{
    QWidget *Window = nullptr; // the card, as the window shows, raises and closes it
    NameCard *Card = nullptr;
    FitPanel *Fit = nullptr;
    RatingPanel *Rating = nullptr;
};

/// What the main window asks of the name card and of the shortlist. They live in a module of their own, beside
/// the program, with the charts, SQL and printing libraries they need: the window starts without them, and the
/// module is loaded the first time a card opens or the shortlist tab is shown. The window knows their types by
/// name only.
class CardModule
{
public:
    virtual ~CardModule() = default;

    /// The module: the one linked into the program, else the file beside it, loaded on first use. Throws
    /// std::runtime_error when it cannot be loaded.
    static CardModule &instance();

    /// A session on the user's shortlist, owned by \a owner; its database is opened when first needed.
    virtual ShortlistSession *createShortlistSession(QObject *owner) = 0;
    /// Has every view of \a session store what is still being typed into it, quietly, and closes its database.
    virtual void closeShortlistSession(ShortlistSession &session) = 0;

    /// The shortlist tab's contents, made into \a page and filling it, showing the ratings of \a session. A
    /// name the user opens from it is handed to \a openCard with its gender.
    virtual ShortlistTab *createShortlistTab(QWidget *page, ShortlistSession *session,
        std::function<void(const QString &name, qint32 genderIndex)> openCard)
        = 0;

    /// A new, hidden name card on \a parent, its rating panel rating into \a session.
    virtual NameCardWidgets createNameCard(QWidget *parent, ShortlistSession *session) = 0;
    /// Shows \a name on the card: its facts, how it goes with the surname, and my rating of it.
    virtual void showOnNameCard(const NameCardWidgets &widgets, const QString &programFolder, const QString &name,
        qint32 genderIndex, const QString &middleName, const QString &surname)
        = 0;
};

} // namespace namorel

#define NamorelCardModule_iid "com.namorel.CardModule/2.0"
Q_DECLARE_INTERFACE(namorel::CardModule, NamorelCardModule_iid)
