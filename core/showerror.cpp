#include "showerror.h"

#include "dialogs.h"
#include "errors.h"

#include <QCoreApplication>

QString ApplicationTitle()
{
    return QCoreApplication::applicationName();
}

void ShowException(const std::exception &e)
{
    Dialogs().message(ApplicationTitle(), exceptionText(e), TDialogs::Icon::Critical);
}

void ShowMessage(const QString &text)
{
    Dialogs().message(ApplicationTitle(), text, TDialogs::Icon::None);
}
