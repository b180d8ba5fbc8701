// The Linux platform on real folders, and the built program end to end.

#include "exini.h"
#include "posix/posixplatform.h"
#include "uninstall.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <poll.h>
#include <csignal>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(data);
}

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool Exists(const QString &path)
{
    return QFileInfo::exists(path);
}

std::string S(const QString &s)
{
    return s.toStdString();
}

// Runs program with the environment changed by env and waits until it and
// every program it started have ended, which shows as the end of the output
// that they share. Returns the first program's exit code, -1 when it does not
// end within a minute.
int RunAll(const QString &program, const QStringList &env, QByteArray *output)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &var : env)
        environment.insert(var.section(u'=', 0, 0), var.section(u'=', 1));
    std::vector<std::string> vars;
    for (const QString &var : environment.toStringList())
        vars.push_back(var.toStdString());
    std::vector<char *> envp;
    for (std::string &var : vars)
        envp.push_back(var.data());
    envp.push_back(nullptr);
    std::string path = program.toStdString();
    char *const argv[] = {path.data(), nullptr};

    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    bool ended = spawned == 0;
    for (char chunk[4096]; ended;) {
        pollfd readable = {pipeFds[0], POLLIN, 0};
        if (::poll(&readable, 1, 60 * 1000) <= 0) {
            ended = false;
            break;
        }
        const ssize_t n = ::read(pipeFds[0], chunk, sizeof chunk);
        if (n <= 0)
            break;
        output->append(chunk, n);
    }
    ::close(pipeFds[0]);
    if (spawned != 0)
        return -1;
    if (!ended)
        ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The environment of one run of the built program: its own home,
// configuration, data and temporary folders below root, and its message
// boxes answered.
QStringList ProgramEnvironment(const QString &root, const QString &answers)
{
    return {u"HOME="_qs + root + u"/home"_qs, u"XDG_CONFIG_HOME="_qs + root + u"/home/.config"_qs,
            u"XDG_DATA_HOME="_qs + root + u"/home/.local/share"_qs, u"TMPDIR="_qs + root + u"/tmp"_qs,
            u"XDG_RUNTIME_DIR="_qs + root + u"/runtime"_qs,
            u"QT_PLUGIN_PATH="_qs + QStringLiteral(QS_TEST_PLUGINS), u"QT_QPA_GENERIC_PLUGINS=qsboxanswer"_qs,
            u"QS_BOX_LOG="_qs + root + u"/boxes.log"_qs, u"QS_BOX_ANSWERS="_qs + answers};
}

} // namespace

class TstPosixUninstall : public QObject
{
    Q_OBJECT

private slots:
    void registryStore();
    void registryStoreStaysInside();
    void protectedFolders();
    void linksNotFollowed();
    void files();
    void configurationFile();
    void failedWriteKeepsFiles();
    void noConfiguration();
    void endToEnd_data();
    void endToEnd();
};

