#include "controlaccessibility.h"
#include "ovalbtn.h"
#include "urllabel.h"

#include <QAccessibleWidget>

namespace namorel {

namespace {

QString withoutAccelerators(QString caption)
{
    // "&&" shows one ampersand; a single "&" marks the accelerator and is not read out.
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(u'&');
    return caption.replace(QChar(1), u'&');
}

class OvalButtonAccessible : public QAccessibleWidget
{
public:
    explicit OvalButtonAccessible(TOvalButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    { }

    TOvalButton *button() const { return static_cast<TOvalButton *>(widget()); }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && button()->accessibleName().isEmpty())
            return withoutAccelerators(button()->caption());
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        if (button()->groupIndex() != 0) {
            state.checkable = true;
            state.checked = button()->isDown();
        }
        return state;
    }

    QStringList actionNames() const override { return { pressAction() }; }

    void doAction(const QString &name) override
    {
        // As the accelerator does: a click wherever the pointer is, and only while enabled.
        if (name == pressAction() && button()->isEnabled())
            emit button()->OnClick();
    }
};

class LinkLabelAccessible : public QAccessibleWidget
{
public:
    explicit LinkLabelAccessible(TURLLabel *label)
        : QAccessibleWidget(label, QAccessible::Link)
    { }

    TURLLabel *label() const { return static_cast<TURLLabel *>(widget()); }

    QString text(QAccessible::Text kind) const override
    {
        switch (kind) {
        case QAccessible::Name:
            if (label()->accessibleName().isEmpty())
                return label()->caption();
            break;
        case QAccessible::Value:
            return TURLLabel::linkAddress(label()->urlType(), label()->caption());
        default:
            break;
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }

    QStringList actionNames() const override { return { pressAction() }; }

    void doAction(const QString &name) override
    {
        if (name == pressAction() && label()->isEnabled())
            label()->open();
    }
};

QAccessibleInterface *controlAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(TOvalButton::staticMetaObject.className()))
        return new OvalButtonAccessible(static_cast<TOvalButton *>(object));
    if (className == QLatin1String(TURLLabel::staticMetaObject.className()))
        return new LinkLabelAccessible(static_cast<TURLLabel *>(object));
    return nullptr;
}

} // namespace

void InstallControlAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace namorel
