#include "cardmoduleplugin.h"
#include "fitpanel.h"
#include "namecard.h"
#include "ratingpanel.h"
#include "shortlistsession.h"
#include "shortlisttab.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace namorel {

ShortlistSession *CardModulePlugin::createShortlistSession(QObject *owner)
{
    return new ShortlistSession(Shortlist::userDatabasePath(), owner);
}

void CardModulePlugin::closeShortlistSession(ShortlistSession &session)
{
    session.close();
}

ShortlistTab *CardModulePlugin::createShortlistTab(QWidget *page, ShortlistSession *session,
    std::function<void(const QString &name, qint32 genderIndex)> openCard)
{
    auto *tab = new ShortlistTab(session, page);
    QObject::connect(tab, &ShortlistTab::openCardRequested, tab, std::move(openCard));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tab);
    // Shown with the page, or at once when the page is already on screen.
    tab->show();
    return tab;
}

NameCardWidgets CardModulePlugin::createNameCard(QWidget *parent, ShortlistSession *session)
{
    NameCardWidgets widgets;
    widgets.Card = new NameCard(parent);
    widgets.Window = widgets.Card;
    widgets.Fit = new FitPanel(widgets.Card);
    widgets.Card->extraPanels()->addWidget(widgets.Fit);
    auto *shortlist = new QGroupBox(QStringLiteral("Shortlist"), widgets.Card);
    widgets.Rating = new RatingPanel(session, shortlist);
    (new QVBoxLayout(shortlist))->addWidget(widgets.Rating);
    widgets.Card->extraPanels()->addWidget(shortlist);
    return widgets;
}

void CardModulePlugin::showOnNameCard(const NameCardWidgets &widgets, const QString &programFolder, const QString &name,
    qint32 genderIndex, const QString &middleName, const QString &surname)
{
    widgets.Card->showName(programFolder, name, genderIndex, middleName, surname);
    // The rating follows the card only once the card shows the name.
    widgets.Rating->setName(widgets.Card->facts().Name, widgets.Card->facts().GenderIndex);
    widgets.Fit->showFit(programFolder, name, middleName, surname);
}

} // namespace namorel
