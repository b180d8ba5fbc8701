#include "lines.h"
#include "scriptedplatform.h"
#include "uninstall.h"

#include <QTest>

namespace {

const std::string UninstallKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string ShellFolders = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The configuration an installer leaves, with the installation folder filled
// in by the first stage.
const QByteArray Config = "[Settings]\nAppName=App\nInstallType=Full\nAppPath=/inst/App\n"
                          "[FullInstall]\nproggroup=App Group\n"
                          "[FullIcons]\n1=Group;app.exe;App\n2=Group;help.chm;Help\n"
                          "[UnRegistry]\nRootKey=HKEY_CURRENT_USER\nOpenKey=Software\\Vendor\nKeyValue=Path\n";

// What the second stage of Config removes before its question.
const QStringList Registry = Lines({
    "regDeleteValue HKCU\\Software\\Vendor Path",
    "regDeleteKey HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App Group\\Sub B\\Deep",
    "regDeleteKey HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App Group\\Sub B",
    "regDeleteKey HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App Group\\sub a",
    "regDeleteKey HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App Group",
    "shellDelete /menu/App Group",
});
const std::string Question = "ask Uninstall: Do you wish to completely uninstall the application in /inst/App "
                             "including any user-created data?";
const QStringList Finish = Lines({
    "deleteFile /tmp/uninstall.cfg",
    "deleteAtRestart /tmp/uninstall.exe",
    "box Finished: App has been Uninstalled.",
});

// An installation in /inst/App with its registry entries and menu group; the
// second stage's copy and configuration in /tmp.
TScriptedPlatform Installed(const QByteArray &config)
{
    TScriptedPlatform p;
    p.files["/tmp/uninstall.exe"] = "program";
    p.files["/tmp/uninstall.cfg"] = config.toStdString();
    for (const char *name : {"app.exe", "help.chm", "locked.dll", "my;file.txt", "data.db", "uninstall", "install.cfg"})
        p.files[std::string("/inst/App/") + name] = "x";
    p.files["/inst/other/x"] = "x";
    p.files["/app.exe"] = "x";
    p.files["/menu/App Group/App.desktop"] = "x";
    p.files["/menu/Other/Other.desktop"] = "x";
    p.locked = {"/inst/App/locked.dll"};
    p.protectedFolders = {"/", "/home/user", "/tmp"};
    p.setRegistryValue(UninstallKey + "App Group", "DisplayName", "App");
    p.setRegistryValue(UninstallKey + "App Group\\sub a", "x", "1");
    p.setRegistryValue(UninstallKey + "App Group\\Sub B\\Deep", "x", "1");
    p.setRegistryValue(UninstallKey + "Other", "DisplayName", "Other");
    p.setRegistryValue("HKCU\\Software\\Vendor", "Path", "/inst/App");
    p.setRegistryValue("HKCU\\Software\\Vendor", "Other", "kept");
    p.setRegistryValue("HKLM\\Software\\Vendor", "Path", "/inst/App");
    p.setRegistryValue(ShellFolders, "Programs", "/menu");
    return p;
}

// The log as one text, which QCOMPARE shows in full when it differs.
QString Log(const TScriptedPlatform &p)
{
    return Lines(p.log).join(u'\n');
}

QString Log(const QStringList &lines)
{
    return lines.join(u'\n');
}

} // namespace

class TstUninstallProcedure : public QObject
{
    Q_OBJECT

private slots:
    void stageChoice_data();
    void stageChoice();
    void ownFolderUnknown_data();
    void ownFolderUnknown();
    void firstStage_data();
    void firstStage();
    void secondStage_data();
    void secondStage();
    void programGroup_data();
    void programGroup();
    void ownRemoval_data();
    void ownRemoval();
    void configNotDeleted();
    void deleteFolder_data();
    void deleteFolder();
};

