#include "mainunit.h"
#include "cardmodule.h"
#include "errorreport.h"
#include "firstpaint.h"
#include "fonts.h"
#include "infounit.h"
#include "mainunitcontrols.h"
#include "namecardopener.h"
#include "namefilter.h"
#include "picturelabel.h"
#include "shellopen.h"
#include "windowaccessibility.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QScrollBar>
#include <QSessionManager>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QThreadPool>

#include <limits>
#include <new>

namespace namorel {

QString ProgramFolder;
qint32 ScannedCount = 0;
TMainForm *MainForm = nullptr;

namespace {

// Rows of the window's lists are 13 pixels high.
constexpr int kRowHeight = 13;
// A labelled edit's label ends this many pixels left of the edit.
constexpr int kLabelSpacing = 3;
// Lists of this many names or more are freed on a worker thread.
constexpr qsizetype kNamesFreedInBackground = 10000;
// Navy, the colour of the signature.
constexpr QRgb kNavy = 0x000080;
// The panel that fills each tab.
constexpr QSize kPanelSize(517, 342);

class FixedRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return { QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight };
    }
};

// Shows the hourglass for as long as it lives.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// A labelled edit's label is greyed with its edit, whatever enables or disables the edit.
class LabelFollowsEdit : public QObject
{
public:
    LabelFollowsEdit(QWidget *label, QWidget *edit)
        : QObject(edit)
        , m_label(label)
    {
        m_label->setEnabled(edit->isEnabled());
        edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange)
            m_label->setEnabled(static_cast<QWidget *>(watched)->isEnabled());
        return false;
    }

private:
    QWidget *m_label;
};

// Puts each label left of its edit, and greys it with the edit.
void placeLabelsOfEdits(std::initializer_list<std::pair<QWidget *, QWidget *>> labelledEdits)
{
    for (const auto &[label, edit] : labelledEdits) {
        label->adjustSize();
        label->move(edit->x() - kLabelSpacing - label->width(), edit->y() + (edit->height() - label->height()) / 2);
        new LabelFollowsEdit(label, edit);
    }
}

// A tab's panel fills it, in the middle of the page.
void placePanel(QWidget *panel)
{
    panel->setFixedSize(kPanelSize);
    panel->parentWidget()->layout()->setAlignment(panel, Qt::AlignCenter);
}

// Replaces the whole text of a box, every paragraph aligned as given. Line breaks are CR LF in the
// program's texts.
void setWholeText(QTextEdit *box, QString text, Qt::Alignment alignment = Qt::AlignLeft)
{
    box->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QTextCursor cursor(box->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(alignment);
    cursor.mergeBlockFormat(format);
}

// Shows a stored text whole, also one longer than the edit lets the user type: its limit is a limit on typing.
// Such a text can be edited but not made longer; once it is back within the limit, the limit holds again.
void setLoadedText(QLineEdit *edit, const QString &text)
{
    const int typingLimit = edit->maxLength();
    if (text.size() > typingLimit) {
        edit->setMaxLength(int(qMin<qsizetype>(text.size(), std::numeric_limits<int>::max())));
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, typingLimit](const QString &now) {
            if (now.size() <= typingLimit && edit->maxLength() > typingLimit)
                edit->setMaxLength(typingLimit);
        });
    }
    edit->setText(text);
}

// The hints of the filters on tab 2.
constexpr auto kExcludeHint = u"Leave out names that have any of these letters.\n"
                              u"Accents and capitals do not count: e also leaves out \u00c9lodie and H\u00e9l\u00e8ne.";
constexpr auto kIncludeHint = u"Keep only names that have every one of these letters.\n"
                              u"Accents and capitals do not count: a also keeps \u00c1lvaro and Ana.";
constexpr auto kBalanceHint = u"Keep only names with another number of syllables than the surname and the middle "
                              u"name,\nand at most seven syllables in first name and surname together.";
