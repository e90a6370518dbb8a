#pragma once

#include "namefacts.h"

#include <QWidget>

#include <memory>

class QGroupBox;
class QLabel;
class QVBoxLayout;

namespace namorel {

class BirthsChartView;

/// The name card: a separate, resizable window that tells what the database knows of one name for one sex:
/// how it is said, where it comes from, what it means, how its use in the US has changed, how it is shared
/// between the sexes, and how it would be signed. Escape closes it; its size and place are kept between runs.
class NameCard : public QWidget
{
    Q_OBJECT

public:
    /// Where the card keeps its size and place: Tessaly/Namorel-card.ini in the user's configuration folder.
    static QString defaultSettingsPath();

    /// A hidden card; \a settingsPath is the file that keeps its size and place.
    explicit NameCard(QWidget *parent = nullptr, const QString &settingsPath = defaultSettingsPath());
    ~NameCard() override;

    /// Fills the card with the facts of \a name for a gender (0 girls, anything else boys) from the database in
    /// \a programFolder, and the signature and initials with \a middleName and \a surname. Throws SearchError
    /// when the facts cannot be read; the card then keeps what it showed.
    void showName(const QString &programFolder, const QString &name, qint32 genderIndex, const QString &middleName,
        const QString &surname);

    /// The facts on show.
    const NameFacts &facts() const { return m_facts; }

    /// The place for panels that other parts of the program add to the card, below the signature. Empty at first.
    QVBoxLayout *extraPanels() const { return m_extraPanels; }

    /// What the chart tells of one year: "1990: 1,234 births, rank 56". Empty outside the chart's years.
    QString yearSummary(qint32 year) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildChart();
    void saveGeometryNow() const;
    void restoreSavedGeometry();

    QString m_settingsPath;
    bool m_placed = false;
    NameFacts m_facts;
    QList<qint32> m_ranks;
    QList<double> m_perMillion;
    qint32 m_firstYear = 0;

    QLabel *m_name = nullptr;
    QLabel *m_sex = nullptr;
    QLabel *m_pronunciation = nullptr;
    QLabel *m_syllables = nullptr;
    QLabel *m_origins = nullptr;
    QLabel *m_meaning = nullptr;
    QVBoxLayout *m_layout = nullptr;
    QGroupBox *m_usage = nullptr;
    BirthsChartView *m_chart = nullptr;
    QLabel *m_noRecords = nullptr;
    QLabel *m_yearDetail = nullptr;
    QLabel *m_rank = nullptr;
    QLabel *m_peak = nullptr;
    QLabel *m_trend = nullptr;
    QLabel *m_share = nullptr;
    QLabel *m_signature = nullptr;
    QLabel *m_initials = nullptr;
    QVBoxLayout *m_extraPanels = nullptr;
};

} // namespace namorel
