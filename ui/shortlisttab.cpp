#include "shortlisttab.h"
#include "errorreport.h"
#include "plaintext.h"
#include "shortlistsession.h"
#include "stars.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>

namespace namorel {

namespace {

constexpr int kStarsRole = Qt::UserRole + 1;
constexpr int kVetoRole = Qt::UserRole + 2;
constexpr int kTableStarSize = 11;
constexpr int kTableStarSpacing = 1;
const QColor kVetoColour(0xC0, 0x1C, 0x28);
const QColor kHeartColour(0xD6, 0x33, 0x6C);

QString genderText(qint32 genderIndex)
{
    return genderIndex == 0 ? QStringLiteral("Girl") : QStringLiteral("Boy");
}

QString ratingText(const std::optional<Rating> &rating)
{
    if (!rating)
        return QString();
    if (rating->Veto)
        return QStringLiteral("not this one");
    return rating->Stars == 1 ? QStringLiteral("1 star") : QStringLiteral("%1 stars").arg(rating->Stars);
}

QString viewTitle(ShortlistView view)
{
    switch (view) {
    case ShortlistView::Mine:
        return QStringLiteral("Mine");
    case ShortlistView::Partners:
        return QStringLiteral("My partner's");
    case ShortlistView::BothLike:
        break;
    }
    return QStringLiteral("Both like");
}

QPainterPath heartPath(const QRectF &box)
{
    const qreal s = std::min(box.width(), box.height());
    const QPointF origin(box.center().x() - s / 2, box.center().y() - s / 2);
    QPainterPath path;
    path.moveTo(origin + QPointF(s * 0.5, s * 0.95));
    path.cubicTo(
        origin + QPointF(s * 0.1, s * 0.65), origin + QPointF(-s * 0.05, s * 0.3), origin + QPointF(s * 0.25, s * 0.1));
    path.cubicTo(
        origin + QPointF(s * 0.38, s * 0.02), origin + QPointF(s * 0.5, s * 0.15), origin + QPointF(s * 0.5, s * 0.28));
    path.cubicTo(
        origin + QPointF(s * 0.5, s * 0.15), origin + QPointF(s * 0.62, s * 0.02), origin + QPointF(s * 0.75, s * 0.1));
    path.cubicTo(
        origin + QPointF(s * 1.05, s * 0.3), origin + QPointF(s * 0.9, s * 0.65), origin + QPointF(s * 0.5, s * 0.95));
    path.closeSubpath();
    return path;
}

} // namespace

class ShortlistTableModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(const QList<ShortlistRow> &rows, const QString &partnerName, ShortlistView view)
    {
        beginResetModel();
        m_rows = rows;
        m_partnerName = partnerName;
        m_view = view;
        endResetModel();
    }

    const QList<ShortlistRow> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : ShortlistTab::ColumnCount;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_rows.size())
            return {};
        const ShortlistRow &row = m_rows.at(index.row());
        const std::optional<Rating> &rating = index.column() == ShortlistTab::MineColumn ? row.Mine : row.Partner;
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            switch (index.column()) {
            case ShortlistTab::NameColumn:
                return row.Name;
            case ShortlistTab::GenderColumn:
                return genderText(row.GenderIndex);
            case ShortlistTab::MineColumn:
            case ShortlistTab::PartnerColumn:
                return ratingText(rating);
            case ShortlistTab::BothColumn:
                return row.BothLike ? QStringLiteral("Both like") : QString();
            case ShortlistTab::NoteColumn: {
                const std::optional<Rating> &noted = m_view == ShortlistView::Partners ? row.Partner : row.Mine;
                return noted ? noted->Note : QString();
            }
            }
            break;
        case Qt::ToolTipRole: {
            QStringList notes;
            if (row.Mine && !row.Mine->Note.isEmpty())
                notes.append(QStringLiteral("Your note: %1").arg(row.Mine->Note));
            if (row.Partner && !row.Partner->Note.isEmpty())
                notes.append(QStringLiteral("%1's note: %2").arg(partner(), row.Partner->Note));
            return notes.isEmpty() ? QVariant() : QVariant(PlainToolTip(notes.join(u'\n')));
        }
        case Qt::TextAlignmentRole:
            if (index.column() == ShortlistTab::BothColumn || index.column() == ShortlistTab::GenderColumn)
                return QVariant::fromValue(Qt::AlignCenter);
            break;
        case kStarsRole:
            if ((index.column() == ShortlistTab::MineColumn || index.column() == ShortlistTab::PartnerColumn) && rating)
                return rating->Stars;
            break;
        case kVetoRole:
            if ((index.column() == ShortlistTab::MineColumn || index.column() == ShortlistTab::PartnerColumn) && rating)
                return rating->Veto;
            break;
        default:
            break;
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        switch (section) {
        case ShortlistTab::NameColumn:
            return QStringLiteral("Name");
        case ShortlistTab::GenderColumn:
            return QStringLiteral("For a");
        case ShortlistTab::MineColumn:
            return QStringLiteral("Me");
        case ShortlistTab::PartnerColumn:
            return partner();
        case ShortlistTab::BothColumn:
            return QStringLiteral("Both");
        case ShortlistTab::NoteColumn:
            return m_view == ShortlistView::Partners ? QStringLiteral("%1's note").arg(partner())
                                                     : QStringLiteral("My note");
        }
        return {};
    }

