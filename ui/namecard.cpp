#include "namecard.h"
#include "factsdatabase.h"
#include "namesearch.h"
#include "phones.h"

#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStandardPaths>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <functional>

namespace namorel {

namespace {

constexpr QRgb kNavy = 0x000080;
const QString kGeometryKey = QStringLiteral("NameCard/geometry");

// The card's numbers are English, like all its texts: "22,164".
QString number(qint64 value)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value);
}

QString percent(double share)
{
    return QLocale(QLocale::English, QLocale::UnitedStates)
        .toString(share * 100, 'f', share < 0.1 || share > 0.9 ? 1 : 0);
}

// A label that the keyboard reaches and a screen reader reads under its name.
QLabel *readableLabel(const QString &accessibleName, QWidget *parent)
{
    auto *label = new QLabel(parent);
    // What it shows comes from the name files, the user's entries or a partner's file: never markup.
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(accessibleName);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    return label;
}

// "oh-<b>LIV</b>-ee-uh": the stressed syllable, written in capitals, also in bold.
QString markedSyllables(const QStringList &phones)
{
    QStringList parts = SpokenSyllables(phones).split(u'-');
    const qint32 stressed = StressedSyllable(phones);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        parts[i] = parts[i].toHtmlEscaped();
        if (i == stressed)
            parts[i] = QStringLiteral("<b>%1</b>").arg(parts[i]);
    }
    return parts.join(u'-');
}

// The text of a composed signature or initials without the empty first line the tab-3 boxes show.
QString withoutLeadingBreak(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.startsWith(u'\n'))
        text.remove(0, 1);
    return text;
}

} // namespace

/// The chart of births per million: a tooltip with the year's figures under the pointer, and the arrow keys
/// (Home and End too) walk the years for keyboard users, showing the same figures.
class BirthsChartView : public QChartView
{
public:
    BirthsChartView(std::function<QString(qint32)> summary, std::function<void(qint32)> chosen, QWidget *parent)
        : QChartView(parent)
        , m_summary(std::move(summary))
        , m_chosen(std::move(chosen))
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setRenderHint(QPainter::Antialiasing);
        setMinimumHeight(220);
    }

    void setYears(qint32 first, qint32 last, QLineSeries *series, QScatterSeries *marker)
    {
        m_first = first;
        m_last = last;
        m_series = series;
        m_marker = marker;
        m_year = 0;
    }

    qint32 chosenYear() const { return m_year; }

    void chooseYear(qint32 year)
    {
        if (!m_series || year < m_first || year > m_last)
            return;
        m_year = year;
        const QPointF point = m_series->at(year - m_first);
        m_marker->replace(QList<QPointF> { point });
        m_marker->setVisible(true);
        const QPoint at = mapToGlobal(mapFromScene(chart()->mapToPosition(point, m_series)));
        QToolTip::showText(at, m_summary(year), this);
        m_chosen(year);
    }

protected:
    void mouseMoveEvent(QMouseEvent *event) override
    {
        QChartView::mouseMoveEvent(event);
        if (!m_series || !chart()->plotArea().contains(event->position()))
            return;
        const qint32 year = qint32(std::lround(chart()->mapToValue(event->position(), m_series).x()));
        if (year != m_year)
            chooseYear(year);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const qint32 current = m_year ? m_year : m_last;
        switch (event->key()) {
        case Qt::Key_Left:
            chooseYear(qMax(m_first, current - (m_year ? 1 : 0)));
            break;
        case Qt::Key_Right:
            chooseYear(qMin(m_last, current + (m_year ? 1 : 0)));
            break;
        case Qt::Key_Home:
            chooseYear(m_first);
            break;
        case Qt::Key_End:
            chooseYear(m_last);
            break;
        default:
            QChartView::keyPressEvent(event);
            return;
        }
        event->accept();
    }

private:
    std::function<QString(qint32)> m_summary;
    std::function<void(qint32)> m_chosen;
    QLineSeries *m_series = nullptr;
    QScatterSeries *m_marker = nullptr;
    qint32 m_first = 0;
    qint32 m_last = 0;
    qint32 m_year = 0;
};

QString NameCard::defaultSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tessaly/Namorel-card.ini");
}

