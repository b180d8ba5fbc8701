#pragma once

#include <QWidget>

class TLanguage;

// The site selector window, created hidden at start-up.
class TfrmSites final : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmSites(QWidget *parent = nullptr);
    ~TfrmSites() override;

    TLanguage *Language1 = nullptr;
};

// The site selector; set from the moment it is allocated.
extern TfrmSites *frmSites;
