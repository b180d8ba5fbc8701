#pragma once

#include <QApplication>

// The application object. An exception thrown by an event handler ends that
// handler only: its text is shown in the standard error box and the loop
// goes on.
class TApplication final : public QApplication
{
    Q_OBJECT

public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
