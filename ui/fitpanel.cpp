#include "fitpanel.h"

#include <QLabel>
#include <QVBoxLayout>

namespace namorel {

namespace {

QString heading(const QString &kind)
{
    if (kind == u"run-together")
        return QStringLiteral("Run-together");
    return kind.isEmpty() ? kind : kind.front().toUpper() + kind.mid(1);
}

} // namespace

FitPanel::FitPanel(QWidget *parent)
    : QGroupBox(QStringLiteral("With the surname"), parent)
{
    setObjectName(QStringLiteral("FitPanel"));
    m_text = new QLabel(this);
    m_text->setAccessibleName(QStringLiteral("How the name goes with the surname"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::RichText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
}

void FitPanel::showFit(
    const QString &programFolder, const QString &name, const QString &middleName, const QString &surname)
{
    m_notes = SurnameFit(programFolder, name, middleName, surname);
    setTitle(surname.trimmed().isEmpty() ? QStringLiteral("With the surname")
                                         : QStringLiteral("With the surname %1").arg(surname.trimmed()));
    if (m_notes.isEmpty()) {
        m_text->setText(QStringLiteral("Enter a surname on the first tab of the main window to see how the name "
                                       "goes with it."));
        return;
    }
    QStringList lines;
    for (const FitNote &note : m_notes) {
        const QString line = QStringLiteral("<b>%1:</b> %2").arg(heading(note.Kind), note.Text.toHtmlEscaped());
        // A warning is red and says so in words too, for readers who do not see the colour.
        lines.append(
            note.Warning ? QStringLiteral("<span style=\"color:#c00000\"><b>Warning.</b> %1</span>").arg(line) : line);
    }
    m_text->setText(lines.join(QStringLiteral("<br>")));
}

} // namespace namorel
