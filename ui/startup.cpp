#include "startup.h"

#include "appdir.h"
#include "application.h"
#include "config.h"
#include "dm.h"
#include "fdatasel.h"
#include "fmain.h"
#include "fsites.h"
#include "showerror.h"

#include <QApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const QString Title = QStringLiteral("Quorvane Submit");

#ifdef Q_OS_UNIX
// SIGTERM and SIGINT (a desktop session ending, Ctrl+C) close the main window
// as File > Exit does, so the settings are saved. The handler only writes a
// byte into a pipe; the loop reads it and does the closing.
class TCloseOnSignal
{
public:
    TCloseOnSignal()
    {
        if (::pipe(s_pipe) != 0)
            return;
        for (int fd : s_pipe)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(s_pipe[1], F_SETFL, O_NONBLOCK);
        m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier, &QSocketNotifier::activated, [] {
            char byte = 0;
            if (::read(s_pipe[0], &byte, 1) != 1)
                return;
            // Every window closes, an open dialog too, and the loop ends even
            // when a dialog kept the main window's closing from ending it.
            QApplication::closeAllWindows();
            QCoreApplication::quit();
        });
        struct sigaction action = {};
        action.sa_handler = &TCloseOnSignal::handle;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, &m_oldTerm);
        ::sigaction(SIGINT, &action, &m_oldInt);
    }

    ~TCloseOnSignal()
    {
        if (!m_notifier)
            return;
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        delete m_notifier;
        ::close(s_pipe[0]);
        ::close(s_pipe[1]);
    }

    TCloseOnSignal(const TCloseOnSignal &) = delete;
    TCloseOnSignal &operator=(const TCloseOnSignal &) = delete;

private:
    static void handle(int)
    {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(s_pipe[1], &byte, 1);
    }

    static inline int s_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_oldTerm = {};
    struct sigaction m_oldInt = {};
};
#endif

} // namespace

int runProgram(TApplication &app, const QString &appDir)
{
    setAppDir(appDir);
    AppConfig = new TConfig;
    bool loaded = false;
    int code = 1;
    // Kept apart from the globals, which would point at freed memory if a
    // constructor threw after setting its global.
    TForm1 *form = nullptr;
    TDM1 *dm = nullptr;
    TfrmData *data = nullptr;
    TfrmSites *sites = nullptr;
    try {
        AppConfig->Load();
        loaded = true;
        QCoreApplication::setApplicationName(Title);
        QGuiApplication::setApplicationDisplayName(Title);

        form = new TForm1;
        form->show();
        dm = new TDM1(&app);
        // The selectors are shown on demand; closing one only hides it, and
        // an open one does not keep the program running once the main window
        // closes.
        data = new TfrmData;
        sites = new TfrmSites;
        data->setAttribute(Qt::WA_QuitOnClose, false);
        sites->setAttribute(Qt::WA_QuitOnClose, false);

#ifdef Q_OS_UNIX
        TCloseOnSignal closeOnSignal;
#endif
        code = app.exec();
    } catch (const std::exception &e) {
        ShowException(e);
        code = 1;
    }

    // Settings that were never read are not overwritten.
    if (loaded) {
        try {
            AppConfig->Save();
        } catch (const std::exception &e) {
            ShowException(e);
            code = 1;
        }
    }
    delete AppConfig;
    AppConfig = nullptr;

    delete sites;
    delete data;
    delete dm;
    delete form;
    frmSites = nullptr;
    frmData = nullptr;
    DM1 = nullptr;
    Form1 = nullptr;
    return code;
}