private:
    QString partner() const { return m_partnerName.isEmpty() ? QStringLiteral("Partner") : m_partnerName; }

    QList<ShortlistRow> m_rows;
    QString m_partnerName;
    ShortlistView m_view = ShortlistView::Mine;
};

namespace {

// Paints the stars of a rating, a veto in words, and a heart where both like the name.
class RatingDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QVariant stars = index.data(kStarsRole);
        const bool heart = index.column() == ShortlistTab::BothColumn && !index.data().toString().isEmpty();
        if (!stars.isValid() && !heart)
            return QStyledItemDelegate::paint(painter, option, index);

        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

        const QRect area = option.rect.adjusted(4, 0, -4, 0);
        painter->save();
        if (heart) {
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(kHeartColour);
            const int size = kTableStarSize + 1;
            painter->drawPath(
                heartPath(QRectF(area.center().x() - size / 2.0, area.center().y() - size / 2.0, size, size)));
        } else if (index.data(kVetoRole).toBool()) {
            QFont font = option.font;
            font.setItalic(true);
            painter->setFont(font);
            painter->setPen(
                option.state & QStyle::State_Selected ? option.palette.color(QPalette::HighlightedText) : kVetoColour);
            painter->drawText(area, Qt::AlignVCenter | Qt::AlignLeft, index.data().toString());
        } else {
            const QRectF box(area.left(), area.center().y() - kTableStarSize / 2.0 + 0.5,
                StarsWidth(kTableStarSize, kTableStarSpacing), kTableStarSize);
            PaintStars(*painter, box, stars.toInt(), option.palette, true, 0, kTableStarSpacing);
        }
        painter->restore();
    }
};

} // namespace

