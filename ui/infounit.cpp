#include "infounit.h"
#include "errorreport.h"
#include "fonts.h"
#include "shellopen.h"
#include "ui_infounit.h"

#include <QFile>
#include <QKeyEvent>

namespace namorel {

TInfoForm *InfoForm = nullptr;

QUrl TInfoForm::customerCareUrl()
{
    return QUrl(QStringLiteral("https://www.namorel.com/support/"));
}

QString TInfoForm::logoResource()
{
    return QStringLiteral(":/about-logo.blob");
}

TInfoForm::TInfoForm(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TInfoForm>())
{
    InstallFontSubstitutes();
    m_ui->setupUi(this);
    UseStandInFonts(this);
    // A dialog on its own, whatever its parent: a title with the close box, no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint);
    setFixedSize(329, 223);

    QPalette white = m_ui->Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_ui->Panel1->setPalette(white);

    QFile logo(logoResource());
    if (logo.open(QIODevice::ReadOnly))
        m_ui->Image1->setPicture(JpegPicture::fromLayoutBlob(logo.readAll()));

    connect(m_ui->BitBtn3, &TOvalButton::OnClick, this, &TInfoForm::BitBtn3Click);
    connect(m_ui->OvalButton1, &TOvalButton::OnClick, this, &TInfoForm::OvalButton1Click);
}

TInfoForm::~TInfoForm() = default;

int TInfoForm::showModal()
{
    CentreOnScreen(this);
    return exec();
}

void TInfoForm::BitBtn3Click()
{
    done(kAbortResult);
}

void TInfoForm::OvalButton1Click()
{
    ShellOpen(customerCareUrl(), ShellShowMode::Maximized);
}

void TInfoForm::reject()
{
    done(kCancelResult);
}

void TInfoForm::keyPressEvent(QKeyEvent *event)
{
    // The window has no default and no cancel button: Enter and Escape do nothing here.
    if (event->matches(QKeySequence::Cancel) || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace namorel