void TstUninstallProcedure::stageChoice_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("log");

    const QStringList second = Lines({"deleteFile /tmp/uninstall.cfg", "deleteAtRestart /tmp/uninstall.exe",
                                  "box Finished:  has been Uninstalled."});
    QTest::newRow("neither") << QStringList() << Lines({"box OK To Delete: This file may be deleted"});
    QTest::newRow("uninstall.cfg first") << Lines({"install.cfg", "uninstall.cfg"}) << second;
    QTest::newRow("name in capitals")
        << Lines({"UNINSTALL.CFG"})
        << Lines({"deleteFile /tmp/UNINSTALL.CFG", "deleteAtRestart /tmp/uninstall.exe",
                       "box Finished:  has been Uninstalled."});
    QTest::newRow("install.cfg")
        << Lines({"install.cfg"})
        << Lines({"iniWrite /tmp/install.cfg [Settings] AppPath=/tmp", "iniFlush /tmp/install.cfg",
                       "copyFile /tmp/uninstall.exe -> /tmp/uninstall.exe",
                       "copyFile /tmp/install.cfg -> /tmp/uninstall.cfg", "createProcess /tmp/uninstall.exe"});
    QTest::newRow("other files only") << Lines({"setup.cfg", "uninstall.cfg.bak"})
                                      << Lines({"box OK To Delete: This file may be deleted"});
}

void TstUninstallProcedure::stageChoice()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, log);
    TScriptedPlatform p;
    p.files["/tmp/uninstall.exe"] = "program";
    for (const QString &name : files)
        p.files["/tmp/" + name.toStdString()] = "";
    QCOMPARE(TUninstaller(p).Run(), 0);
    QCOMPARE(Log(p), Log(log));
}

void TstUninstallProcedure::ownFolderUnknown_data()
{
    QTest::addColumn<QString>("own");
    QTest::newRow("no own path") << "";
    QTest::newRow("own path without folder") << "uninstall.exe";
}

// Without its own folder the program would take the configuration files of
// the current folder for its own.
void TstUninstallProcedure::ownFolderUnknown()
{
    QFETCH(QString, own);
    TScriptedPlatform p;
    p.own = own.toStdString();
    p.files["uninstall.cfg"] = "[Settings]\nAppName=App\nAppPath=/inst/App\n";
    p.files["install.cfg"] = "[Settings]\nAppName=App\n";
    p.files["/inst/App/app.exe"] = "x";
    QCOMPARE(TUninstaller(p).Run(), 1);
    QCOMPARE(Log(p), Log(Lines({"box Application Error: The program's own folder is unknown."})));
}

void TstUninstallProcedure::firstStage_data()
{
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("temp");
    QTest::addColumn<bool>("canStart");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("hands over") << "/inst/App/uninstall" << "/tmp/" << true << false
                                << Lines({"iniWrite /inst/App/install.cfg [Settings] AppPath=/inst/App",
                                               "iniFlush /inst/App/install.cfg",
                                               "copyFile /inst/App/uninstall -> /tmp/uninstall.exe",
                                               "copyFile /inst/App/install.cfg -> /tmp/uninstall.cfg",
                                               "createProcess /tmp/uninstall.exe"});
    QTest::newRow("root keeps separator") << "/uninstall" << "/var/tmp" << true << false
                                          << Lines({"iniWrite /install.cfg [Settings] AppPath=/",
                                                         "iniFlush /install.cfg",
                                                         "copyFile /uninstall -> /var/tmp/uninstall.exe",
                                                         "copyFile /install.cfg -> /var/tmp/uninstall.cfg",
                                                         "createProcess /var/tmp/uninstall.exe"});
    QTest::newRow("copy does not start") << "/inst/App/uninstall" << "/tmp/" << false << false
                                         << Lines({"iniWrite /inst/App/install.cfg [Settings] AppPath=/inst/App",
                                                        "iniFlush /inst/App/install.cfg",
                                                        "copyFile /inst/App/uninstall -> /tmp/uninstall.exe",
                                                        "copyFile /inst/App/install.cfg -> /tmp/uninstall.cfg",
                                                        "box Error: Failed to execute program."});
    QTest::newRow("configuration not writable")
        << "/inst/App/uninstall" << "/tmp/" << true << true
        << Lines({"box Application Error: Unable to write to /inst/App/install.cfg"});
}

void TstUninstallProcedure::firstStage()
{
    QFETCH(QString, own);
    QFETCH(QString, temp);
    QFETCH(bool, canStart);
    QFETCH(bool, locked);
    QFETCH(QStringList, log);

    TScriptedPlatform p;
    p.own = own.toStdString();
    p.temp = temp.toStdString();
    p.canStart = canStart;
    const std::string dir = p.own.substr(0, p.own.rfind('/') + 1);
    p.files[p.own] = "program";
    p.files[dir + "install.cfg"] = "[Settings]\r\nAppName=App\r\nAppPath=/old\r\n";
    if (locked)
        p.locked.insert(dir + "install.cfg");

    QCOMPARE(TUninstaller(p).Run(), locked ? 1 : 0);
    QCOMPARE(Log(p), Log(log));
    if (!locked) {
        // The copy holds the new value.
        const std::string appPath = dir.size() > 1 ? dir.substr(0, dir.size() - 1) : dir;
        QCOMPARE(p.files.at(p.temp + (temp.endsWith(u'/') ? "" : "/") + "uninstall.cfg"),
                 "[Settings]\r\nAppName=App\r\nAppPath=" + appPath + "\r\n");
    }
}