NameCard::NameCard(QWidget *parent, const QString &settingsPath)
    : QWidget(parent, Qt::Window)
    , m_settingsPath(settingsPath)
{
    setObjectName(QStringLiteral("NameCard"));
    setAccessibleName(QStringLiteral("Name card"));
    // The card never keeps the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    // The contents scroll when the card is smaller than they need, on a small screen or with many panels
    // added; the Close button stays in view.
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("NameCardContents"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *contents = new QWidget(scroll);
    auto *layout = new QVBoxLayout(contents);
    m_layout = layout;

    m_name = new QLabel(this);
    m_name->setTextFormat(Qt::PlainText);
    m_name->setAccessibleName(QStringLiteral("Name"));
    m_name->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_name->setFocusPolicy(Qt::StrongFocus);
    QFont large = m_name->font();
    large.setPointSizeF(large.pointSizeF() * 2.4);
    large.setBold(true);
    m_name->setFont(large);
    m_sex = new QLabel(this);
    m_sex->setAccessibleName(QStringLiteral("Sex"));
    auto *heading = new QHBoxLayout;
    heading->addWidget(m_name);
    heading->addWidget(m_sex, 0, Qt::AlignBottom);
    heading->addStretch();
    layout->addLayout(heading);

    auto *about = new QFormLayout;
    about->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_pronunciation = readableLabel(QStringLiteral("Pronunciation"), this);
    m_syllables = readableLabel(QStringLiteral("Syllables"), this);
    m_syllables->setTextFormat(Qt::RichText);
    m_origins = readableLabel(QStringLiteral("Origins"), this);
    m_meaning = readableLabel(QStringLiteral("Meaning, written by our editors from the name's history"), this);
    about->addRow(QStringLiteral("Pronunciation:"), m_pronunciation);
    about->addRow(QStringLiteral("Syllables:"), m_syllables);
    about->addRow(QStringLiteral("Origins:"), m_origins);
    auto *meaningCaption = new QLabel(QStringLiteral("Meaning:\n(our editors,\nfrom the name's\nhistory)"), this);
    about->addRow(meaningCaption, m_meaning);
    layout->addLayout(about);

    m_usage = new QGroupBox(QStringLiteral("Use in the US"), this);
    auto *usage = new QVBoxLayout(m_usage);
    m_chart = new BirthsChartView([this](qint32 year) { return yearSummary(year); },
        [this](qint32 year) { m_yearDetail->setText(yearSummary(year)); }, m_usage);
    m_chart->setAccessibleName(QStringLiteral("Chart of US births per million by year"));
    m_chart->setAccessibleDescription(
        QStringLiteral("Left and Right arrows step through the years, Home and End go to the first and last"));
    m_noRecords = readableLabel(QStringLiteral("US records"), m_usage);
    m_noRecords->setText(QStringLiteral("No US records for this spelling"));
    m_yearDetail = readableLabel(QStringLiteral("Chosen year"), m_usage);
    m_rank = readableLabel(QStringLiteral("Latest rank"), m_usage);
    m_peak = readableLabel(QStringLiteral("Peak year"), m_usage);
    m_trend = readableLabel(QStringLiteral("Ten-year trend"), m_usage);
    m_share = readableLabel(QStringLiteral("Share of girls"), m_usage);
    usage->addWidget(m_chart, 1);
    usage->addWidget(m_noRecords);
    usage->addWidget(m_yearDetail);
    usage->addWidget(m_rank);
    usage->addWidget(m_peak);
    usage->addWidget(m_trend);
    usage->addWidget(m_share);
    layout->addWidget(m_usage, 1);

    auto *signing = new QGroupBox(QStringLiteral("Signature and initials"), this);
    auto *signingLayout = new QHBoxLayout(signing);
    m_signature = readableLabel(QStringLiteral("Signature"), signing);
    QFont signatureFont(QStringLiteral("Times New Roman"), 15);
    signatureFont.setItalic(true);
    m_signature->setFont(signatureFont);
    QPalette navy = m_signature->palette();
    navy.setColor(QPalette::WindowText, QColor(kNavy));
    m_signature->setPalette(navy);
    m_initials = readableLabel(QStringLiteral("Initials"), signing);
    QFont initialsFont = m_initials->font();
    initialsFont.setPointSize(15);
    m_initials->setFont(initialsFont);
    m_initials->setAlignment(Qt::AlignCenter);
    signingLayout->addWidget(m_signature, 3);
    signingLayout->addWidget(m_initials, 1);
    layout->addWidget(signing);

    // Panels added later (a rating, say) go here, between the signature and the buttons.
    m_extraPanels = new QVBoxLayout;
    layout->addLayout(m_extraPanels);

    layout->addStretch(0);
    scroll->setWidget(contents);
    outer->addWidget(scroll, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto *buttonRow = new QVBoxLayout;
    buttonRow->setContentsMargins(layout->contentsMargins());
    buttonRow->addWidget(buttons);
    outer->addLayout(buttonRow);

    resize(560, 760);
}

NameCard::~NameCard()
{
    if (isVisible())
        saveGeometryNow();
}

void NameCard::showName(const QString &programFolder, const QString &name, qint32 genderIndex,
    const QString &middleName, const QString &surname)
{
    const std::shared_ptr<const FactsDatabase> database = FactsDatabase::open(programFolder);
    NameFacts facts = database->lookUp(name, genderIndex);
    m_ranks = database->ranks(name, genderIndex);
    m_firstYear = database->firstYear();
    m_perMillion = BirthsPerMillion(facts, database->allBirths(genderIndex), m_firstYear);
    m_facts = std::move(facts);
    const bool girls = genderIndex == 0;

    setWindowTitle(QStringLiteral("%1 - Namorel").arg(name));
    m_name->setText(name);
    m_sex->setText(girls ? QStringLiteral("girl's name") : QStringLiteral("boy's name"));

    if (m_facts.Pronunciation.isEmpty()) {
        m_pronunciation->setText(QStringLiteral("Not known"));
        m_syllables->setText(QStringLiteral("Not known"));
    } else {
        m_pronunciation->setText(QStringLiteral("%1   (%2)")
                                     .arg(m_facts.Pronunciation,
                                         m_facts.PronunciationEstimated ? QStringLiteral("approximate")
                                                                        : QStringLiteral("pronouncing dictionary")));
        const std::optional<NamePronunciation> spoken = database->pronunciation(name);
        m_syllables->setText(
            QStringLiteral("%1: %2").arg(QString::number(m_facts.Syllables), markedSyllables(spoken->Phones)));
    }
    m_origins->setText(m_facts.Origins.isEmpty() ? QStringLiteral("Not in the name files for %1")
                                                       .arg(girls ? QStringLiteral("girls") : QStringLiteral("boys"))
                                                 : m_facts.Origins.join(QStringLiteral(", ")));
    m_meaning->setText(m_facts.Meaning.isEmpty() ? QStringLiteral("Not known") : m_facts.Meaning);

    const bool hasRecords = !m_facts.Births.isEmpty();
    m_usage->setTitle(QStringLiteral("Use in the US: births per million %1").arg(girls ? u"girls" : u"boys"));
    m_chart->setVisible(hasRecords);
    // Without the chart, the spare room goes below the card's contents instead.
    m_layout->setStretchFactor(m_usage, hasRecords ? 1 : 0);
    m_layout->setStretch(m_layout->count() - 1, hasRecords ? 0 : 1);
    const bool lettersAtoZ = std::all_of(
        name.begin(), name.end(), [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
    // A spelling the records cannot hold is counted under its plain form, and the card says so.
    const bool countedAsPlain = hasRecords && m_facts.BirthsSpelling != name;
    m_noRecords->setVisible(!hasRecords || countedAsPlain);
    if (countedAsPlain) {
        QString accentless = name.normalized(QString::NormalizationForm_D);
        accentless.removeIf([](QChar c) { return c.combiningClass() != 0; });
        m_noRecords->setText(QStringLiteral("US records: counted as %1; the US records hold %2")
                                 .arg(m_facts.BirthsSpelling,
                                     accentless.compare(m_facts.BirthsSpelling, Qt::CaseInsensitive) == 0
                                         ? QStringLiteral("no accents")
                                         : QStringLiteral("only the letters A to Z")));
    } else {
        m_noRecords->setText(lettersAtoZ
                ? QStringLiteral("No US records for this spelling")
                : QStringLiteral("No US records for this spelling\n(the records write names in the "
                                 "letters A to Z only, without accents, spaces or hyphens)"));
    }
    m_yearDetail->setVisible(hasRecords);
    m_rank->setVisible(hasRecords);
    m_peak->setVisible(hasRecords);
    m_trend->setVisible(hasRecords);
    if (hasRecords) {
        buildChart();
        const qint32 latest = database->latestYear();
        m_yearDetail->setText(QStringLiteral("Point at the chart, or use the arrow keys on it, for a year's figures"));
        m_rank->setText(m_facts.LatestRank > 0
                ? QStringLiteral("Latest rank (%1): %2").arg(QString::number(latest), number(m_facts.LatestRank))
                : QStringLiteral("Latest rank (%1): not given that year").arg(latest));
        m_peak->setText(QStringLiteral("Peak year: %1").arg(PeakYear(m_perMillion, m_firstYear)));
        m_trend->setText(
            QStringLiteral("Ten-year trend: %1").arg(TenYearTrend(m_facts, m_perMillion, m_firstYear)));
    }
    m_share->setVisible(m_facts.FemaleShare >= 0);
    if (m_facts.FemaleShare >= 0) {
        const qint32 latest = database->latestYear();
        m_share->setText(QStringLiteral("Girls: %1 %, boys: %2 % of US births %3, %4-%5")
                             .arg(percent(m_facts.FemaleShare), percent(1 - m_facts.FemaleShare),
                                 lettersAtoZ ? QStringLiteral("with this spelling")
                                     : m_facts.BirthsSpelling.isEmpty()
                                     ? QStringLiteral("under its plain spelling")
                                     : QStringLiteral("as %1").arg(m_facts.BirthsSpelling),
                                 QString::number(latest - 19), QString::number(latest)));
    }

    m_signature->setText(withoutLeadingBreak(ComposeSignature(name, surname)));
    m_initials->setText(withoutLeadingBreak(ComposeInitials(name, middleName, surname)));

    if (!m_placed) {
        restoreSavedGeometry();
        m_placed = true;
    }
}

void NameCard::buildChart()
{
    auto *series = new QLineSeries;
    series->setName(QStringLiteral("Births per million"));
    double highest = 0;
    for (qsizetype i = 0; i < m_perMillion.size(); ++i) {
        series->append(m_firstYear + qreal(i), m_perMillion[i]);
        highest = qMax(highest, m_perMillion[i]);
    }
    auto *marker = new QScatterSeries;
    marker->setMarkerSize(9);
    marker->setVisible(false);

    auto *chart = new QChart;
    chart->legend()->hide();
    chart->addSeries(series);
    chart->addSeries(marker);
    auto *years = new QValueAxis;
    years->setRange(m_firstYear, m_firstYear + qreal(m_perMillion.size()) - 1);
    years->setLabelFormat(QStringLiteral("%d"));
    years->setTickType(QValueAxis::TicksDynamic);
    years->setTickAnchor(1900);
    years->setTickInterval(20);
    years->setTitleText(QStringLiteral("Year"));
    auto *rates = new QValueAxis;
    rates->setRange(0, highest > 0 ? highest * 1.05 : 1);
    rates->applyNiceNumbers();
    rates->setLabelFormat(QStringLiteral("%.0f"));
    rates->setTitleText(QStringLiteral("Per million"));
    chart->addAxis(years, Qt::AlignBottom);
    chart->addAxis(rates, Qt::AlignLeft);
    for (QAbstractSeries *each : { static_cast<QAbstractSeries *>(series), static_cast<QAbstractSeries *>(marker) }) {
        each->attachAxis(years);
        each->attachAxis(rates);
    }
    chart->setMargins(QMargins(2, 2, 2, 2));

    QChart *previous = m_chart->chart();
    m_chart->setChart(chart);
    delete previous;
    m_chart->setYears(m_firstYear, m_firstYear + qint32(m_perMillion.size()) - 1, series, marker);
}

QString NameCard::yearSummary(qint32 year) const
{
    const qsizetype index = year - m_facts.FirstYear;
    if (m_facts.Births.isEmpty() || year < m_firstYear || year - m_firstYear >= m_perMillion.size())
        return {};
    const qint32 births = index >= 0 && index < m_facts.Births.size() ? m_facts.Births[index] : 0;
    if (births == 0)
        return QStringLiteral("%1: no births recorded").arg(year);
    const qint32 rank = index < m_ranks.size() ? m_ranks[index] : 0;
    return QStringLiteral("%1: %2 births, rank %3, %4 per million")
        .arg(QString::number(year), number(births), number(rank),
            QLocale(QLocale::English, QLocale::UnitedStates).toString(m_perMillion[year - m_firstYear], 'f', 1));
}

void NameCard::keyPressEvent(QKeyEvent *event)
{
    // Escape closes the card, from wherever the focus is in it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void NameCard::hideEvent(QHideEvent *event)
{
    saveGeometryNow();
    QWidget::hideEvent(event);
}

void NameCard::saveGeometryNow() const
{
    if (m_settingsPath.isEmpty() || !m_placed)
        return;
    QSettings settings(m_settingsPath, QSettings::IniFormat);
    settings.setValue(kGeometryKey, saveGeometry());
    settings.sync();
}

void NameCard::restoreSavedGeometry()
{
    if (!m_settingsPath.isEmpty()) {
        const QSettings settings(m_settingsPath, QSettings::IniFormat);
        if (restoreGeometry(settings.value(kGeometryKey).toByteArray()))
            return;
    }
    // First time: beside the main window where the screen has room, else over it, always on the screen.
    QWidget *owner = parentWidget();
    const QScreen *screen = owner ? owner->screen() : this->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    QRect placed(QPoint(), size().boundedTo(available.size()));
    if (owner) {
        const QRect frame = owner->window()->frameGeometry();
        placed.moveTopLeft(QPoint(frame.right() + 12, frame.top()));
        if (!available.contains(placed))
            placed.moveTopRight(QPoint(frame.left() - 12, frame.top()));
    } else {
        placed.moveCenter(available.center());
    }
    placed.moveLeft(qBound(available.left(), placed.left(), available.right() - placed.width() + 1));
    placed.moveTop(qBound(available.top(), placed.top(), available.bottom() - placed.height() + 1));
    resize(placed.size());
    move(placed.topLeft());
}

} // namespace namorel
