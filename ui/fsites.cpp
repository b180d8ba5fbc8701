#include "fsites.h"

#include "selectorwindow.h"

TfrmSites *frmSites = nullptr;

TfrmSites::TfrmSites(QWidget *parent)
    : QWidget(parent)
{
    frmSites = this;
    setObjectName(QStringLiteral("frmSites"));
    Language1 = prepareSelector(this, QStringLiteral("Site selector"), QRect(706, 128, 256, 512));
}

TfrmSites::~TfrmSites()
{
    if (frmSites == this)
        frmSites = nullptr;
}