void TstUninstallProcedure::secondStage_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("log");

    const QByteArray registry = "[UnRegistry]\nRootKey=HKEY_CURRENT_USER\nOpenKey=Software\\Vendor\nKeyValue=Path\n";
    const QByteArray settings = "[Settings]\nAppName=App\nInstallType=Full\nAppPath=/inst/App\n";
    const QByteArray group = "[FullInstall]\nproggroup=App Group\n";
    const QByteArray noGroup = "[FullInstall]\nproggroup=\n";

    QTest::newRow("answer Yes") << Config << QList<bool>{true}
                                << Registry + Lines({Question + " -> Yes", "shellDelete /inst/App"}) + Finish;
    QTest::newRow("answer No") << Config << QList<bool>{false}
                               << Registry
                                      + Lines({Question + " -> No", "deleteFile /inst/App/app.exe",
                                                    "deleteFile /inst/App/help.chm"})
                                      + Finish;
    QTest::newRow("empty AppPath") << QByteArray(Config).replace("AppPath=/inst/App\n", "AppPath=\n")
                                   << QList<bool>() << Registry + Finish;
    QTest::newRow("missing and undeletable files")
        << settings + group + "[FullIcons]\n1=G;gone.exe\n2=G;locked.dll\n3=G;app.exe\n" << QList<bool>{false}
        << Registry.mid(1)
               + Lines({Question + " -> No", "box Error: /inst/App/locked.dll could not be not deleted",
                             "deleteFile /inst/App/app.exe"})
               + Finish;
    QTest::newRow("no InstallType")
        << "[Settings]\nAppName=App\nAppPath=/inst/App\n[Install]\nproggroup=App Group\n[Icons]\n1=G;help.chm\n"
               "[FullIcons]\n1=G;app.exe\n" + registry
        << QList<bool>{false}
        << Registry + Lines({Question + " -> No", "deleteFile /inst/App/help.chm"}) + Finish;
    QTest::newRow("RootKey exactly HKEY_LOCAL_MACHINE")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=\n"
           "[UnRegistry]\nRootKey=HKEY_LOCAL_MACHINE\nOpenKey=Software\\Vendor\nKeyValue=Path\n")
        << QList<bool>() << Lines({"regDeleteValue HKLM\\Software\\Vendor Path"}) + Finish;
    QTest::newRow("RootKey in lower case")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=\n"
           "[UnRegistry]\nRootKey=hkey_local_machine\nOpenKey=Software\\Vendor\nKeyValue=Path\n")
        << QList<bool>() << Lines({"regDeleteValue HKCU\\Software\\Vendor Path"}) + Finish;
    QTest::newRow("OpenKey missing")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=\n"
           "[UnRegistry]\nRootKey=HKEY_LOCAL_MACHINE\nOpenKey=Software\\Nothing\nKeyValue=Path\n")
        << QList<bool>() << Finish;
    QTest::newRow("KeyValue empty")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=\n"
           "[UnRegistry]\nRootKey=HKEY_CURRENT_USER\nOpenKey=Software\\Vendor\nKeyValue=\n")
        << QList<bool>() << Finish;
    QTest::newRow("no proggroup: AppName")
        << QByteArray("[Settings]\nAppName=App Group\n") << QList<bool>()
        << Registry.mid(1) + Finish.mid(0, 2) + Lines({"box Finished: App Group has been Uninstalled."});
    QTest::newRow("neither proggroup nor AppName")
        << QByteArray("[Settings]\nInstallType=Full\n") << QList<bool>()
        << Finish.mid(0, 2) + Lines({"box Finished:  has been Uninstalled."});
    QTest::newRow("quoted field holding ;")
        << settings + noGroup + "[FullIcons]\n1=G;\"my;file.txt\";x\n" << QList<bool>{false}
        << Lines({Question + " -> No", "deleteFile /inst/App/my;file.txt"}) + Finish;
    QTest::newRow("one field, empty value, key twice")
        << settings + noGroup + "[FullIcons]\n1=app.exe\n2=\nk=G;help.chm\nK=G;app.exe\n" << QList<bool>{false}
        << Lines({Question + " -> No", "deleteFile /inst/App/help.chm"}) + Finish;
    QTest::newRow("AppPath a root: no question")
        << QByteArray(Config).replace("AppPath=/inst/App\n", "AppPath=/\n") << QList<bool>()
        << Registry + Lines({"deleteFile /app.exe"}) + Finish;
    QTest::newRow("AppPath the home folder: no question")
        << QByteArray(Config).replace("AppPath=/inst/App\n", "AppPath=/home/user\n") << QList<bool>()
        << Registry + Finish;
    QTest::newRow("icon names leading out skipped")
        << settings + noGroup + "[FullIcons]\n1=G;/inst/App/app.exe\n2=G;../other/x\n3=G;sub/../../other/x\n4=G;.\n"
                      "5=G;help.chm\n"
        << QList<bool>{false} << Lines({Question + " -> No", "deleteFile /inst/App/help.chm"}) + Finish;
    QTest::newRow("group name leading out skipped")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=..\n") << QList<bool>() << Finish;
    QTest::newRow("group name a separator skipped")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=/\n") << QList<bool>() << Finish;
    QTest::newRow("group name a Windows separator skipped")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=\\\n") << QList<bool>() << Finish;
    // Windows drops the dots and blanks that end a name, so these name the
    // programs folder itself.
    QTest::newRow("group name of dots skipped")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=...\n") << QList<bool>() << Finish;
    QTest::newRow("group name of blanks and dots skipped")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=\" . \"\n") << QList<bool>() << Finish;
    QTest::newRow("group name with a part of dots skipped")
        << QByteArray("[Settings]\nAppName=App\n[Install]\nproggroup=App Group\\...\n") << QList<bool>()
        << Finish;
    // An installation folder the first stage cannot have written: relative
    // ones would be taken from the current folder, "." and ".." parts name
    // another folder. Nothing is asked and nothing deleted in it.
    for (const char *appPath : {".", "inst/App", "/inst/App/..", "/inst/./App", "/inst/App/...", "/inst/App/ /"}) {
        QTest::addRow("AppPath %s: nothing in it deleted", appPath)
            << QByteArray(Config).replace("AppPath=/inst/App\n", "AppPath=\"" + QByteArray(appPath) + "\"\n")
            << QList<bool>() << Registry + Finish;
    }
}

