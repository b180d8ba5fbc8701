#pragma once

#include <QWebEnginePage>

// The browser page: announces every navigation before it happens (links,
// scripts and frames included) and never cancels one. Pages that ask for a
// new window open in this one, as the program has a single browser.
class TWebPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    using QWebEnginePage::QWebEnginePage;

signals:
    void beforeNavigate(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
};
