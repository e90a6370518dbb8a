#include "lengthspinbox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

#include <optional>

namespace namorel {

namespace {

// A whole decimal number with an optional sign, as the program reads the box's text.
std::optional<qint32> wholeNumber(const QString &text)
{
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

LengthSpinBox::LengthSpinBox(QWidget *parent)
    : QSpinBox(parent)
{
    lineEdit()->setMaxLength(kMaxTextLength);
    // The value follows the text only when the box is left, where out-of-range values are brought in.
    setKeyboardTracking(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

bool LengthSpinBox::isAcceptedCharacter(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || QLocale().decimalPoint() == QString(c);
}

qint32 LengthSpinBox::currentValue() const
{
    return wholeNumber(text()).value_or(minimum());
}

QValidator::State LengthSpinBox::validate(QString &input, int &pos) const
{
    Q_UNUSED(pos);
    if (input.size() > kMaxTextLength)
        return QValidator::Invalid;
    for (const QChar c : std::as_const(input)) {
        if (!isAcceptedCharacter(c))
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

int LengthSpinBox::valueFromText(const QString &text) const
{
    // The spin box brings the value into its range itself.
    return wholeNumber(text).value_or(minimum());
}

void LengthSpinBox::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool printable = typed.size() == 1 && typed.front().isPrint();
    if (printable && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        const QLineEdit *edit = lineEdit();
        const qsizetype lengthAfter = edit->text().size() - edit->selectedText().size() + 1;
        if (!isAcceptedCharacter(typed.front()) || lengthAfter > kMaxTextLength) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QSpinBox::keyPressEvent(event);
}

void LengthSpinBox::focusOutEvent(QFocusEvent *event)
{
    // Takes the typed text as the value, brought into the range, and shows it as such: "25" becomes 20, a
    // lone sign the minimum.
    interpretText();
    QSpinBox::focusOutEvent(event);
}

} // namespace namorel
