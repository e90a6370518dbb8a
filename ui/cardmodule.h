#pragma once

#include "shortlistview.h"

#include <QList>
#include <QtPlugin>

class QModelIndex;
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
    NameCard *Card = nullptr;
    FitPanel *Fit = nullptr;
    RatingPanel *Rating = nullptr;
};

/// What the main window asks of the name card and of the shortlist tab's contents. They live in a module of
/// their own, beside the program, with the charts, SQL and printing libraries they need: the window starts
/// without them, and the module is loaded the first time a card opens or the shortlist tab is shown.
class CardModule
{
public:
    virtual ~CardModule() = default;

    /// The module: the one linked into the program, else the file beside it, loaded on first use. Throws
    /// std::runtime_error when it cannot be loaded.
    static CardModule &instance();

    /// Builds the controls of \a tab.
    virtual void buildShortlistTab(ShortlistTab &tab) = 0;
    /// Reads the shortlist again into \a tab. Throws ShortlistError.
    virtual void refreshShortlistTab(ShortlistTab &tab) = 0;
    /// Asks for the card of the name in the row at \a index of \a tab.
    virtual void openCardOfRow(ShortlistTab &tab, const QModelIndex &index) = 0;
    /// The rows \a tab shows.
    virtual QList<ShortlistRow> shortlistRows(const ShortlistTab &tab) = 0;

    /// A new, hidden name card on \a parent, its rating panel rating into \a session.
    virtual NameCardWidgets createNameCard(QWidget *parent, ShortlistSession *session) = 0;
    /// Shows \a name on the card: its facts, how it goes with the surname, and my rating of it.
    virtual void showOnNameCard(const NameCardWidgets &widgets, const QString &programFolder, const QString &name,
        qint32 genderIndex, const QString &middleName, const QString &surname)
        = 0;
};

} // namespace namorel

#define NamorelCardModule_iid "com.namorel.CardModule/1.0"
Q_DECLARE_INTERFACE(namorel::CardModule, NamorelCardModule_iid)
