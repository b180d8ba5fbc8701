#pragma once

#include <QWidget>

// The data selector window, created hidden at start-up.
class TfrmData final : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmData(QWidget *parent = nullptr);
    ~TfrmData() override;
};

// The data selector; set from the moment it is allocated.
extern TfrmData *frmData;
