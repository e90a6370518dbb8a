#pragma once

#include "shortlistview.h"

#include <QWidget>

#include <memory>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QModelIndex;
class QPrinter;
class QPushButton;
class QTableView;
class QTextDocument;

namespace namorel {

class ShortlistSession;
class ShortlistTableModel;

/// The shortlist tab's contents: the rated names with my stars, my partner's and a mark where both like a name,
/// in three views ("Mine", "My partner's", "Both like"); the commands that delete my rating, exchange ratings
/// with my partner, and export or print the view shown. The main window puts it into its fourth tab the first
/// time that tab is shown. The ratings are read when the tab shows, and again whenever the session changes
/// them while it is shown.
class ShortlistTab : public QWidget
{
    Q_OBJECT

public:
    enum Column { NameColumn, GenderColumn, MineColumn, PartnerColumn, BothColumn, NoteColumn, ColumnCount };

    explicit ShortlistTab(ShortlistSession *session, QWidget *parent = nullptr);
    ~ShortlistTab() override;

    ShortlistView view() const { return m_view; }
    void setView(ShortlistView view);

    QTableView *table() const { return m_table; }
    QAbstractButton *viewButton(ShortlistView view) const;
    QPushButton *deleteButton() const { return m_delete; }
    QLabel *partnerLabel() const { return m_partner; }
    /// The rows shown, in their order.
    QList<ShortlistRow> rows() const;

    /// Reads the shortlist again, keeping the selected name selected. Throws ShortlistError.
    void refresh();

    /// Asks whether to delete my rating of the selected name, and deletes it when the user agrees.
    void deleteSelected();
    /// Asks for my name and a file, and exports my ratings.
    void exportMyRatings();
    /// Asks for a partner's file and imports it.
    void importPartnersRatings();
    /// Asks for a file and writes the view shown as CSV.
    void exportCsv();
    /// Shows the print dialog and prints the view shown.
    void print();

    /// Exports my ratings to \a filePath in \a myName, and remembers the name for the next export. Throws
    /// ShortlistError.
    void exportMyRatingsTo(const QString &filePath, const QString &myName);
    /// Imports a partner's file and shows what was stored. Throws ShortlistError.
    void importPartnersRatingsFrom(const QString &filePath);
    /// Writes the view shown to \a filePath as CSV, replacing the file whole. Throws ShortlistError.
    void writeCsv(const QString &filePath) const;
    /// The view shown, as printed: a title, then a table of the rows.
    std::unique_ptr<QTextDocument> printDocument() const;
    /// Prints the view shown on \a printer.
    void printTo(QPrinter &printer) const;

signals:
    /// The user double-clicked a name, or pressed Enter on it.
    void openCardRequested(const QString &name, qint32 genderIndex);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openCard(const QModelIndex &index);
    void updateCommands();
    QString partnerTitle() const;

    ShortlistSession *m_session;
    ShortlistView m_view = ShortlistView::Mine;
    QString m_partnerName;
    ShortlistTableModel *m_model;
    QButtonGroup *m_viewButtons;
    QTableView *m_table;
    QLabel *m_partner;
    QPushButton *m_delete;
};

} // namespace namorel