void TstPosixUninstall::registryStore()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString store = config.path() + u"/quorvane-registry/"_qs;
    Write(store + u"HKEY_CURRENT_USER/Software/Vendor/values"_qs, "Path=/inst/App\nother=a=b\n=default\n");
    Write(store + u"HKEY_LOCAL_MACHINE/SOFTWARE/Tree/values"_qs, "x=1\n");
    Write(store + u"HKEY_LOCAL_MACHINE/SOFTWARE/Tree/b/Deep/values"_qs, "x=1\n");
    Write(store + u"HKEY_LOCAL_MACHINE/SOFTWARE/Tree/A/values"_qs, "x=1\n");
    QDir().mkpath(store + u"HKEY_LOCAL_MACHINE/SOFTWARE/Tree/c"_qs);
    TPosixPlatform p;

    // Names without regard to case, values as written after the first "=".
    QCOMPARE(p.regReadValue(THive::CurrentUser, "software\\VENDOR", "PATH").value_or("<none>"), "/inst/App");
    QCOMPARE(p.regReadValue(THive::CurrentUser, "Software\\Vendor", "Other").value_or("<none>"), "a=b");
    QCOMPARE(p.regReadValue(THive::CurrentUser, "Software\\Vendor", "").value_or("<none>"), "default");
    QVERIFY(!p.regReadValue(THive::CurrentUser, "Software\\Vendor", "Missing"));
    QVERIFY(!p.regReadValue(THive::LocalMachine, "Software\\Vendor", "Path"));
    // Two spellings of one name, as two installers may have written them.
    Write(store + u"HKEY_CURRENT_USER/SOFTWARE/Other/values"_qs, "x=1\n");
    QCOMPARE(p.regReadValue(THive::CurrentUser, "Software\\Other", "x").value_or("<none>"), "1");

    QVERIFY(p.regDeleteValue(THive::CurrentUser, "SOFTWARE\\vendor", "path"));
    QCOMPARE(Read(store + u"HKEY_CURRENT_USER/Software/Vendor/values"_qs), QByteArray("other=a=b\n=default\n"));
    QVERIFY(!p.regDeleteValue(THive::CurrentUser, "Software\\Vendor", "Path"));
    QVERIFY(!p.regDeleteValue(THive::CurrentUser, "Software\\Missing", "Path"));
    QVERIFY(!Exists(store + u"HKEY_CURRENT_USER/Software/Missing"_qs));

    QCOMPARE(p.regSubKeys(THive::LocalMachine, "Software\\Tree"), std::vector<std::string>({"A", "b", "c"}));
    QVERIFY(!p.regDeleteKey(THive::LocalMachine, "Software\\Tree"));
    QVERIFY(p.regDeleteKey(THive::LocalMachine, "Software\\Tree\\c"));
    TUninstaller(p).DeleteKeyTree(THive::LocalMachine, "software\\tree");
    QVERIFY(!Exists(store + u"HKEY_LOCAL_MACHINE/SOFTWARE/Tree"_qs));
    QVERIFY(Exists(store + u"HKEY_LOCAL_MACHINE/SOFTWARE"_qs));
    // A hive is no key to delete.
    QVERIFY(!p.regDeleteKey(THive::LocalMachine, ""));

    QVERIFY(p.regCreateKey(THive::CurrentUser, "software\\New\\Deep"));
    QVERIFY(QFileInfo(store + u"HKEY_CURRENT_USER/Software/New/Deep"_qs).isDir());
}

void TstPosixUninstall::registryStoreStaysInside()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString store = config.path() + u"/quorvane-registry/"_qs;
    Write(config.path() + u"/victim/values"_qs, "Path=x\n");
    Write(config.path() + u"/outside/values"_qs, "x=1\n");
    Write(store + u"HKEY_CURRENT_USER/Software/values"_qs, "x=1\n");
    QVERIFY(QFile::link(config.path() + u"/outside"_qs, store + u"HKEY_CURRENT_USER/Software/Link"_qs));
    TPosixPlatform p;

    QVERIFY(!p.regDeleteValue(THive::CurrentUser, "..\\..\\victim", "Path"));
    QVERIFY(!p.regDeleteValue(THive::CurrentUser, "Software\\..\\..\\..\\victim", "Path"));
    QVERIFY(!p.regDeleteValue(THive::CurrentUser, "Software/../../../victim", "Path"));
    QCOMPARE(Read(config.path() + u"/victim/values"_qs), QByteArray("Path=x\n"));
    // A link is no key: neither listed nor followed.
    QVERIFY(p.regSubKeys(THive::CurrentUser, "Software").empty());
    TUninstaller(p).DeleteKeyTree(THive::CurrentUser, "Software\\Link");
    QVERIFY(Exists(config.path() + u"/outside/values"_qs));
    // A folder whose name holds a backslash is no key: listed, it would name
    // the key itself or another one, and the deletion would never end.
    Write(store + u"HKEY_CURRENT_USER/Software/Tree/\\/values"_qs, "x=1\n");
    Write(store + u"HKEY_CURRENT_USER/Software/Tree/a\\b/values"_qs, "x=1\n");
    Write(store + u"HKEY_CURRENT_USER/Software/Tree/Sub/values"_qs, "x=1\n");
    QCOMPARE(p.regSubKeys(THive::CurrentUser, "Software\\Tree"), std::vector<std::string>({"Sub"}));
    TUninstaller(p).DeleteKeyTree(THive::CurrentUser, "Software\\Tree");
    QVERIFY(!Exists(store + u"HKEY_CURRENT_USER/Software/Tree/Sub"_qs));
    QVERIFY(Exists(store + u"HKEY_CURRENT_USER/Software/Tree/\\/values"_qs));
    QVERIFY(!p.regCreateKey(THive::CurrentUser, "Software\\..\\escape"));
    QVERIFY(!Exists(config.path() + u"/quorvane-registry/escape"_qs));
}