constexpr auto kRhythmHint = u"Leave out names whose stressed last syllable meets the stressed first syllable of the "
                             u"surname,\nand names that run into more than three unstressed syllables with it.";
constexpr auto kAlliterationHint
    = u"Keep only names that start with the same sound as the surname, such as Philip Fisher or Cara Kelly.";
constexpr auto kNeedsSurnameHint = u"Needs a surname: fill in \"Your Surname\" on the first tab.";
constexpr auto kUnreadableSurnameHint
    = u"Cannot tell from its spelling how the surname is said: write it in Latin letters on the first tab.";

// Runs one step that must not stop the steps after it.
template<typename Step> void ignoringFailure(Step &&step) noexcept
{
    try {
        step();
    } catch (...) { }
}

} // namespace

QUrl TMainForm::homepageUrl()
{
    return QUrl(QStringLiteral("https://www.namorel.com/"));
}

QString TMainForm::helpFileName()
{
    return QStringLiteral("help.chm");
}

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::TMainForm>())
{
    InstallFontSubstitutes();
    InstallWindowAccessibility();
    QFont designedFont;
    {
        const StandInFontWhileBuilding standInFont(this);
        m_ui->Ui_TMainFormFrame::setupUi(this);
        designedFont = standInFont.designedFont();
    }
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The window shows the program's icon, which the application sets once this window is first on screen.
    centralWidget()->setFixedSize(534, 383);
    // Below the menu bar, the window is as high as its layout; the bar is as high as in the designed face,
    // though it shows the stand-in. Its commands are as high as a line of their text and it is as high as they
    // are, so in the designed face it gains what a line gains.
    int menuHeight = menuBar()->sizeHint().height();
    if (designedFont != QFont())
        menuHeight += DesignedLineHeightGain(designedFont, menuBar());
    setFixedSize(534, 383 + menuHeight);

    // The other labels keep the places the layout gives them: the stand-in face fits their captions.
    UseStandInFonts(this);
    placeLabelsOfEdits({ { m_ui->leSurnameLabel, m_ui->leSurname }, { m_ui->leMiddlenameLabel, m_ui->leMiddlename } });
    placePanel(m_ui->Panel1);
    connect(m_ui->leSurname, &QLineEdit::textChanged, this, &TMainForm::updateSoundFilters);

    // The shortlist comes after the three steps. Its contents come with the name card's module, the first time
    // the tab shows; should the module be missing, the error is reported and the tab shows empty.
    m_shortlistPage = new QFrame(m_ui->PageControl1);
    m_shortlistPage->setObjectName(QStringLiteral("Panel4"));
    m_shortlistPage->setFrameShape(QFrame::Panel);
    m_shortlistPage->setFrameShadow(QFrame::Sunken);
    m_shortlistPage->installEventFilter(this);
    m_ui->PageControl1->addTab(m_shortlistPage, QStringLiteral("4. Shortlist"));

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu1"));
    m_popupMenu->addActions({ m_ui->SelectAll1, m_ui->SelectNone1, m_ui->N2, m_ui->InvertSelection1 });

    handleGuarded(m_ui->Exit1, &QAction::triggered, &TMainForm::Exit1Click);
    handleGuarded(m_ui->QuillmarkHomepage1, &QAction::triggered, &TMainForm::QuillmarkHomepage1Click);
    handleGuarded(m_ui->Contents1, &QAction::triggered, &TMainForm::Contents1Click);
    handleGuarded(m_ui->About1, &QAction::triggered, &TMainForm::About1Click);
    handleGuarded(m_ui->SelectAll1, &QAction::triggered, &TMainForm::SelectAll1Click);
    handleGuarded(m_ui->SelectNone1, &QAction::triggered, &TMainForm::SelectNone1Click);
    handleGuarded(m_ui->InvertSelection1, &QAction::triggered, &TMainForm::InvertSelection1Click);

    connect(qApp, &QGuiApplication::commitDataRequest, this, &TMainForm::saveOnSessionEnd);

    // Only the first tab shows when the window opens. The others are made once the window is on screen, or
    // the moment anything needs them before that: their tab is chosen, or their controls are asked for.
    connect(m_ui->PageControl1, &QTabWidget::currentChanged, this, &TMainForm::buildTabs);
    RunAfterFirstPaint(this, [this] { buildTabs(); });

    RunGuarded([this] { FormCreate(); });
}

