#pragma once

#include <QWidget>

class TLanguage;

// The data selector window, created hidden at start-up.
class TfrmData final : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmData(QWidget *parent = nullptr);
    ~TfrmData() override;

    TLanguage *Language1 = nullptr;
};

// The data selector; set from the moment it is allocated.
extern TfrmData *frmData;
