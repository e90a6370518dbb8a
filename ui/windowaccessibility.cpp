#include "windowaccessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace namorel {

namespace {

// A drop-down list without typing: its one child is the list that drops down.
class ChoiceBoxAccessible : public QAccessibleWidget
{
public:
    explicit ChoiceBoxAccessible(QComboBox *box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    { }

    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }

    int childCount() const override { return 1; }

    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == box()->view() ? 0 : -1;
    }

    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return box()->currentText();
        const QString text = QAccessibleWidget::text(kind);
        return kind == QAccessible::Name && text.isEmpty() ? box()->currentText() : text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = box()->view()->isVisible();
        state.collapsed = !state.expanded;
        return state;
    }

    QStringList actionNames() const override { return { showMenuAction(), pressAction() }; }

    void doAction(const QString &name) override
    {
        if (name != showMenuAction() && name != pressAction())
            return;
        if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }
};

QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    auto *box = qobject_cast<QComboBox *>(object);
    if (className == QLatin1String("QComboBox") && box && !box->isEditable())
        return new ChoiceBoxAccessible(box);
    return nullptr;
}

} // namespace

void InstallWindowAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(windowAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace namorel
