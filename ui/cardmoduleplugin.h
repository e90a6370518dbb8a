#pragma once

#include "cardmodule.h"

#include <QObject>

namespace namorel {

/// The module of the name card and the shortlist, as a plug-in that the window loads.
class CardModulePlugin : public QObject, public CardModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID NamorelCardModule_iid)
    Q_INTERFACES(namorel::CardModule)

public:
    ShortlistSession *createShortlistSession(QObject *owner) override;
    void closeShortlistSession(ShortlistSession &session) override;
    ShortlistTab *createShortlistTab(QWidget *page, ShortlistSession *session,
        std::function<void(const QString &name, qint32 genderIndex)> openCard) override;
    NameCardWidgets createNameCard(QWidget *parent, ShortlistSession *session) override;
    void showOnNameCard(const NameCardWidgets &widgets, const QString &programFolder, const QString &name,
        qint32 genderIndex, const QString &middleName, const QString &surname) override;
};

} // namespace namorel
