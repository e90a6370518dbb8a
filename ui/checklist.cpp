#include "checklist.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace namorel {

namespace {

// One row of a check list.
class CheckRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    CheckRowAccessible(QListWidget *list, int row)
        : m_list(list)
        , m_row(row)
    { }

    QListWidgetItem *item() const { return m_list ? m_list->item(m_row) : nullptr; }

    bool isValid() const override { return item() != nullptr; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list ? m_list->window()->windowHandle() : nullptr; }

    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_list); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text kind) const override
    {
        const QListWidgetItem *row = item();
        return row && kind == QAccessible::Name ? row->text() : QString();
    }
    void setText(QAccessible::Text, const QString &) override { }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect shown = m_list->visualItemRect(item());
        return QRect(m_list->viewport()->mapToGlobal(shown.topLeft()), shown.size());
    }

    QAccessible::Role role() const override { return QAccessible::CheckBox; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        const QListWidgetItem *row = item();
        if (!row)
            return state;
        state.checkable = true;
        state.checked = row->checkState() == Qt::Checked;
        state.selectable = true;
        state.selected = row->isSelected();
        state.focusable = true;
        state.focused = m_list->hasFocus() && m_list->currentRow() == m_row;
        state.disabled = !m_list->isEnabled();
        if (!m_list->isVisible() || !m_list->viewport()->rect().intersects(m_list->visualItemRect(row)))
            state.invisible = true;
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return { toggleAction() }; }

    void doAction(const QString &name) override
    {
        QListWidgetItem *row = item();
        if (name == toggleAction() && row && m_list->isEnabled())
            row->setCheckState(row->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }

    QStringList keyBindingsForAction(const QString &name) const override
    {
        return name == toggleAction() ? QStringList { QStringLiteral("Space") } : QStringList();
    }

private:
    QPointer<QListWidget> m_list;
    int m_row;
};

class CheckListAccessible : public QAccessibleWidget
{
public:
    explicit CheckListAccessible(CheckList *list)
        : QAccessibleWidget(list, QAccessible::List)
    { }

    ~CheckListAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(m_rows))
            QAccessible::deleteAccessibleInterface(id);
    }

    CheckList *list() const { return static_cast<CheckList *>(widget()); }

    int childCount() const override { return list()->count(); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= list()->count())
            return nullptr;
        if (const auto known = m_rows.constFind(index); known != m_rows.cend())
            return QAccessible::accessibleInterface(*known);
        auto *row = new CheckRowAccessible(list(), index);
        m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
        return row;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto row = m_rows.cbegin(); row != m_rows.cend(); ++row) {
            if (QAccessible::accessibleInterface(row.value()) == child)
                return row.key();
        }
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint at = list()->viewport()->mapFromGlobal(QPoint(x, y));
        const QListWidgetItem *row = list()->itemAt(at);
        return row ? child(list()->row(row)) : nullptr;
    }

    QAccessibleInterface *focusChild() const override
    {
        return list()->hasFocus() ? child(list()->currentRow()) : nullptr;
    }

private:
    // The rows' interfaces, made when first asked for; the list's rows never change.
    mutable QHash<int, QAccessible::Id> m_rows;
};

QAccessibleInterface *checkListAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(CheckList::staticMetaObject.className()))
        return new CheckListAccessible(static_cast<CheckList *>(object));
    return nullptr;
}

} // namespace

CheckList::CheckList(QWidget *parent)
    : QListWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(checkListAccessible);
        return true;
    }();
    Q_UNUSED(installed);

    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!QAccessible::isActive())
            return;
        QAccessible::State ticked;
        ticked.checked = true;
        QAccessibleStateChangeEvent changed(this, ticked);
        changed.setChild(row(item));
        QAccessible::updateAccessibility(&changed);
    });
}

} // namespace namorel
