#include "fsites.h"

TfrmSites *frmSites = nullptr;

TfrmSites::TfrmSites(QWidget *parent)
    : QWidget(parent)
{
    frmSites = this;
    setObjectName(QStringLiteral("frmSites"));
}

TfrmSites::~TfrmSites()
{
    if (frmSites == this)
        frmSites = nullptr;
}
