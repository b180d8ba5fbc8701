#include "application.h"
#include "config.h"
#include "dm.h"
#include "errors.h"
#include "fdatasel.h"
#include "fmain.h"
#include "fsites.h"
#include "helpwindow.h"
#include "inifile.h"
#include "scratchdir.h"
#include "scripteddialogs.h"
#include "startup.h"

#include <QDir>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Counts how often a file in a folder is written in full. The settings file is
// written whole into a fresh file that then takes its name: linked in (the
// first time) or renamed onto it.
class TWriteCounter
{
public:
    TWriteCounter(const QString &folder, const QString &name)
        : m_name(name.toUtf8())
        , m_fd(inotify_init1(IN_NONBLOCK))
    {
        inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_CREATE | IN_MOVED_TO);
    }
    ~TWriteCounter() { ::close(m_fd); }
    TWriteCounter(const TWriteCounter &) = delete;
    TWriteCounter &operator=(const TWriteCounter &) = delete;

    int count()
    {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return m_count;
            for (ssize_t at = 0; at < n;) {
                inotify_event event;
                std::memcpy(&event, buffer + at, sizeof event);
                const char *name = buffer + at + sizeof event;
                if (event.len && m_name == name)
                    ++m_count;
                at += qsizetype(sizeof event) + event.len;
            }
        }
    }

private:
    QByteArray m_name;
    int m_fd;
    int m_count = 0;
};

// Runs code inside the loop that runProgram starts.
void inLoop(std::function<void()> code)
{
    QTimer::singleShot(0, qApp, std::move(code));
}

// Throws from its event handler.
class TThrower final : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw TException(QStringLiteral("Boom"));
        return QObject::event(e);
    }
};

} // namespace

class TstStartup : public QObject
{
    Q_OBJECT

private slots:
    void windowsAndSettingsOnClose();
    void signalClosesLikeExit_data();
    void signalClosesLikeExit();
    void unreadableSettingsNeverOverwritten();
    void dataModuleErrorShownOnce();
    void openHelpWindowDoesNotKeepTheProgramRunning();
    void exceptionInHandlerShownAndLoopGoesOn();
};

void TstStartup::windowsAndSettingsOnClose()
{
    TScratchDir dir;
    TScriptedDialogs dialogs;
    TWriteCounter writes(dir.path(), QStringLiteral("kelsprint.ini"));
    bool checked = false;
    inLoop([&] {
        QVERIFY(Form1 && DM1 && frmData && frmSites);
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quorvane Submit"));
        QCOMPARE(Form1->objectName(), QStringLiteral("Form1"));
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Quorvane Submit"));
        QCOMPARE(Form1->size(), QSize(503, 370));
        QVERIFY(Form1->isVisible());
        QVERIFY(!frmData->isVisible() && !frmSites->isVisible());
        QCOMPARE(DM1->parent(), qApp);
        QCOMPARE(qApp->findChild<TDM1 *>(QStringLiteral("DM1")), DM1);
        QCOMPARE(Form1->findChild<QMenu *>(QStringLiteral("File1"))->title(), QStringLiteral("&File"));
        QCOMPARE(Form1->findChild<QAction *>(QStringLiteral("Exit1"))->text(), QStringLiteral("E&xit"));
        frmData->show();
        frmSites->show();
        AppConfig->Company = QStringLiteral("Closing Company");
        QCOMPARE(writes.count(), 0);
        checked = true;
        Form1->close();
    });
    QCOMPARE(runProgram(*qobject_cast<TApplication *>(qApp), dir.path()), 0);
    QVERIFY(checked);
    QCOMPARE(writes.count(), 1);
    QCOMPARE(TIniFile(dir.file(QStringLiteral("kelsprint.ini"))).readString(u"Company"_qs, u"Company"_qs, {}),
             QStringLiteral("Closing Company"));
    QVERIFY(!AppConfig && !Form1 && !DM1 && !frmData && !frmSites);
    QCOMPARE(dialogs.calls.size(), 0);
    for (const char *table : {"Programs.DAT", "Sites.DAT", "ProgSite.DAT"})
        QVERIFY(QFile::exists(dir.file(QString::fromLatin1(table))));
}

