#include "fconfig.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TfrmConfig::TfrmConfig(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Configuration"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Company and program details are edited here.")));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
