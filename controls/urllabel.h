#pragma once

#include "rrcolors.h"

#include <QCursor>
#include <QLabel>
#include <QString>

#include <optional>

namespace namorel {

/// The number under which the link cursor, a pointing hand, is kept in the application-wide cursor table.
/// It lies outside the range of the toolkit's own cursor shapes.
constexpr int kLinkCursorId = 512;

/// The resource that holds the link cursor's picture: 32 x 32, black, white and transparent pixels.
inline constexpr char16_t kLinkCursorResource[] = u":/urlcursor_1.png";
/// The same picture at twice the size, for screens with two device pixels to a pixel.
inline constexpr char16_t kLinkCursorResource2x[] = u":/urlcursor_1@2x.png";

/// A label that works as a hyperlink: its caption holds an address, and a click hands the address,
/// completed with the scheme of URLType, to ShellOpen. The text is underlined; it turns blue while the
/// pointer is over the label and black once it has left. The pointer shows the link cursor.
///
/// Like any label, it fills its rectangle with its parent's background unless Transparent is set, and while
/// AutoSize is on it takes the size of its one-line text.
class TURLLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Transparent READ isTransparent WRITE setTransparent)
    Q_PROPERTY(TURLType URLType READ urlType WRITE setURLType)
    Q_PROPERTY(int Cursor READ cursorId WRITE setCursorId)
    Q_PROPERTY(quint32 FontColor READ fontColor)

public:
    /// Which kind of address the caption holds, and so which scheme a click puts in front of it.
    enum TURLType : quint8 { utHTTP, utFTP, utMailTo };
    Q_ENUM(TURLType)

    /// A label showing the product's web address, underlined in 8-point "MS Sans Serif", with the link
    /// cursor. Loads the link cursor from kLinkCursorResource and registers it under kLinkCursorId; when it
    /// cannot be loaded, the entry is removed and the label shows the default arrow.
    explicit TURLLabel(QWidget *parent = nullptr);
    ~TURLLabel() override;

    /// The scheme prefix of \a type: "http://", "ftp://" or "mailto:".
    static QString schemePrefix(TURLType type);

    /// The link cursor for screens of \a ratio device pixels to a pixel: the one-bit 32 x 32 hand, or from 1.5
    /// on the hand drawn at twice the size, so that it is neither small nor blurred. Nothing when the
    /// picture cannot be loaded.
    static std::optional<QCursor> linkCursor(qreal ratio);

    /// The address a click on a label of \a type with \a caption opens: the caption itself when the prefix
    /// occurs anywhere in it (A-Z compared without case), otherwise the prefix followed by the caption.
    static QString linkAddress(TURLType type, const QString &caption);

    bool autoSize() const { return m_autoSize; }
    /// While on, the label keeps the size of its text.
    void setAutoSize(bool autoSize);

    QString caption() const { return text(); }
    /// Sets the address shown and opened; shown as plain text, never as markup.
    void setCaption(const QString &caption);

    bool isTransparent() const { return !autoFillBackground(); }
    /// A transparent label leaves its background unpainted, so the parent shows through.
    void setTransparent(bool transparent);

    TURLType urlType() const { return URLType; }
    /// Chooses the scheme of the next click. Changes nothing on screen.
    void setURLType(TURLType type) { URLType = type; }

    int cursorId() const { return m_cursorId; }
    /// Shows the cursor stored under \a id in the cursor table; the default arrow if there is none.
    void setCursorId(int id);

    /// The text colour: the palette's window text until the pointer first enters, blue while it is over the
    /// label and black after it has left. A disabled label keeps the colour but draws its text greyed.
    TColor fontColor() const { return m_fontColor; }

    /// Opens the address as a click does; for assistive tools, which act without a pointer.
    void open();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void click();
    void setFontColor(TColor color);
    void applyCursor();
    void fitToText();

    TURLType URLType = utHTTP;
    bool m_autoSize = true;
    int m_cursorId = 0;
    TColor m_fontColor = kColorWindowText;
    // A left press on the label that a left release over it completes as a click.
    bool m_clickArmed = false;
};

} // namespace namorel
