#pragma once

#include "httpcli.h"

#include <QString>
#include <functional>

// File > Check for site updates without its window: fetches the version
// file from the update server, announces a newer program version, and
// fetches and imports a newer site catalogue. The main window owns one,
// forwards its menu handler to Check() and provides the hooks below.
class TUpdateCheck final
{
public:
    // What the main window provides.
    struct Hooks
    {
        // Text of the status bar's panel.
        std::function<void(const QString &)> setStatusText;
        // Hourglass cursor on (true) or back to normal (false).
        std::function<void(bool)> setBusyCursor;
        // Enables or disables the menu item while a check runs.
        std::function<void(bool)> setCheckEnabled;
        // Imports AppDir + "sites.zip"; true only when the import was
        // committed (TDM1::UpdateSites). Required.
        std::function<bool()> updateSites;
    };

    // The program's own version, compared with the one the server offers.
    static constexpr double ProgramVersion = 1.0;

    explicit TUpdateCheck(Hooks hooks);
    TUpdateCheck(const TUpdateCheck &) = delete;
    TUpdateCheck &operator=(const TUpdateCheck &) = delete;

    // Base address of the update server: "Options"/"UpdateUrl" of AppConfig
    // when set, else the maker's site; without a trailing '/'.
    static QString serverUrl();

    // The check itself. Messages go through Dialogs(). Errors other than
    // those of the HTTP exchange (a file that cannot be created in AppDir, an
    // error the import does not handle) go to the caller. Does nothing while
    // a check is already running.
    void Check();
    bool running() const { return m_running; }

    // Ends a running check where it stands: a download that waits ends at
    // once, and nothing more is fetched, imported or shown. For a window that
    // closes meanwhile. Does nothing when no check runs.
    void Cancel();

    // Fetches url into fileName (an existing file is emptied) and shows the
    // progress in the status bar. A failure of the HTTP exchange is shown in
    // the status bar and goes no further; other errors go to the caller.
    // The file keeps whatever was received.
    void DownloadFile(const QString &url, const QString &fileName);

    THttpCli &HttpCli1() { return m_http; }

private:
    void runCheck();
    void status(const QString &text) const;
    void busyCursor(bool busy) const;
    void checkEnabled(bool enabled) const;

    Hooks m_hooks;
    THttpCli m_http;
    bool m_running = false;
    bool m_cancelled = false;
};
