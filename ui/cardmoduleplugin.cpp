#include "cardmoduleplugin.h"
#include "fitpanel.h"
#include "namecard.h"
#include "ratingpanel.h"
#include "shortlisttab.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace namorel {

void CardModulePlugin::buildShortlistTab(ShortlistTab &tab)
{
    tab.build();
}

void CardModulePlugin::refreshShortlistTab(ShortlistTab &tab)
{
    tab.refresh();
}

void CardModulePlugin::openCardOfRow(ShortlistTab &tab, const QModelIndex &index)
{
    tab.openCard(index);
}

QList<ShortlistRow> CardModulePlugin::shortlistRows(const ShortlistTab &tab)
{
    return tab.shownRows();
}

NameCardWidgets CardModulePlugin::createNameCard(QWidget *parent, ShortlistSession *session)
{
    NameCardWidgets widgets;
    widgets.Card = new NameCard(parent);
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