void TstPosixUninstall::protectedFolders()
{
    QTemporaryDir scratch;
    const QString home = QDir::homePath();
    const QString temp = QDir::tempPath();
    QVERIFY(QFile::link(u"/"_qs, scratch.path() + u"/root-link"_qs));
    TPosixPlatform p;
    for (const QString &kept : {u"/"_qs, u"//"_qs, u"/proc"_qs, home, home + u'/', home + u"/.."_qs, temp,
                                temp + u"/./"_qs, scratch.path() + u"/root-link"_qs, scratch.path() + u"/../.."_qs})
        QVERIFY2(p.isProtectedFolder(S(kept)), qPrintable(kept));
    QVERIFY(!p.isProtectedFolder(S(scratch.path())));
    QVERIFY(!p.isProtectedFolder(S(home + u"/inst/App"_qs)));

    // Deleting them leaves them as they are; other folders go.
    TUninstaller u(p);
    Write(home + u"/canary"_qs, "x");
    Write(temp + u"/canary"_qs, "x");
    Write(scratch.path() + u"/App/sub/file"_qs, "x");
    u.DeleteFolder(S(home + u'/'));
    u.DeleteFolder(S(temp));
    u.DeleteFolder(S(scratch.path() + u"/App/"_qs));
    QVERIFY(Exists(home + u"/canary"_qs));
    QVERIFY(Exists(temp + u"/canary"_qs));
    QVERIFY(!Exists(scratch.path() + u"/App"_qs));
    QVERIFY(Exists(scratch.path()));
}

// Deleting a folder removes the links in it and a link it is given, never
// what they lead to, however many separators end the path.
void TstPosixUninstall::linksNotFollowed()
{
    QTemporaryDir scratch;
    const QString root = scratch.path();
    Write(root + u"/outside/kept"_qs, "x");
    Write(root + u"/inst/App/file"_qs, "x");
    QVERIFY(QFile::link(root + u"/outside"_qs, root + u"/inst/App/out"_qs));
    QVERIFY(QFile::link(root + u"/outside"_qs, root + u"/inst/Link"_qs));
    TPosixPlatform p;
    TUninstaller u(p);

    u.DeleteFolder(S(root + u"/inst/App"_qs));
    QVERIFY(!Exists(root + u"/inst/App"_qs));
    u.DeleteFolder(S(root + u"/inst/Link//"_qs));
    QVERIFY(!QFileInfo(root + u"/inst/Link"_qs).isSymLink());
    QVERIFY(Exists(root + u"/outside/kept"_qs));
}

void TstPosixUninstall::files()
{
    QTemporaryDir scratch;
    const std::string dir = S(scratch.path()) + '/';
    TPosixPlatform p;
    TUninstaller u(p);

    Write(scratch.path() + u"/program"_qs, "new");
    QVERIFY(::chmod((dir + "program").c_str(), 0755) == 0);
    Write(scratch.path() + u"/copy"_qs, "old");
    QVERIFY(p.copyFile(dir + "program", dir + "copy"));
    QCOMPARE(Read(scratch.path() + u"/copy"_qs), QByteArray("new"));
    QVERIFY(QFileInfo(scratch.path() + u"/copy"_qs).isExecutable());
    QVERIFY(!p.copyFile(dir + "missing", dir + "copy"));

    Write(scratch.path() + u"/Uninstall.CFG"_qs, "");
    QCOMPARE(p.findFile(dir, "uninstall.cfg"), dir + "Uninstall.CFG");
    QCOMPARE(p.findFile(dir, "install.cfg"), "");
    QVERIFY(QDir().mkdir(scratch.path() + u"/install.cfg"_qs));
    QCOMPARE(p.findFile(dir, "install.cfg"), "");
    QVERIFY(!p.fileExists(dir + "install.cfg"));
    QVERIFY(p.fileExists(dir + "copy"));
    QVERIFY(!p.deleteFile(dir + "install.cfg"));
    QVERIFY(p.deleteFile(dir + "copy"));
    QVERIFY(!p.deleteFile(dir + "copy"));

    QCOMPARE(u.GetShortName(dir + "program"), dir + "program");
    QCOMPARE(u.GetShortName(dir + "missing"), "");
    QCOMPARE(u.GetPlatformId(), 2);
    QCOMPARE(u.GetWindowsFolder(), "");
    QCOMPARE(p.tempFolder(), S(QDir::tempPath()) + '/');
    QCOMPARE(p.defaultProgramsFolder(), qEnvironmentVariable("XDG_DATA_HOME").toStdString() + "/applications");
    p.deleteAtRestart(dir + "program");
    QVERIFY(!Exists(scratch.path() + u"/program"_qs));

    QVERIFY(p.createProcess("/bin/true"));
    QVERIFY(!p.createProcess(dir + "missing"));
    QVERIFY(!p.createProcess("/bin/true --no-splitting"));
}