Ui::TMainForm &TMainForm::controls()
{
    buildTabs();
    return *m_ui;
}

template<typename Sender, typename Signal>
void TMainForm::handleGuarded(Sender *sender, Signal signal, void (TMainForm::*handler)())
{
    // An error that escapes the handler reaches the error report, and the program carries on.
    connect(sender, signal, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
}

void TMainForm::buildTabs()
{
    if (m_tabsBuilt)
        return;
    m_tabsBuilt = true;
    m_ui->Ui_TMainFormProperties::setupUi(m_ui->TabSheet3);
    m_ui->Ui_TMainFormSuggestions::setupUi(m_ui->TabSheet2);
    for (QWidget *page : { m_ui->TabSheet3, m_ui->TabSheet2 })
        UseStandInFonts(page);

    // "2. Namorel Properties"
    placeLabelsOfEdits({ { m_ui->leExcludeLabel, m_ui->leExclude }, { m_ui->leIncludeLabel, m_ui->leInclude } });
    placePanel(m_ui->Panel3);
    // The search's working lists are never shown. As windows of their own that never show, they are out of
    // the panel's focus chain and out of what assistive tools are shown of it.
    for (QWidget *workingList : { m_ui->FileToSearchMemo, m_ui->DataAnalyseMemo }) {
        // They keep the window's font: measuring them in another face would cost time for nothing.
        workingList->setAttribute(Qt::WA_WindowPropagation);
        workingList->setWindowFlag(Qt::Window);
        workingList->setFocusPolicy(Qt::NoFocus);
        workingList->hide();
    }
    m_ui->leExclude->setToolTip(QString::fromUtf16(kExcludeHint));
    m_ui->leInclude->setToolTip(QString::fromUtf16(kIncludeHint));
    updateSoundFilters();
    for (const QString &origin : OriginTable()) {
        auto *row = new QListWidgetItem(origin, m_ui->OriginList);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        row->setCheckState(Qt::Unchecked);
    }
    m_ui->OriginList->setItemDelegate(new FixedRowDelegate(m_ui->OriginList));
    connect(m_ui->OriginList, &QWidget::customContextMenuRequested, this,
        [this](QPoint at) { m_popupMenu->popup(m_ui->OriginList->viewport()->mapToGlobal(at)); });
    // The Generate button's picture, sharp on screens of every density.
    m_ui->BitBtn2->setIcon(PictureAtEverySize(QStringLiteral(":/generate.png")));
    // The drop-down list of the gender box is named as the box is.
    m_ui->cbGender->view()->setAccessibleName(m_ui->cbGender->accessibleName());
    handleGuarded(m_ui->BitBtn2, &QPushButton::clicked, &TMainForm::BitBtn2Click);

    // "3. Names Suggestion"
    placePanel(m_ui->Panel2);
    // Caption and names of the not-recommended group are red; its scroll bars keep the usual colours.
    const QPalette usual = m_ui->lbNotRecommend->verticalScrollBar()->palette();
    QPalette caption = m_ui->GroupBox5->palette();
    caption.setColor(QPalette::WindowText, Qt::red);
    m_ui->GroupBox5->setPalette(caption);
    QPalette names = m_ui->lbNotRecommend->palette();
    names.setColor(QPalette::Text, Qt::red);
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled })
        names.setColor(group, QPalette::WindowText, usual.color(group, QPalette::WindowText));
    m_ui->lbNotRecommend->setPalette(names);
    m_recommended = new QStringListModel(this);
    m_notRecommended = new QStringListModel(this);
    for (const auto &[view, model] :
        { std::pair { m_ui->lbRecommend, m_recommended }, std::pair { m_ui->lbNotRecommend, m_notRecommended } }) {
        view->setModel(model);
        view->setItemDelegate(new FixedRowDelegate(view));
    }
    // A change of selection, by mouse or keyboard, and a click on the selected name (after the surname
    // has been edited, say) both show the chosen name.
    handleGuarded(
        m_ui->lbRecommend->selectionModel(), &QItemSelectionModel::selectionChanged, &TMainForm::lbRecommendClick);
    handleGuarded(m_ui->lbRecommend, &QAbstractItemView::clicked, &TMainForm::lbRecommendClick);
    // The name card opens from both result lists.
    m_cardOpener = new NameCardOpener(this);

    // What the window's creation gives these tabs: the stored entries and the first look of the results.
    RunGuarded([this] {
        UserEntries entries = currentEntries();
        LoadSettings(entries);
        showPropertiesEntries(entries);
        showFirstSuggestions();
    });
}

