#include "ratingpanel.h"
#include "errorreport.h"
#include "shortlistsession.h"
#include "stars.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>

namespace namorel {

namespace {

constexpr int kStarSize = 16;
constexpr int kStarSpacing = 3;
constexpr int kMargin = 2;
// Long enough for a thought about a name, short enough for one line of the shortlist.
constexpr int kNoteLength = 200;

QString starsText(int stars)
{
    return stars == 1 ? QStringLiteral("1 star") : QStringLiteral("%1 stars").arg(stars);
}

} // namespace

// ---- StarRatingEdit ----

StarRatingEdit::StarRatingEdit(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Your stars"));
    updateDescription();
}

void StarRatingEdit::setStars(int stars)
{
    stars = std::clamp(stars, 0, 5);
    if (stars == m_stars)
        return;
    m_stars = stars;
    updateDescription();
    update();
}

QRect StarRatingEdit::starRect(int index) const
{
    return { kMargin + index * (kStarSize + kStarSpacing), kMargin, kStarSize, kStarSize };
}

QSize StarRatingEdit::sizeHint() const
{
    return { 2 * kMargin + int(StarsWidth(kStarSize, kStarSpacing)), 2 * kMargin + kStarSize };
}

void StarRatingEdit::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    PaintStars(
        painter, QRectF(starRect(0)).adjusted(0, 0, 0, 0), m_stars, palette(), isEnabled(), m_hovered, kStarSpacing);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Window);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

int StarRatingEdit::starAt(QPoint position) const
{
    for (int index = 0; index < 5; ++index) {
        // The gap between two stars belongs to the star on its left.
        if (starRect(index).adjusted(0, -kMargin, kStarSpacing, kMargin).contains(position))
            return index + 1;
    }
    return 0;
}

void StarRatingEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const int star = starAt(event->position().toPoint());
    if (star > 0)
        edit(star == m_stars ? 0 : star);
}