ShortlistTab::ShortlistTab(ShortlistSession *session, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_model(new ShortlistTableModel(this))
    , m_viewButtons(new QButtonGroup(this))
    , m_table(new QTableView(this))
    , m_partner(new QLabel(this))
    , m_delete(new QPushButton(QStringLiteral("&Delete"), this))
{

    auto *views = new QHBoxLayout;
    views->addWidget(new QLabel(QStringLiteral("Show:"), this));
    for (const auto &[view, caption, name] :
        { std::tuple { ShortlistView::Mine, QStringLiteral("&Mine"), QStringLiteral("viewMine") },
            std::tuple { ShortlistView::Partners, QStringLiteral("My &partner's"), QStringLiteral("viewPartners") },
            std::tuple { ShortlistView::BothLike, QStringLiteral("&Both like"), QStringLiteral("viewBothLike") } }) {
        auto *button = new QRadioButton(caption, this);
        button->setObjectName(name);
        m_viewButtons->addButton(button, int(view));
        views->addWidget(button);
    }
    m_viewButtons->button(int(ShortlistView::Mine))->setChecked(true);
    views->addStretch();
    m_partner->setTextFormat(Qt::PlainText);
    views->addWidget(m_partner);

    m_table->setObjectName(QStringLiteral("shortlistTable"));
    m_table->setAccessibleName(QStringLiteral("Rated names"));
    m_table->setModel(m_model);
    m_table->setItemDelegate(new RatingDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(18);
    QHeaderView *header = m_table->horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    const int starsWidth = int(StarsWidth(kTableStarSize, kTableStarSpacing)) + 12;
    for (const auto &[column, width] :
        { std::pair { NameColumn, 110 }, std::pair { GenderColumn, 42 }, std::pair { MineColumn, starsWidth },
            std::pair { PartnerColumn, starsWidth }, std::pair { BothColumn, 36 } })
        header->resizeSection(column, width);

    auto *exportMine = new QPushButton(QStringLiteral("E&xport my ratings..."), this);
    auto *importTheirs = new QPushButton(QStringLiteral("&Import partner's ratings..."), this);
    auto *csv = new QPushButton(QStringLiteral("&CSV..."), this);
    csv->setToolTip(QStringLiteral("Save the names shown as a CSV file"));
    auto *print = new QPushButton(QStringLiteral("P&rint..."), this);
    print->setToolTip(QStringLiteral("Print the names shown, or save them as PDF"));
    m_delete->setToolTip(QStringLiteral("Delete your rating of the selected name (Del)"));
    exportMine->setObjectName(QStringLiteral("exportMine"));
    importTheirs->setObjectName(QStringLiteral("importPartners"));
    csv->setObjectName(QStringLiteral("exportCsv"));
    print->setObjectName(QStringLiteral("print"));
    m_delete->setObjectName(QStringLiteral("delete"));
    auto *commands = new QHBoxLayout;
    commands->setSpacing(4);
    for (QPushButton *button : { m_delete, exportMine, importTheirs, csv, print }) {
        button->setAutoDefault(false);
        commands->addWidget(button);
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(views);
    layout->addWidget(m_table);
    layout->addLayout(commands);

    auto *deleteKey = new QAction(m_table);
    deleteKey->setShortcut(QKeySequence::Delete);
    deleteKey->setShortcutContext(Qt::WidgetShortcut);
    m_table->addAction(deleteKey);

    const auto guarded = [this](void (ShortlistTab::*command)()) {
        return [this, command] { RunGuarded([this, command] { (this->*command)(); }); };
    };
    connect(m_viewButtons, &QButtonGroup::idClicked, this, [this](int id) { setView(ShortlistView(id)); });
    connect(deleteKey, &QAction::triggered, this, guarded(&ShortlistTab::deleteSelected));
    connect(m_delete, &QPushButton::clicked, this, guarded(&ShortlistTab::deleteSelected));
    connect(exportMine, &QPushButton::clicked, this, guarded(&ShortlistTab::exportMyRatings));
    connect(importTheirs, &QPushButton::clicked, this, guarded(&ShortlistTab::importPartnersRatings));
    connect(csv, &QPushButton::clicked, this, guarded(&ShortlistTab::exportCsv));
    connect(print, &QPushButton::clicked, this, guarded(&ShortlistTab::print));
    // Not QAbstractItemView::activated: on desktops that open items with a single click it would open the card
    // on every click. Enter is taken in eventFilter().
    connect(m_table, &QAbstractItemView::doubleClicked, this, &ShortlistTab::openCard);
    m_table->installEventFilter(this);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { updateCommands(); });
    updateCommands();

    connect(m_session, &ShortlistSession::changed, this, [this] {
        if (isVisible())
            refresh();
    });
}

ShortlistTab::~ShortlistTab() = default;

QAbstractButton *ShortlistTab::viewButton(ShortlistView view) const
{
    return m_viewButtons->button(int(view));
}

QList<ShortlistRow> ShortlistTab::rows() const
{
    return m_model->rows();
}

void ShortlistTab::setView(ShortlistView view)
{
    viewButton(view)->setChecked(true);
    if (view == m_view)
        return;
    m_view = view;
    RunGuarded([this] { refresh(); });
}

void ShortlistTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Another copy of the program may have changed the shortlist since it was last shown.
    RunGuarded([this] { refresh(); });
}

bool ShortlistTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier
            && m_table->currentIndex().isValid()) {
            openCard(m_table->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ShortlistTab::openCard(const QModelIndex &index)
{
    if (index.isValid() && index.row() < m_model->rows().size()) {
        const ShortlistRow &row = m_model->rows().at(index.row());
        emit openCardRequested(row.Name, row.GenderIndex);
    }
}

void ShortlistTab::refresh()
{
    const QModelIndex current = m_table->currentIndex();
    std::optional<std::pair<QString, qint32>> selected;
    if (current.isValid() && current.row() < m_model->rows().size())
        selected = { m_model->rows().at(current.row()).Name, m_model->rows().at(current.row()).GenderIndex };

    const auto clear = [this] {
        m_model->setRows({}, QString(), m_view);
        m_partner->clear();
        updateCommands();
    };
    Shortlist *shortlist = nullptr;
    try {
        shortlist = &m_session->shortlist();
    } catch (...) {
        clear();
        throw;
    }
    m_partnerName = shortlist->partnerName();
    m_model->setRows(ShortlistRows(*shortlist, m_view), m_partnerName, m_view);
    m_partner->setText(m_partnerName.isEmpty() ? QStringLiteral("No partner's ratings yet")
                                               : QStringLiteral("Partner: %1").arg(m_partnerName));

    if (selected) {
        const QList<ShortlistRow> &rows = m_model->rows();
        for (qsizetype row = 0; row < rows.size(); ++row) {
            if (rows.at(row).Name == selected->first && rows.at(row).GenderIndex == selected->second) {
                m_table->setCurrentIndex(m_model->index(int(row), NameColumn));
                break;
            }
        }
    }
    updateCommands();
}

void ShortlistTab::updateCommands()
{
    const QModelIndex current = m_table->currentIndex();
    m_delete->setEnabled(current.isValid() && current.row() < m_model->rows().size()
        && m_model->rows().at(current.row()).Mine.has_value());
}

QString ShortlistTab::partnerTitle() const
{
    return m_partnerName.isEmpty() ? QStringLiteral("Partner") : m_partnerName;
}

void ShortlistTab::deleteSelected()
{
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid() || current.row() >= m_model->rows().size())
        return;
    const ShortlistRow row = m_model->rows().at(current.row());
    if (!row.Mine)
        return;
    QMessageBox question(QMessageBox::Question, ApplicationTitle(),
        QStringLiteral("Delete your rating of \"%1\" for a %2?").arg(row.Name, genderText(row.GenderIndex).toLower()),
        QMessageBox::Yes | QMessageBox::No, this);
    question.setTextFormat(Qt::PlainText);
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return;
    m_session->remove(row.Name, row.GenderIndex);
}

void ShortlistTab::exportMyRatings()
{
    Shortlist &shortlist = m_session->shortlist();
    bool ok = false;
    const QString myName = QInputDialog::getText(this, ApplicationTitle(),
        QStringLiteral("Your name, as your partner will see it:"), QLineEdit::Normal, shortlist.ownerName(), &ok)
                               .trimmed();
    if (!ok)
        return;
    if (myName.isEmpty())
        throw ShortlistError(QStringLiteral("Cannot export your ratings without your name: your partner's copy of "
                                            "Namorel shows it beside your stars."));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(QStringLiteral("%1 ratings.namorel").arg(myName));
    const QString filePath = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export my ratings"), suggested, QStringLiteral("Namorel ratings (*.namorel)"));
    if (filePath.isEmpty())
        return;
    exportMyRatingsTo(filePath, myName);
}

void ShortlistTab::exportMyRatingsTo(const QString &filePath, const QString &myName)
{
    Shortlist &shortlist = m_session->shortlist();
    shortlist.exportRatings(filePath, myName);
    // A read-only shortlist exports all the same; it only cannot keep the name for the next time.
    if (!shortlist.readOnly())
        shortlist.setOwnerName(myName);
    const qsizetype count = shortlist.mine().size();
    MessageWindow done(QMessageBox::Information,
        QStringLiteral("%1 written to \"%2\". Send the file to your partner, who reads it with \"Import partner's "
                       "ratings...\".")
            .arg(count == 1 ? QStringLiteral("Your rating was") : QStringLiteral("Your %1 ratings were").arg(count),
                QDir::toNativeSeparators(filePath)),
        this);
    done.exec();
}

void ShortlistTab::importPartnersRatings()
{
    const QString filePath = QFileDialog::getOpenFileName(this, QStringLiteral("Import partner's ratings"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStringLiteral("Namorel ratings (*.namorel);;All files (*)"));
    if (!filePath.isEmpty())
        importPartnersRatingsFrom(filePath);
}

void ShortlistTab::importPartnersRatingsFrom(const QString &filePath)
{
    const qint32 stored = m_session->importRatings(filePath);
    const QString partner = m_session->shortlist().partnerName();
    const QString text = stored == 0
        ? QStringLiteral("Nothing new from %1: every rating in the file is already here.").arg(partner)
        : QStringLiteral("%1 of %2 stored.")
              .arg(stored == 1 ? QStringLiteral("1 rating") : QStringLiteral("%1 ratings").arg(stored), partner);
    MessageWindow done(QMessageBox::Information, text, this);
    done.exec();
}

void ShortlistTab::exportCsv()
{
    const QString suggested = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                  .filePath(QStringLiteral("Shortlist - %1.csv").arg(viewTitle(m_view)));
    const QString filePath = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export the names shown as CSV"), suggested, QStringLiteral("CSV files (*.csv)"));
    if (!filePath.isEmpty())
        writeCsv(filePath);
}

void ShortlistTab::writeCsv(const QString &filePath) const
{
    ReplaceFile(filePath, ShortlistCsv(m_model->rows()),
        QStringLiteral("Cannot write \"%1\"").arg(QDir::toNativeSeparators(filePath)));
}

std::unique_ptr<QTextDocument> ShortlistTab::printDocument() const
{
    // Everything from the ratings is escaped: a partner's note is text, never markup.
    const auto cell = [](const QString &text) { return QStringLiteral("<td>%1</td>").arg(text.toHtmlEscaped()); };
    const auto printedRating = [](const std::optional<Rating> &rating) {
        if (!rating)
            return QStringLiteral("-");
        return rating->Veto ? QStringLiteral("not this one") : QStringLiteral("%1/5").arg(rating->Stars);
    };
    const QString partner = partnerTitle();
    QString html = QStringLiteral("<h2>Namorel shortlist: %1</h2>").arg(viewTitle(m_view).toHtmlEscaped());
    const qsizetype count = m_model->rows().size();
    html += QStringLiteral("<p>%1, %2, printed %3.</p>")
                .arg(m_partnerName.isEmpty() ? QStringLiteral("My ratings")
                                             : QStringLiteral("My ratings and %1's").arg(m_partnerName).toHtmlEscaped(),
                    count == 1 ? QStringLiteral("1 name") : QStringLiteral("%1 names").arg(count),
                    QLocale().toString(QDate::currentDate(), QLocale::LongFormat).toHtmlEscaped());
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\"><tr>");
    for (const QString &title : { QStringLiteral("Name"), QStringLiteral("For a"), QStringLiteral("Me"), partner,
             QStringLiteral("Both like"), QStringLiteral("My note"), QStringLiteral("%1's note").arg(partner) })
        html += QStringLiteral("<th align=\"left\">%1</th>").arg(title.toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (const ShortlistRow &row : m_model->rows()) {
        html += QStringLiteral("<tr>") + cell(row.Name) + cell(genderText(row.GenderIndex).toLower())
            + cell(printedRating(row.Mine)) + cell(printedRating(row.Partner))
            + cell(row.BothLike ? QStringLiteral("yes") : QString()) + cell(row.Mine ? row.Mine->Note : QString())
            + cell(row.Partner ? row.Partner->Note : QString()) + QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");

    auto document = std::make_unique<QTextDocument>();
    QFont font = this->font();
    font.setPointSize(10);
    document->setDefaultFont(font);
    document->setHtml(html);
    return document;
}

void ShortlistTab::printTo(QPrinter &printer) const
{
    printDocument()->print(&printer);
}

void ShortlistTab::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Namorel shortlist - %1").arg(viewTitle(m_view)));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print the shortlist"));
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

} // namespace namorel