void TstPosixUninstall::configurationFile()
{
    QTemporaryDir scratch;
    const std::string file = S(scratch.path()) + "/install.cfg";
    Write(scratch.path() + u"/install.cfg"_qs, "[Settings]\r\nAppName = 'App' \r\n[Icons]\r\n1=G;a\r\n2=\r\n1=G;b\r\n");
    TPosixPlatform p;
    TExInifile ini(p, file);
    QCOMPARE(ini.ReadString("settings", "APPNAME", "def"), "App");
    std::vector<std::string> icons;
    ini.ReadSectionValues("Icons", icons);
    QCOMPARE(icons, std::vector<std::string>({"1=G;a"}));
    ini.WriteString("Settings", "AppPath", "/inst/App");
    ini.Flush();
    QCOMPARE(Read(scratch.path() + u"/install.cfg"_qs),
             QByteArray("[Settings]\r\nAppName = 'App' \r\nAppPath=/inst/App\r\n[Icons]\r\n1=G;a\r\n2=\r\n1=G;b\r\n"));

    TExInifile nowhere(p, S(scratch.path()) + "/missing/install.cfg");
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, nowhere.WriteString("Settings", "AppPath", "/a"));
    QCOMPARE(nowhere.ReadString("Settings", "AppPath", "def"), "def");

    // A read-only file is not written, though its folder would allow
    // replacing it. The superuser may write it anyway.
    if (::geteuid() != 0) {
        QVERIFY(::chmod(file.c_str(), 0444) == 0);
        const QByteArray before = Read(scratch.path() + u"/install.cfg"_qs);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ini.WriteString("Settings", "AppPath", "/other"));
        QCOMPARE(Read(scratch.path() + u"/install.cfg"_qs), before);
    }
}