void StarRatingEdit::mouseMoveEvent(QMouseEvent *event)
{
    const int star = starAt(event->position().toPoint());
    if (star != m_hovered) {
        m_hovered = star;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void StarRatingEdit::leaveEvent(QEvent *event)
{
    m_hovered = 0;
    update();
    QWidget::leaveEvent(event);
}

void StarRatingEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Plus:
        edit(std::min(m_stars + 1, 5));
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
    case Qt::Key_Minus:
        edit(std::max(m_stars - 1, 0));
        break;
    case Qt::Key_Home:
        edit(0);
        break;
    case Qt::Key_End:
        edit(5);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void StarRatingEdit::edit(int stars)
{
    if (stars == m_stars)
        return;
    setStars(stars);
    emit starsEdited(m_stars);
}

void StarRatingEdit::updateDescription()
{
    const QString text = QStringLiteral("%1 of 5").arg(starsText(m_stars));
    setAccessibleDescription(text);
    setToolTip(text);
}

// ---- RatingPanel ----

RatingPanel::RatingPanel(ShortlistSession *session, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_stars(new StarRatingEdit(this))
    , m_veto(new QCheckBox(QStringLiteral("Not this one"), this))
    , m_note(new QLineEdit(this))
    , m_partner(new QLabel(this))
{
    setObjectName(QStringLiteral("ratingPanel"));
    auto *starsLabel = new QLabel(QStringLiteral("Your &rating:"), this);
    starsLabel->setBuddy(m_stars);
    m_veto->setToolTip(QStringLiteral("Not this one (V)"));
    auto *noteLabel = new QLabel(QStringLiteral("N&ote:"), this);
    noteLabel->setBuddy(m_note);
    m_note->setMaxLength(kNoteLength);
    m_note->setPlaceholderText(QStringLiteral("A short note for yourself and your partner"));
    m_note->setAccessibleName(QStringLiteral("Your note"));
    m_partner->setTextFormat(Qt::PlainText);
    m_partner->setWordWrap(true);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *starsRow = new QHBoxLayout;
    starsRow->addWidget(m_stars);
    starsRow->addSpacing(12);
    starsRow->addWidget(m_veto);
    starsRow->addStretch();
    layout->addWidget(starsLabel, 0, 0);
    layout->addLayout(starsRow, 0, 1);
    layout->addWidget(noteLabel, 1, 0);
    layout->addWidget(m_note, 1, 1);
    layout->addWidget(m_partner, 2, 0, 1, 2);
    setTabOrder(m_stars, m_veto);
    setTabOrder(m_veto, m_note);

    connect(m_stars, &StarRatingEdit::starsEdited, this, [this] { store(); });
    connect(m_veto, &QCheckBox::toggled, this, [this] {
        m_stars->setEnabled(!m_veto->isChecked());
        if (!m_loading)
            store();
    });
    connect(m_note, &QLineEdit::editingFinished, this, [this] { storeNote(); });
    connect(m_session, &ShortlistSession::changed, this, [this] {
        if (!m_loading)
            reload();
    });
    connect(m_session, &ShortlistSession::closing, this, &RatingPanel::storeNoteQuietly);
    setEnabled(false);
}

RatingPanel::~RatingPanel() = default;

void RatingPanel::setName(const QString &name, qint32 genderIndex)
{
    genderIndex = genderIndex == 0 ? 0 : 1;
    if (name == m_name && genderIndex == m_genderIndex)
        return;
    storeNote();
    m_name = name;
    m_genderIndex = genderIndex;
    reload();
}

void RatingPanel::reload()
{
    if (!m_session)
        return;
    m_loading = true;
    const bool loaded = RunGuarded([this] {
        if (m_name.isEmpty()) {
            m_stars->setStars(0);
            m_veto->setChecked(false);
            m_note->clear();
            m_storedNote.clear();
            m_partner->clear();
            return;
        }
        Shortlist &shortlist = m_session->shortlist();
        const std::optional<Rating> mine = shortlist.myRating(m_name, m_genderIndex);
        m_stars->setStars(mine ? mine->Stars : 0);
        m_veto->setChecked(mine && mine->Veto);
        m_stars->setEnabled(!m_veto->isChecked());
        // A note being typed stays; the stored one is shown otherwise.
        m_storedNote = mine ? mine->Note : QString();
        if (!m_note->isModified())
            m_note->setText(m_storedNote);

        const QString partner = shortlist.partnerName();
        const std::optional<Rating> theirs = shortlist.partnersRating(m_name, m_genderIndex);
        QString text;
        if (partner.isEmpty())
            text = QString();
        else if (!theirs)
            text = QStringLiteral("%1 has not rated it.").arg(partner);
        else if (theirs->Veto)
            text = QStringLiteral("%1 says: not this one.").arg(partner);
        else
            text = QStringLiteral("%1 gave it %2.").arg(partner, starsText(theirs->Stars));
        if (theirs && !theirs->Note.isEmpty())
            text += QStringLiteral(" \u201C%1\u201D").arg(theirs->Note);
        m_partner->setText(text);
    });
    m_loading = false;
    setEnabled(loaded && !m_name.isEmpty());
}

void RatingPanel::store()
{
    if (m_name.isEmpty() || !m_session)
        return;
    const QString note = m_note->text();
    m_loading = true;
    const bool stored = RunGuarded([&] {
        m_session->rate({ m_name, m_genderIndex, m_stars->stars(), m_veto->isChecked(), note, {} });
    });
    m_loading = false;
    if (stored) {
        m_storedNote = note;
        m_note->setModified(false);
    }
    reload();
}

void RatingPanel::storeNote()
{
    if (!m_name.isEmpty() && m_note->text() != m_storedNote)
        store();
    m_note->setModified(false);
}

void RatingPanel::storeNoteQuietly()
{
    if (m_name.isEmpty() || !m_session || m_note->text() == m_storedNote)
        return;
    const QString note = m_note->text();
    try {
        m_session->rate({ m_name, m_genderIndex, m_stars->stars(), m_veto->isChecked(), note, {} });
        m_storedNote = note;
        m_note->setModified(false);
    } catch (const std::exception &) {
        // The program is ending: there is no one left to tell, and nothing may hold the end up.
    }
}

bool RatingPanel::handleKey(QKeyEvent *event)
{
    if (!isEnabled() || !isVisible())
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier)
        return false;
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_5 && modifiers == Qt::NoModifier) {
        // Giving stars takes back a veto.
        m_loading = true;
        m_veto->setChecked(false);
        m_loading = false;
        m_stars->setStars(key - Qt::Key_0);
        store();
        return true;
    }
    if (key == Qt::Key_V) {
        m_veto->toggle();
        return true;
    }
    return false;
}

void RatingPanel::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(event))
        QWidget::keyPressEvent(event);
}

bool RatingPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Keys that no control of the window took reach the window itself; rating keys among them are the panel's.
    if (watched == m_window && event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void RatingPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (window() != m_window && window() != this) {
        if (m_window)
            m_window->removeEventFilter(this);
        m_window = window();
        m_window->installEventFilter(this);
    }
}

void RatingPanel::hideEvent(QHideEvent *event)
{
    // A note being typed when the window closes is kept.
    storeNote();
    QWidget::hideEvent(event);
}

} // namespace namorel
