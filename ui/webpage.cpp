#include "webpage.h"

bool TWebPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool)
{
    emit beforeNavigate(url);
    return true;
}

QWebEnginePage *TWebPage::createWindow(WebWindowType)
{
    return this;
}