void TstStartup::signalClosesLikeExit_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TstStartup::signalClosesLikeExit()
{
    QFETCH(int, signal);
    TScratchDir dir;
    TScriptedDialogs dialogs;
    TWriteCounter writes(dir.path(), QStringLiteral("kelsprint.ini"));
    inLoop([&] {
        AppConfig->Company = QStringLiteral("Signalled");
        ::raise(signal);
    });
    QCOMPARE(runProgram(*qobject_cast<TApplication *>(qApp), dir.path()), 0);
    QCOMPARE(writes.count(), 1);
    QCOMPARE(TIniFile(dir.file(QStringLiteral("kelsprint.ini"))).readString(u"Company"_qs, u"Company"_qs, {}),
             QStringLiteral("Signalled"));
}

void TstStartup::unreadableSettingsNeverOverwritten()
{
    TScratchDir dir;
    TScriptedDialogs dialogs;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("kelsprint.ini")));
    QCOMPARE(runProgram(*qobject_cast<TApplication *>(qApp), dir.path()), 1);
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(dialogs.calls[0].icon, TDialogs::Icon::Critical);
    QVERIFY(dialogs.calls[0].text.contains(QStringLiteral("kelsprint.ini")));
    QVERIFY(QFileInfo(dir.file(QStringLiteral("kelsprint.ini"))).isDir());
    QVERIFY(!AppConfig);
}

void TstStartup::dataModuleErrorShownOnce()
{
    TScratchDir dir;
    TScriptedDialogs dialogs;
    dir.write(QStringLiteral("Programs.DAT"), QByteArray(4096, '\x5a'));
    TWriteCounter writes(dir.path(), QStringLiteral("kelsprint.ini"));
    bool opened = false;
    inLoop([&] {
        opened = Form1 && Form1->isVisible() && frmData && frmSites;
        Form1->findChild<QAction *>(QStringLiteral("Exit1"))->trigger();
    });
    QCOMPARE(runProgram(*qobject_cast<TApplication *>(qApp), dir.path()), 0);
    QVERIFY(opened);
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(dialogs.calls[0].title, QStringLiteral("Quorvane Submit"));
    QVERIFY(dialogs.calls[0].text.contains(QStringLiteral("Programs.DAT")));
    QCOMPARE(writes.count(), 1);
}

void TstStartup::openHelpWindowDoesNotKeepTheProgramRunning()
{
    TScratchDir dir;
    TScriptedDialogs dialogs;
    TWriteCounter writes(dir.path(), QStringLiteral("kelsprint.ini"));
    bool helpShown = false;
    int lastWindowClosed = 0;
    inLoop([&] {
        Form1->findChild<QAction *>(QStringLiteral("Index1"))->trigger();
        helpShown = HelpWindow()->isVisible();
        QSignalSpy closed(qApp, &QGuiApplication::lastWindowClosed);
        Form1->findChild<QAction *>(QStringLiteral("Exit1"))->trigger();
        lastWindowClosed = int(closed.count());
        if (lastWindowClosed == 0)
            HelpWindow()->close(); // lets the test end
    });
    QCOMPARE(runProgram(*qobject_cast<TApplication *>(qApp), dir.path()), 0);
    QVERIFY(helpShown);
    QCOMPARE(lastWindowClosed, 1);
    QCOMPARE(writes.count(), 1);
}

void TstStartup::exceptionInHandlerShownAndLoopGoesOn()
{
    TScriptedDialogs dialogs;
    TThrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QTimer::singleShot(0, qApp, [] { throw EFileError(QStringLiteral("Timer boom")); });
    bool wentOn = false;
    QTimer::singleShot(10, qApp, [&] {
        wentOn = true;
        qApp->quit();
    });
    qApp->exec();
    QVERIFY(wentOn);
    QStringList texts;
    for (const auto &c : dialogs.calls) {
        QCOMPARE(c.icon, TDialogs::Icon::Critical);
        texts << c.text;
    }
    texts.sort();
    QCOMPARE(texts, (QStringList{u"Boom"_qs, u"Timer boom"_qs}));
}

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TApplication app(argc, argv);
    TstStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
