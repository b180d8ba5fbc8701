#include "fdatasel.h"

#include "selectorwindow.h"

TfrmData *frmData = nullptr;

TfrmData::TfrmData(QWidget *parent)
    : QWidget(parent)
{
    frmData = this;
    setObjectName(QStringLiteral("frmData"));
    Language1 = prepareSelector(this, QStringLiteral("Data selector"), QRect(413, 136, 259, 555));
}

TfrmData::~TfrmData()
{
    if (frmData == this)
        frmData = nullptr;
}
