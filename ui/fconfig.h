#pragma once

#include <QDialog>

// The configuration window, opened modally from View > Configuration. For
// now it only names itself; the company and program editors come with it.
class TfrmConfig final : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmConfig(QWidget *parent = nullptr);
};
