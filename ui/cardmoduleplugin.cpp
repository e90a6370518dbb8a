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

NameCardParts CardModulePlugin::createNameCard(QWidget *parent, ShortlistSession *session)
{
    NameCardParts parts;
    parts.Card = new NameCard(parent);
    parts.Fit = new FitPanel(parts.Card);
    parts.Card->extraPanels()->addWidget(parts.Fit);
    auto *shortlist = new QGroupBox(QStringLiteral("Shortlist"), parts.Card);
    parts.Rating = new RatingPanel(session, shortlist);
    (new QVBoxLayout(shortlist))->addWidget(parts.Rating);
    parts.Card->extraPanels()->addWidget(shortlist);
    return parts;
}

void CardModulePlugin::showOnNameCard(const NameCardParts &parts, const QString &programFolder, const QString &name,
    qint32 genderIndex, const QString &middleName, const QString &surname)
{
    parts.Card->showName(programFolder, name, genderIndex, middleName, surname);
    // The rating follows the card only once the card shows the name.
    parts.Rating->setName(parts.Card->facts().Name, parts.Card->facts().GenderIndex);
    parts.Fit->showFit(programFolder, name, middleName, surname);
}

} // namespace namorel