void TstUninstallProcedure::secondStage()
{
    QFETCH(QByteArray, config);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, log);

    TScriptedPlatform p = Installed(config);
    p.answers.assign(answers.begin(), answers.end());
    QCOMPARE(TUninstaller(p).Run(), 0);
    QCOMPARE(Log(p), Log(log));
    QVERIFY(p.answers.empty());
    // Neither the other uninstall entry nor the vendor's other value went.
    QVERIFY(p.registry.count(UninstallKey + "Other"));
    QVERIFY(p.registry.at("HKCU\\Software\\Vendor").count("Other"));
}

void TstUninstallProcedure::programGroup_data()
{
    QTest::addColumn<QString>("programs");   // null: no value
    QTest::addColumn<QString>("fallback");   // the platform's default folder
    QTest::addColumn<QStringList>("log");

    QTest::newRow("value") << "/menu" << "/apps" << Lines({"shellDelete /menu/App Group"});
    QTest::newRow("value ending in separator") << "/menu/" << "" << Lines({"shellDelete /menu/App Group"});
    QTest::newRow("no value, default folder") << QString() << "/apps" << Lines({"shellDelete /apps/App Group"});
    QTest::newRow("empty value, default folder") << "" << "/apps" << Lines({"shellDelete /apps/App Group"});
    QTest::newRow("no value, no default folder") << QString() << "" << QStringList();
    QTest::newRow("empty value, no default folder") << "" << "" << QStringList();
    // Relative to whatever the current folder is.
    QTest::newRow("relative value") << "menu" << "/apps" << QStringList();
    QTest::newRow("value of one dot") << "." << "/apps" << QStringList();
}

void TstUninstallProcedure::programGroup()
{
    QFETCH(QString, programs);
    QFETCH(QString, fallback);
    QFETCH(QStringList, log);

    TScriptedPlatform p;
    p.own = "/tmp/uninstall.exe";
    p.files["/tmp/uninstall.cfg"] = "[Settings]\nAppName=App Group\n";
    p.programsDefault = fallback.toStdString();
    if (!programs.isNull())
        p.setRegistryValue(ShellFolders, "Programs", programs.toStdString());
    TUninstaller(p).Run();
    if (programs.isNull())
        log.prepend(QStringLiteral("regCreateKey HKCU\\Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer"));
    QCOMPARE(Log(p), Log(log + Finish.mid(0, 2) + Lines({"box Finished: App Group has been Uninstalled."})));
}

