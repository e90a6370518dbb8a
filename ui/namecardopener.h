#pragma once

#include "cardmodule.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

class QAbstractItemView;
class QModelIndex;

namespace namorel {

class FitPanel;
class NameCard;
class RatingPanel;
class TMainForm;

/// Opens the name card from the two result lists of the main window: a double-click, Enter, or "Details..."
/// in a list's context menu. While the card is open it follows the selection of either list. The shortlist tab
/// opens it too, for a rated name and its gender. The card carries my rating of the name it shows.
class NameCardOpener : public QObject
{
    Q_OBJECT

public:
    explicit NameCardOpener(TMainForm *form);
    ~NameCardOpener() override;

    /// The card, once it has been opened; nullptr before.
    NameCard *card() const;

    /// The card's panel on how the name goes with the surname; nullptr before the card has been opened.
    FitPanel *fitPanel() const;

    /// Shows the card for the name at \a index of \a list, for the gender chosen on tab 2, with the middle
    /// name and surname of tab 1. Errors go to the error report.
    void open(const QModelIndex &index);

    /// Shows the card for \a name and \a genderIndex (0 girls, anything else boys), with the middle name and
    /// surname of tab 1. Errors go to the error report.
    void openName(const QString &name, qint32 genderIndex);

    /// The rating panel on the card; nullptr before the card has been opened.
    RatingPanel *ratingPanel() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showContextMenu(QAbstractItemView *list, const QPoint &at);
    void follow(QAbstractItemView *list);
    void show(const QString &name, qint32 genderIndex);

    TMainForm *m_form;
    // The card is made by the module of the name card (CardModule), where its type is known in full: the
    // window holds it as a window, and its panels as they were made, for as long as the card lives.
    NameCardWidgets m_widgets;
    QPointer<QWidget> m_card;
};

} // namespace namorel
