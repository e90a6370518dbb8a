#pragma once

#include "namesearch.h"
#include "settingsstore.h"

#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <memory>

class QCloseEvent;
class QFrame;
class QMenu;
class QModelIndex;
class QSessionManager;
class QStringListModel;

namespace Ui {
class TMainForm;
}

namespace namorel {

class NameCardOpener;
class ShortlistSession;
class ShortlistTab;
class TInfoForm;

/// The folder that holds the program, ending in '/'. Recorded by TMainForm::FormCreate.
extern QString ProgramFolder;

/// The number of names scanned by the latest search; 0 until a search completes.
extern qint32 ScannedCount;

/// The program's main window: the parents' information, the properties of the wanted name with the
/// command that runs the search, and the names found with the signature and initials of a chosen one.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    /// The address of the product's homepage.
    static QUrl homepageUrl();
    /// The help document's file name, opened from the current folder.
    static QString helpFileName();

    /// Builds the window from its layout and runs FormCreate; an error escaping FormCreate is shown in
    /// the error report and the window is still created.
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    /// The controls, for the program and its tests; they keep the names of the window's layout. Those of the
    /// tabs not made yet are made first.
    Ui::TMainForm &controls();
    QMenu *PopupMenu1() const { return m_popupMenu; }
    /// The contents of the fourth tab, "4. Shortlist", made the first time the tab shows or they are asked for.
    /// Throws std::runtime_error when the module of the name card and the shortlist cannot be loaded.
    ShortlistTab *shortlistTab();
    /// The shortlist that the tab shows and the name cards rate into, made on first use; its database is opened
    /// when first needed. Throws as shortlistTab().
    ShortlistSession *shortlistSession();

    /// The search's query from the window's controls.
    NameQuery currentQuery();

    /// Saves the settings, and stores a note still being typed on a name card, without asking anything of the
    /// user, for the end of the desktop session or a request to terminate. Returns whether the settings were
    /// saved.
    bool saveQuietly() noexcept;

public slots:
    void Exit1Click();
    void QuillmarkHomepage1Click();
    void Contents1Click();
    void BitBtn2Click();
    void FormCreate();
    void lbRecommendClick();
    void SelectAll1Click();
    void SelectNone1Click();
    void InvertSelection1Click();
    /// Shows the About window modally, from the event loop right after this returns.
    void About1Click();
    /// Saves the settings. Throws when they cannot be saved; the window then stays open.
    void FormClose();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setOriginTicks(const std::function<bool(bool)> &tick);
    void showResults(const SearchResult &result);
    void updateSoundFilters();
    void saveOnSessionEnd(QSessionManager &manager);
    void closeShortlistSession() noexcept;
    UserEntries currentEntries();
    // Makes the controls of the second and third tabs, once.
    void buildTabs();
    void showPropertiesEntries(const UserEntries &entries);
    void showFirstSuggestions();
    template<typename Sender, typename Signal>
    void handleGuarded(Sender *sender, Signal signal, void (TMainForm::*handler)());

    std::unique_ptr<Ui::TMainForm> m_ui;
    QMenu *m_popupMenu = nullptr;
    QStringListModel *m_recommended = nullptr;
    QStringListModel *m_notRecommended = nullptr;
    NameCardOpener *m_cardOpener = nullptr; // made with the second and third tabs
    // The shortlist's session and the fourth tab's contents are made by the module of the name card and the
    // shortlist when they are first needed; the tab's page is the window's own.
    ShortlistSession *m_shortlistSession = nullptr;
    QFrame *m_shortlistPage = nullptr;
    ShortlistTab *m_shortlistTab = nullptr;
    // Once a search has sorted the lists, they keep themselves sorted, also when a later search fails.
    bool m_listsSorted = false;
    // The controls of the second and third tabs have been made.
    bool m_tabsBuilt = false;
    // "About..." has been chosen and the About window is about to show.
    bool m_aboutPending = false;
};

/// The program's main window, created once at start-up.
extern TMainForm *MainForm;

} // namespace namorel