void TstUninstallProcedure::ownRemoval_data()
{
    QTest::addColumn<int>("platform");
    QTest::addColumn<QByteArray>("wininit");   // null: no file
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QByteArray>("written");   // null: not written
    QTest::addColumn<QStringList>("log");

    const QStringList finished = Lines({"box Finished: App has been Uninstalled."});
    QTest::newRow("NT family") << 2 << QByteArray() << "UNINST~1.EXE" << QByteArray()
                               << Lines({"deleteAtRestart /tmp/uninstall.exe"}) + finished;
    QTest::newRow("Windows 98, no WININIT.INI")
        << 1 << QByteArray() << "/TMP/UNINST~1.EXE" << QByteArray("[rename]\r\nNUL=/TMP/UNINST~1.EXE\r\n")
        << Lines({"writeFile /windows/WININIT.INI"}) + finished;
    QTest::newRow("Windows 98, WININIT.INI appended")
        << 1 << QByteArray("[rename]\nNUL=C:\\OLD.EXE\n[other]\nx=1") << "/TMP/UNINST~1.EXE"
        << QByteArray("[rename]\r\nNUL=C:\\OLD.EXE\r\n[other]\r\nx=1\r\nNUL=/TMP/UNINST~1.EXE\r\n")
        << Lines({"writeFile /windows/WININIT.INI"}) + finished;
    QTest::newRow("Windows 98, no short name") << 1 << QByteArray() << "" << QByteArray("[rename]\r\nNUL=\r\n")
                                               << Lines({"writeFile /windows/WININIT.INI"}) + finished;
    QTest::newRow("Windows 98, WININIT.INI unreadable")
        << 1 << QByteArray("locked") << "X" << QByteArray("locked")
        << Lines({"box Application Error: Cannot open file \"/windows/WININIT.INI\""});
}

void TstUninstallProcedure::ownRemoval()
{
    QFETCH(int, platform);
    QFETCH(QByteArray, wininit);
    QFETCH(QString, shortName);
    QFETCH(QByteArray, written);
    QFETCH(QStringList, log);

    const std::string file = "/windows/WININIT.INI";
    TScriptedPlatform p;
    p.platform = platform;
    p.files["/tmp/uninstall.cfg"] = "[Settings]\nAppName=App\n[Install]\nproggroup=\n";
    if (!shortName.isEmpty())
        p.shortNames[p.own] = shortName.toStdString();
    if (!wininit.isNull())
        p.files[file] = wininit.toStdString();
    if (wininit == "locked")
        p.locked.insert(file);
    QCOMPARE(TUninstaller(p).Run(), wininit == "locked" ? 1 : 0);
    QCOMPARE(Log(p), Log(Lines({"deleteFile /tmp/uninstall.cfg"}) + log));
    QCOMPARE(QByteArray::fromStdString(p.contents(file)), written);
}

void TstUninstallProcedure::configNotDeleted()
{
    TScriptedPlatform p;
    p.files["/tmp/uninstall.cfg"] = "[Settings]\nAppName=App\n[Install]\nproggroup=\n";
    p.locked.insert("/tmp/uninstall.cfg");
    TUninstaller(p).Run();
    QCOMPARE(Log(p), Log(Lines({"box Error: /tmp/uninstall.cfg could not be not deleted"}) + Finish.mid(1)));
}

void TstUninstallProcedure::deleteFolder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("folder") << "/inst/App" << Lines({"shellDelete /inst/App"});
    QTest::newRow("final separator removed") << "/inst/App/" << Lines({"shellDelete /inst/App"});
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("root") << "/" << QStringList();
    QTest::newRow("home") << "/home/user/" << QStringList();
    QTest::newRow("temporary folder") << "/tmp" << QStringList();
}

void TstUninstallProcedure::deleteFolder()
{
    QFETCH(QString, path);
    QFETCH(QStringList, log);
    TScriptedPlatform p = Installed({});
    TUninstaller(p).DeleteFolder(path.toStdString());
    QCOMPARE(Log(p), Log(log));
}

QTEST_APPLESS_MAIN(TstUninstallProcedure)
#include "tst_uninstallprocedure.moc"
