#pragma once

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;

namespace namorel {

class ShortlistSession;

/// Five stars the user sets with the mouse (a click on the star that is already the last one lit takes all
/// away) or the arrow keys.
class StarRatingEdit : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int stars READ stars WRITE setStars)

public:
    explicit StarRatingEdit(QWidget *parent = nullptr);

    int stars() const { return m_stars; }
    /// Shows \a stars (clamped to 0..5) without announcing an edit.
    void setStars(int stars);

    /// Where star \a index (0 to 4) is drawn.
    QRect starRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    /// The user changed the stars.
    void starsEdited(int stars);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int starAt(QPoint position) const;
    void edit(int stars);
    void updateDescription();

    int m_stars = 0;
    int m_hovered = 0;
};

/// My rating of one name for one gender: 0 to 5 stars, a veto ("not this one") and a short note, each stored
/// in the shortlist as soon as it changes (the note when its editing ends); and my partner's rating of it.
/// Besides the mouse, the digits 0 to 5 set the stars and V flips the veto, wherever the focus is in the
/// panel's window, except in a box that takes text.
class RatingPanel : public QWidget
{
    Q_OBJECT

public:
    explicit RatingPanel(ShortlistSession *session, QWidget *parent = nullptr);
    ~RatingPanel() override;

    /// Shows my rating and my partner's of \a name for \a genderIndex (0 girls, any other boys), after storing
    /// a note still being edited for the name shown before.
    void setName(const QString &name, qint32 genderIndex);
    QString name() const { return m_name; }
    qint32 genderIndex() const { return m_genderIndex; }

    /// Applies a rating key: 0 to 5 for the stars, V for the veto. Returns whether the key was one.
    bool handleKey(QKeyEvent *event);

    StarRatingEdit *starsEdit() const { return m_stars; }
    QCheckBox *vetoBox() const { return m_veto; }
    QLineEdit *noteEdit() const { return m_note; }
    QLabel *partnerLabel() const { return m_partner; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void reload();
    void store();
    void storeNote();
    void storeNoteQuietly();

    // Gone once the session is: a card may outlive it while the program ends.
    QPointer<ShortlistSession> m_session;
    QString m_name;
    qint32 m_genderIndex = 0;
    QString m_storedNote;
    bool m_loading = false;
    QPointer<QWidget> m_window;
    StarRatingEdit *m_stars;
    QCheckBox *m_veto;
    QLineEdit *m_note;
    QLabel *m_partner;
};

} // namespace namorel
