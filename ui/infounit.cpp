#include "infounit.h"
#include "errorreport.h"

#include <QLabel>

namespace namorel {

TInfoForm *InfoForm = nullptr;

TInfoForm::TInfoForm(QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About..."));
    setFixedSize(329, 223);
    auto *name = new QLabel(QStringLiteral("Namorel - version 1.0"), this);
    name->setGeometry(7, 10, 315, 30);
    name->setAlignment(Qt::AlignCenter);
}

TInfoForm::~TInfoForm() = default;

int TInfoForm::showModal()
{
    CentreOnScreen(this);
    return exec();
}

} // namespace namorel
