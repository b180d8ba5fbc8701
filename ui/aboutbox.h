#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TLanguage;

// The about box: product name, version, build, copyright and the maker's
// address, which opens in the user's browser.
class TAboutBox final : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    TLanguage *Language1;
    QLabel *ProgramIcon;
    QLabel *Label1;
    QLabel *Version;
    QLabel *lblBuild;
    QLabel *Copyright;
    QLabel *Label2;
    QPushButton *OKButton;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
