#pragma once

#include "cardmodule.h"

#include <QObject>

namespace namorel {

/// The module of the name card and the shortlist tab's contents, as a plug-in that the window loads.
class CardModulePlugin : public QObject, public CardModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID NamorelCardModule_iid)
    Q_INTERFACES(namorel::CardModule)

public:
    void buildShortlistTab(ShortlistTab &tab) override;
    void refreshShortlistTab(ShortlistTab &tab) override;
    void openCardOfRow(ShortlistTab &tab, const QModelIndex &index) override;
    QList<ShortlistRow> shortlistRows(const ShortlistTab &tab) override;
    NameCardWidgets createNameCard(QWidget *parent, ShortlistSession *session) override;
    void showOnNameCard(const NameCardWidgets &widgets, const QString &programFolder, const QString &name,
        qint32 genderIndex, const QString &middleName, const QString &surname) override;
};

} // namespace namorel