TMainForm::~TMainForm() = default;

NameQuery TMainForm::currentQuery()
{
    buildTabs();
    NameQuery query;
    for (int row = 0; row < m_ui->OriginList->count(); ++row) {
        const QListWidgetItem *item = m_ui->OriginList->item(row);
        if (item->checkState() == Qt::Checked)
            query.Origins.append(item->text());
    }
    query.GenderIndex = m_ui->cbGender->currentIndex();
    query.MinLength = m_ui->seMin->currentValue();
    query.MaxLength = m_ui->seMax->currentValue();
    query.ProgramFolder = ProgramFolder;
    query.Surname = m_ui->leSurname->text();
    query.MiddleName = m_ui->leMiddlename->text();
    query.ExcludeLetters = m_ui->leExclude->text();
    query.IncludeLetters = m_ui->leInclude->text();
    query.BalanceFilter = m_ui->cbBalanceFilter->isChecked();
    query.RhythmFilter = m_ui->cbRhythmFilter->isChecked();
    query.Alliteration = m_ui->cbAlliteration->isChecked();
    return query;
}

UserEntries TMainForm::currentEntries()
{
    buildTabs();
    return { m_ui->leSurname->text(), m_ui->leMiddlename->text(), m_ui->cbGender->currentIndex(),
        m_ui->seMin->currentValue(), m_ui->seMax->currentValue(), m_ui->leExclude->text(), m_ui->leInclude->text(),
        m_ui->cbBalanceFilter->isChecked(), m_ui->cbRhythmFilter->isChecked(), m_ui->cbAlliteration->isChecked() };
}

void TMainForm::updateSoundFilters()
{
    if (!m_tabsBuilt)
        return;
    // The sound filters judge names with the surname; without one, or with one whose spelling does not tell
    // how it is said, there is nothing to judge by.
    const QString surname = m_ui->leSurname->text();
    const bool canJudge = CanJudgeSoundWith(surname);
    const QString reason = QString::fromUtf16(surname.trimmed().isEmpty() ? kNeedsSurnameHint : kUnreadableSurnameHint);
    for (const auto &[box, hint] : { std::pair { m_ui->cbBalanceFilter, kBalanceHint },
             std::pair { m_ui->cbRhythmFilter, kRhythmHint }, std::pair { m_ui->cbAlliteration, kAlliterationHint } }) {
        box->setEnabled(canJudge);
        const QString text = QString::fromUtf16(hint);
        box->setToolTip(canJudge ? text : text + QStringLiteral("\n\n") + reason);
    }
}

void TMainForm::FormCreate()
{
    ScannedCount = 0;
    ProgramFolder = QCoreApplication::applicationDirPath() + u'/';

    // Tabs not made yet take their entries when they are made.
    UserEntries entries {};
    if (m_tabsBuilt) {
        entries = currentEntries();
    } else {
        entries.Surname = m_ui->leSurname->text();
        entries.MiddleName = m_ui->leMiddlename->text();
    }
    LoadSettings(entries);
    setLoadedText(m_ui->leSurname, entries.Surname);
    setLoadedText(m_ui->leMiddlename, entries.MiddleName);
    if (m_tabsBuilt) {
        showPropertiesEntries(entries);
        showFirstSuggestions();
    }
}

