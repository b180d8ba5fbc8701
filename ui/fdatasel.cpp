#include "fdatasel.h"

TfrmData *frmData = nullptr;

TfrmData::TfrmData(QWidget *parent)
    : QWidget(parent)
{
    frmData = this;
    setObjectName(QStringLiteral("frmData"));
}

TfrmData::~TfrmData()
{
    if (frmData == this)
        frmData = nullptr;
}
