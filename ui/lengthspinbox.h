#pragma once

#include <QSpinBox>

namespace namorel {

/// The integer box of the length window. Typing is limited to two characters of digits, signs and the
/// decimal separator (anything else printable is refused with a beep); a typed value outside the range is
/// brought into it when the box loses the focus; a text that is not a whole number reads as the minimum.
class LengthSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    static constexpr int kMaxTextLength = 2;

    explicit LengthSpinBox(QWidget *parent = nullptr);

    /// The value as the program reads it: the text as a decimal integer, as typed (even outside the range
    /// while the box still has the focus), or the minimum when the text is not a whole number.
    qint32 currentValue() const;

    /// Whether \a c may be typed into the box.
    static bool isAcceptedCharacter(QChar c);

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    int valueFromText(const QString &text) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

} // namespace namorel