void TMainForm::showPropertiesEntries(const UserEntries &entries)
{
    m_ui->cbGender->setCurrentIndex(entries.GenderIndex == 0 || entries.GenderIndex == 1 ? entries.GenderIndex : -1);
    m_ui->seMin->setValue(entries.MinLength);
    m_ui->seMax->setValue(entries.MaxLength);
    m_ui->leExclude->setText(entries.ExcludeLetters);
    m_ui->leInclude->setText(entries.IncludeLetters);
    m_ui->cbBalanceFilter->setChecked(entries.BalanceFilter != 0);
    m_ui->cbRhythmFilter->setChecked(entries.RhythmFilter != 0);
    m_ui->cbAlliteration->setChecked(entries.Alliteration != 0);
    ignoringFailure([this] { setOriginTicks([](bool) { return true; }); });
}

void TMainForm::showFirstSuggestions()
{
    ignoringFailure([this] {
        QFont font = m_ui->reSign->font();
        font.setPointSize(15);
        m_ui->reSign->setFont(font);
    });
    ignoringFailure([this] {
        QFont font = m_ui->reSign->font();
        font.setItalic(true);
        m_ui->reSign->setFont(font);
    });
    ignoringFailure([this] {
        QPalette palette = m_ui->reSign->palette();
        palette.setColor(QPalette::Text, QColor(kNavy));
        m_ui->reSign->setPalette(palette);
    });
    setWholeText(m_ui->reSign, QStringLiteral("Sign Here"));
    setWholeText(m_ui->reInitials, QStringLiteral("Initials Here"), Qt::AlignHCenter);
}

void TMainForm::BitBtn2Click()
{
    buildTabs();
    // Taking the focus brings lengths still being typed into range, as leaving their boxes does.
    m_ui->BitBtn2->setFocus(Qt::OtherFocusReason);
    m_ui->seMin->interpretText();
    m_ui->seMax->interpretText();

    const NameQuery query = currentQuery();
    const QStringList paths = BuildFileList(query.Origins, query.GenderIndex, query.ProgramFolder);
    m_ui->FileToSearchMemo->setPlainText(paths.join(u'\n'));
    m_ui->DataAnalyseMemo->clear();

    SearchResult result;
    bool filtersOn = false;
    try {
        const WaitCursor waiting;
        const NameFilter filter(query);
        filtersOn = filter.isActive();
        ScanFiles(paths, query.MinLength, query.MaxLength, filter, result);
    } catch (...) {
        // The names of the files read before the failing one stay listed.
        ScannedCount = result.ScannedCount;
        if (m_listsSorted) {
            try {
                SortNames(result.Recommended);
                SortNames(result.NotRecommended);
            } catch (const std::bad_alloc &) {
                // No memory left to sort them: they are shown as read, and the search's own error is reported.
            }
        }
        showResults(result);
        throw;
    }
    ScannedCount = result.ScannedCount;
    m_listsSorted = true;
    showResults(result);

    MessageWindow summary(QMessageBox::NoIcon, SummaryText(result, filtersOn), this);
    summary.exec();
}

void TMainForm::showResults(const SearchResult &result)
{
    QStringList previousRecommended = m_recommended->stringList();
    QStringList previousNotRecommended = m_notRecommended->stringList();
    m_recommended->setStringList(result.Recommended);
    m_notRecommended->setStringList(result.NotRecommended);
    // Freeing the names of a large search takes a noticeable while; a worker does it, off the user's way.
    if (previousRecommended.size() + previousNotRecommended.size() >= kNamesFreedInBackground) {
        QThreadPool::globalInstance()->start([recommended = std::move(previousRecommended),
                                                 notRecommended = std::move(previousNotRecommended)]() mutable {
            recommended = QStringList();
            notRecommended = QStringList();
        });
    }
}