// Writes that fail half-way, as on a full disk, leave the files as they were.
void TstPosixUninstall::failedWriteKeepsFiles()
{
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", scratch.path().toUtf8());
    const QByteArray config = "[Settings]\nAppName=App\nInstallType=Full\n[FullIcons]\n" + QByteArray(200, '1') + "=G;a\n";
    const QByteArray values = "Path=/inst/App\nOther=" + QByteArray(200, 'x') + '\n';
    const QString valuesFile = scratch.path() + u"/quorvane-registry/HKEY_CURRENT_USER/Software/Vendor/values"_qs;
    Write(scratch.path() + u"/install.cfg"_qs, config);
    Write(valuesFile, values);
    TPosixPlatform p;

    // Files may grow to 64 bytes only; a longer write fails with EFBIG.
    rlimit limit = {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit small = {64, limit.rlim_max};
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    const bool written = p.iniWrite(S(scratch.path()) + "/install.cfg", "Settings", "AppPath", "/inst/App");
    const bool deleted = p.regDeleteValue(THive::CurrentUser, "Software\\Vendor", "Path");
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QVERIFY(!deleted);
    QCOMPARE(Read(scratch.path() + u"/install.cfg"_qs), config);
    QCOMPARE(Read(valuesFile), values);
    QCOMPARE(QDir(scratch.path()).entryList(QDir::Files), QStringList({u"install.cfg"_qs}));
    QCOMPARE(QFileInfo(valuesFile).dir().entryList(QDir::Files), QStringList({u"values"_qs}));
}

void TstPosixUninstall::noConfiguration()
{
    QTemporaryDir scratch;
    QVERIFY(QFile::copy(QStringLiteral(QS_UNINSTALL_PROGRAM), scratch.path() + u"/uninstall"_qs));
    QByteArray output;
    QCOMPARE(RunAll(scratch.path() + u"/uninstall"_qs, ProgramEnvironment(scratch.path(), {}), &output), 0);
    QCOMPARE(Read(scratch.path() + u"/boxes.log"_qs), QByteArray("OK To Delete: This file may be deleted -> OK\n"));
    // Nothing else changed; "runtime" is Qt's runtime folder.
    QCOMPARE(QDir(scratch.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList({u"boxes.log"_qs, u"runtime"_qs, u"uninstall"_qs}));
}

void TstPosixUninstall::endToEnd_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("programsValue");

    QTest::newRow("answer No, menu from the registry") << "No" << true;
    QTest::newRow("answer Yes, menu in the data folder") << "Yes" << false;
}

void TstPosixUninstall::endToEnd()
{
    QFETCH(QString, answer);
    QFETCH(bool, programsValue);

    // An installation as an installer leaves it.
    QTemporaryDir scratch;
    const QString root = scratch.path();
    const QString app = root + u"/inst/Qs App"_qs;
    const QString store = root + u"/home/.config/quorvane-registry/"_qs;
    QVERIFY(QDir().mkpath(root + u"/tmp"_qs));
    QVERIFY(QDir().mkpath(app));
    QVERIFY(QFile::copy(QStringLiteral(QS_UNINSTALL_PROGRAM), app + u"/uninstall"_qs));
    for (const QString &name : {u"app.bin"_qs, u"help.txt"_qs, u"data.db"_qs})
        Write(app + u'/' + name, "x");
    Write(app + u"/install.cfg"_qs, "[Settings]\nAppName=Qs App\nInstallType=Full\n[FullInstall]\nproggroup=Qs App\n"
                                 "[FullIcons]\n1=Qs App;app.bin;App\n2=Qs App;\"help.txt\";Help\n"
                                 "[UnRegistry]\nRootKey=HKEY_CURRENT_USER\nOpenKey=Software\\Qs Vendor\nKeyValue=Path\n");
    const QString uninstallKeys = store + u"HKEY_LOCAL_MACHINE/software/microsoft/windows/currentversion/uninstall/"_qs;
    Write(uninstallKeys + u"Qs App/values"_qs, "DisplayName=Qs App\n");
    Write(uninstallKeys + u"Qs App/Sub/values"_qs, "x=1\n");
    Write(uninstallKeys + u"Other/values"_qs, "DisplayName=Other\n");
    Write(store + u"HKEY_CURRENT_USER/SOFTWARE/qs vendor/values"_qs, "Path=" + app.toUtf8() + "\nOther=kept\n");
    const QString menu = programsValue ? root + u"/menu"_qs : root + u"/home/.local/share/applications"_qs;
    if (programsValue) {
        Write(store + u"HKEY_CURRENT_USER/Software/Microsoft/Windows/CurrentVersion/Explorer/Shell Folders/values"_qs,
              "Programs=" + menu.toUtf8() + '\n');
    }
    Write(menu + u"/Qs App/Qs App.desktop"_qs, "x");
    Write(menu + u"/other.desktop"_qs, "x");

    QByteArray output;
    QCOMPARE(RunAll(app + u"/uninstall"_qs, ProgramEnvironment(root, answer), &output), 0);

    QCOMPARE(Read(root + u"/boxes.log"_qs),
             "Uninstall: Do you wish to completely uninstall the application in " + app.toUtf8()
                 + " including any user-created data? -> " + answer.toUtf8()
                 + "\nFinished: Qs App has been Uninstalled. -> OK\n");
    // The first stage's traces, and none left in the temporary folder.
    QVERIFY(answer == u"Yes"_qs || Read(app + u"/install.cfg"_qs).contains("InstallType=Full\nAppPath=" + app.toUtf8() + '\n'));
    QCOMPARE(QDir(root + u"/tmp"_qs).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

    QCOMPARE(Read(store + u"HKEY_CURRENT_USER/SOFTWARE/qs vendor/values"_qs), QByteArray("Other=kept\n"));
    QVERIFY(!Exists(uninstallKeys + u"Qs App"_qs));
    QVERIFY(Exists(uninstallKeys + u"Other/values"_qs));
    QVERIFY(!Exists(menu + u"/Qs App"_qs));
    QVERIFY(Exists(menu + u"/other.desktop"_qs));
    if (answer == u"Yes"_qs) {
        QVERIFY(!Exists(app));
        QVERIFY(Exists(root + u"/inst"_qs));
    } else {
        QCOMPARE(QDir(app).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList({u"data.db"_qs, u"install.cfg"_qs, u"uninstall"_qs}));
    }
}

QTEST_MAIN(TstPosixUninstall)
#include "tst_posixuninstall.moc"
