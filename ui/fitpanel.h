#pragma once

#include "surnamefit.h"

#include <QGroupBox>

class QLabel;

namespace namorel {

/// The name card's panel on how the name goes with the surname: SurnameFit's notes, one a line, each with
/// what it is about; a warning stands out in red.
class FitPanel : public QGroupBox
{
    Q_OBJECT

public:
    explicit FitPanel(QWidget *parent = nullptr);

    /// Shows the notes for \a name with \a middleName and \a surname from the data in \a programFolder.
    /// Throws SoundDataError when that data cannot be read; the panel then keeps what it showed.
    void showFit(const QString &programFolder, const QString &name, const QString &middleName, const QString &surname);

    /// The notes on show.
    const QList<FitNote> &notes() const { return m_notes; }

private:
    QList<FitNote> m_notes;
    QLabel *m_text = nullptr;
};

} // namespace namorel
