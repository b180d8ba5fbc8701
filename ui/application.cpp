#include "application.h"

#include "errors.h"
#include "showerror.h"

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowException(TException(QStringLiteral("An unknown error occurred.")));
    }
    return false;
}
