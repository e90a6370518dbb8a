#pragma once

#include <QObject>
#include <QPointer>

class QAbstractItemView;
class QModelIndex;

namespace namorel {

class FitPanel;
class NameCard;
class TMainForm;

/// Opens the name card from the two result lists of the main window: a double-click, Enter, or "Details..."
/// in a list's context menu. While the card is open it follows the selection of either list.
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showContextMenu(QAbstractItemView *list, const QPoint &at);
    void follow(QAbstractItemView *list);
    void show(const QString &name);

    TMainForm *m_form;
    QPointer<NameCard> m_card;
    QPointer<FitPanel> m_fit;
};

} // namespace namorel