void TMainForm::lbRecommendClick()
{
    buildTabs();
    const QModelIndexList selected = m_ui->lbRecommend->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const QString name = selected.first().data().toString();
    const QString surname = m_ui->leSurname->text();
    setWholeText(m_ui->reSign, ComposeSignature(name, surname));
    setWholeText(m_ui->reInitials, ComposeInitials(name, m_ui->leMiddlename->text(), surname), Qt::AlignHCenter);
}

void TMainForm::setOriginTicks(const std::function<bool(bool)> &tick)
{
    buildTabs();
    for (int row = 0; row < m_ui->OriginList->count(); ++row) {
        QListWidgetItem *item = m_ui->OriginList->item(row);
        item->setCheckState(tick(item->checkState() == Qt::Checked) ? Qt::Checked : Qt::Unchecked);
    }
}

void TMainForm::SelectAll1Click()
{
    setOriginTicks([](bool) { return true; });
}

void TMainForm::SelectNone1Click()
{
    setOriginTicks([](bool) { return false; });
}

void TMainForm::InvertSelection1Click()
{
    setOriginTicks([](bool ticked) { return !ticked; });
}

void TMainForm::Contents1Click()
{
    // The help document is looked for in the current folder. When it is not there, nothing happens.
    const QFileInfo help(QDir::current(), helpFileName());
    if (help.exists())
        ShellOpen(QUrl::fromLocalFile(help.absoluteFilePath()), ShellShowMode::Maximized);
}

void TMainForm::QuillmarkHomepage1Click()
{
    ShellOpen(homepageUrl(), ShellShowMode::Maximized);
}

void TMainForm::About1Click()
{
    // The window is shown modally from the event loop, right after the command returns: a command given
    // by an assistive tool must not wait for the window to close before it is answered. While the window
    // shows, or is about to, asking again does nothing.
    if (!InfoForm || InfoForm->isVisible() || m_aboutPending)
        return;
    m_aboutPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_aboutPending = false;
            if (InfoForm && !InfoForm->isVisible())
                InfoForm->showModal();
        },
        Qt::QueuedConnection);
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::FormClose()
{
    SaveSettings(currentEntries());
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // A failed save keeps the window open; the next close tries again.
    event->setAccepted(RunGuarded([this] { FormClose(); }));
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_shortlistPage && event->type() == QEvent::Show)
        RunGuarded([this] { shortlistTab(); });
    return QMainWindow::eventFilter(watched, event);
}

ShortlistSession *TMainForm::shortlistSession()
{
    if (!m_shortlistSession)
        m_shortlistSession = CardModule::instance().createShortlistSession(this);
    return m_shortlistSession;
}

ShortlistTab *TMainForm::shortlistTab()
{
    if (!m_shortlistTab) {
        m_shortlistTab = CardModule::instance().createShortlistTab(m_shortlistPage, shortlistSession(),
            [this](const QString &name, qint32 genderIndex) {
                controls();
                m_cardOpener->openName(name, genderIndex);
            });
    }
    return m_shortlistTab;
}

void TMainForm::closeShortlistSession() noexcept
{
    // A session exists only once the module that made it is loaded.
    if (m_shortlistSession)
        CardModule::instance().closeShortlistSession(*m_shortlistSession);
}

bool TMainForm::saveQuietly() noexcept
{
    closeShortlistSession();
    try {
        FormClose();
        return true;
    } catch (...) {
        return false;
    }
}

void TMainForm::saveOnSessionEnd(QSessionManager &manager)
{
    // The desktop session ends without closing the window; the entries, and a note still being typed on a name
    // card, are saved all the same.
    closeShortlistSession();
    try {
        FormClose();
    } catch (const std::exception &error) {
        if (manager.allowsErrorInteraction())
            ShowErrorReport(ErrorMessage(error));
    }
    manager.release();
}

} // namespace namorel
