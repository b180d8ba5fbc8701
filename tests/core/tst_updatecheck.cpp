#include "appdir.h"
#include "config.h"
#include "httptestserver.h"
#include "inifile.h"
#include "scratchdir.h"
#include "scripteddialogs.h"
#include "translatemsg.h"
#include "updatecheck.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <zip.h>

namespace {

const QString Title = QStringLiteral("Quorvane Submit|");
const QByteArray VersionPath = "/download/kpver.ini";
const QByteArray CataloguePath = "/download/sites.zip";

QByteArray versionFile(const QByteArray &programVer, const QByteArray &siteVer)
{
    return "[Versions]\r\nKelsprintVer=" + programVer + "\r\nSiteVer=" + siteVer + "\r\n";
}

QString received(qsizetype bytes)
{
    return QStringLiteral("Received %1 bytes").arg(bytes);
}

// The window's side of a check: an update server on 127.0.0.1 named in the
// settings file, a record of what the check shows, and a catalogue import
// that notes what it found.
struct Fixture
{
    TScratchDir dir;
    TScriptedDialogs dialogs;
    THttpTestServer server;
    TConfig config;
    QStringList statuses;
    QStringList events;
    bool importResult = true;
    QList<QByteArray> importedZips;
    TUpdateCheck check{{
        [this](const QString &t) {
            if (statuses.isEmpty() || statuses.constLast() != t)
                statuses << t;
        },
        [this](bool busy) { events << (busy ? u"busy"_qs : u"normal"_qs); },
        [this](bool enabled) { events << (enabled ? u"menu on"_qs : u"menu off"_qs); },
        [this] {
            importedZips << dir.read(QStringLiteral("sites.zip"));
            return importResult;
        },
    }};

    explicit Fixture(const QByteArray &installedSiteVer = "1")
    {
        dir.write(QStringLiteral("kelsprint.ini"), "[Options]\r\nSiteVer=" + installedSiteVer
                                                       + "\r\nUpdateUrl=" + server.url().toLatin1() + "\r\n");
        config.Load();
        AppConfig = &config;
        check.HttpCli1().setConnectTimeout(5000);
        check.HttpCli1().setIdleTimeout(5000);
    }
    ~Fixture() { AppConfig = nullptr; }
    Fixture(const Fixture &) = delete;
    Fixture &operator=(const Fixture &) = delete;

    QStringList messages() const { return dialogs.texts(); }
};

// Runs scripts/publish-catalogue; its exit code, or -1 when it did not run.
int publish(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QFINDTESTDATA("../../scripts/publish-catalogue"), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    return p.exitCode();
}

// The files of a zip archive by name.
QMap<QString, QByteArray> unzip(const QString &path)
{
    QMap<QString, QByteArray> files;
    int error = 0;
    zip_t *z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!z)
        return files;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_file_t *f = zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) == 0
                            ? zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0)
                            : nullptr;
        if (!f)
            continue;
        QByteArray data(static_cast<qsizetype>(st.size), '\0');
        if (zip_fread(f, data.data(), st.size) == static_cast<zip_int64_t>(st.size))
            files.insert(QString::fromUtf8(st.name), data);
        zip_fclose(f);
    }
    zip_discard(z);
    return files;
}

} // namespace

class TstUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void upToDate_data();
    void upToDate();
    void newerProgramAndCatalogue_data();
    void newerProgramAndCatalogue();
    void versionFileFails_data();
    void versionFileFails();
    void versionNumbers_data();
    void versionNumbers();
    void textsAreTranslated();
    void partialCatalogueGoesToTheImport();
    void fileThatCannotBeCreated();
    void timeoutWhileTheWindowStaysUsable();
    void serverUrl_data();
    void serverUrl();
    void publishedCatalogueIsImported();
    void publishRefusesBadInput_data();
    void publishRefusesBadInput();
};

void TstUpdateCheck::cleanup()
{
    QLocale::setDefault(QLocale::c());
    setMessageLookup({});
}

void TstUpdateCheck::upToDate_data()
{
    QTest::addColumn<QByteArray>("installed");
    QTest::addColumn<QByteArray>("offered");
    QTest::newRow("same catalogue") << QByteArray("3") << QByteArray("3");
    QTest::newRow("older catalogue on the server") << QByteArray("3") << QByteArray("2.5");
}

void TstUpdateCheck::upToDate()
{
    QFETCH(QByteArray, installed);
    QFETCH(QByteArray, offered);
    Fixture f(installed);
    const QByteArray versions = versionFile("1.0", offered);
    f.server.setFile(VersionPath, versions);
    f.check.Check();

    QCOMPARE(f.messages(), QStringList{Title + u"Your site data is up to date."_qs});
    QCOMPARE(f.statuses, (QStringList{u"Loading"_qs, received(versions.size())}));
    QCOMPARE(f.events, (QStringList{u"menu off"_qs, u"busy"_qs, u"normal"_qs, u"menu on"_qs}));
    QCOMPARE(f.server.paths, QList<QByteArray>{VersionPath});
    QVERIFY(f.importedZips.isEmpty());
    QCOMPARE(f.dir.read(QStringLiteral("kpver.ini")), versions);
    QCOMPARE(f.config.SiteVer, installed.toDouble());
}

void TstUpdateCheck::newerProgramAndCatalogue_data()
{
    QTest::addColumn<bool>("committed");
    QTest::newRow("import committed") << true;
    QTest::newRow("import failed") << false;
}

void TstUpdateCheck::newerProgramAndCatalogue()
{
    QFETCH(bool, committed);
    Fixture f;
    const QByteArray versions = versionFile("1.1", "2.5");
    const QByteArray zip("PK\x03\x04 catalogue", 14);
    f.server.setFile(VersionPath, versions);
    f.server.setFile(CataloguePath, zip);
    f.importResult = committed;
    f.check.Check();

    QStringList expected{Title + u"Kelsprint version 1.1 is now available."_qs};
    if (committed)
        expected << Title + u"Site data updated"_qs;
    QCOMPARE(f.messages(), expected);
    QCOMPARE(f.server.paths, (QList<QByteArray>{VersionPath, CataloguePath}));
    QCOMPARE(f.importedZips, QList<QByteArray>{zip});
    QCOMPARE(f.statuses,
             (QStringList{u"Loading"_qs, received(versions.size()), u"Loading"_qs, received(zip.size())}));
    QCOMPARE(f.events, (QStringList{u"menu off"_qs, u"busy"_qs, u"normal"_qs, u"busy"_qs, u"normal"_qs,
                                    u"menu on"_qs}));
    QCOMPARE(f.config.SiteVer, committed ? 2.5 : 1.0);

    // The check itself writes no settings; the next save does, and keeps the
    // server address as it was.
    QVERIFY(f.dir.read(QStringLiteral("kelsprint.ini")).contains("SiteVer=1\r\n"));
    f.config.Save();
    const QByteArray file = f.dir.read(QStringLiteral("kelsprint.ini"));
    QVERIFY(file.contains(committed ? "SiteVer=2.5\r\n" : "SiteVer=1\r\n"));
    QCOMPARE(file.count("UpdateUrl="), 1);
    QVERIFY(file.contains("UpdateUrl=" + f.server.url().toLatin1() + "\r\n"));
}

void TstUpdateCheck::versionFileFails_data()
{
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("status");
    QTest::newRow("404 with the server's reason") << false << "Failed : 404 File Gone Fishing";
    QTest::newRow("connection refused") << true << "Failed : 404 Cannot connect to 127.0.0.1:";
}

void TstUpdateCheck::versionFileFails()
{
    QFETCH(bool, refused);
    QFETCH(QString, status);
    Fixture f;
    f.server.setReply(VersionPath, {"HTTP/1.0 404 File Gone Fishing\r\n\r\n<html>gone</html>", true});
    if (refused)
        f.config.UpdateUrl = QStringLiteral("http://127.0.0.1:%1").arg(THttpTestServer::closedPort());
    // The last check's copy is emptied, not read again.
    f.dir.write(QStringLiteral("kpver.ini"), versionFile("9", "9"));
    f.check.Check();

    QCOMPARE(f.statuses.size(), 2);
    QCOMPARE(f.statuses.at(0), u"Loading"_qs);
    QVERIFY2(f.statuses.at(1).startsWith(status), qPrintable(f.statuses.at(1)));
    QCOMPARE(f.messages(), QStringList{Title + u"Your site data is up to date."_qs});
    QCOMPARE(f.dir.read(QStringLiteral("kpver.ini")), QByteArray());
    QVERIFY(QFile::exists(f.dir.file(QStringLiteral("kpver.ini"))));
    QVERIFY(f.importedZips.isEmpty());
    QCOMPARE(f.events.constLast(), u"menu on"_qs);
}

void TstUpdateCheck::versionNumbers_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("announced");
    QTest::addColumn<bool>("fetchesCatalogue");
    QTest::newRow("point, English") << "en_US" << QByteArray("1.5") << "1.5" << true;
    QTest::newRow("point, German") << "de_DE" << QByteArray("1.5") << "" << false;
    QTest::newRow("comma, German") << "de_DE" << QByteArray("1,5") << "1,5" << true;
    QTest::newRow("whole number in shortest form") << "en_US" << QByteArray("2.0") << "2" << true;
    QTest::newRow("equal counts as up to date") << "en_US" << QByteArray("1.0") << "" << false;
    QTest::newRow("lower") << "en_US" << QByteArray("0.9") << "" << false;
    QTest::newRow("empty") << "en_US" << QByteArray() << "" << false;
    QTest::newRow("words") << "en_US" << QByteArray("two") << "" << false;
    QTest::newRow("infinity") << "en_US" << QByteArray("inf") << "" << false;
    QTest::newRow("not a number") << "en_US" << QByteArray("nan") << "" << false;
}

void TstUpdateCheck::versionNumbers()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, version);
    QFETCH(QString, announced);
    QFETCH(bool, fetchesCatalogue);
    QLocale::setDefault(QLocale(locale));
    Fixture f;
    f.server.setFile(VersionPath, versionFile(version, version));
    f.server.setFile(CataloguePath, "zip");
    f.check.Check();

    QStringList expected;
    if (!announced.isEmpty())
        expected << Title + u"Kelsprint version "_qs + announced + u" is now available."_qs;
    expected << Title + (fetchesCatalogue ? u"Site data updated"_qs : u"Your site data is up to date."_qs);
    QCOMPARE(f.messages(), expected);
    QCOMPARE(f.importedZips.size(), fetchesCatalogue ? 1 : 0);
}

void TstUpdateCheck::textsAreTranslated()
{
    Fixture f;
    f.config.Language = QStringLiteral("Deutsch");
    setMessageLookup([](const QString &t) { return u'<' + t + u'>'; });
    f.server.setFile(VersionPath, versionFile("2", "2"));
    f.server.setFile(CataloguePath, "zip");
    f.check.Check();
    QCOMPARE(f.messages(), (QStringList{Title + u"<Kelsprint version> 2 <is now available.>"_qs,
                                        Title + u"<Site data updated>"_qs}));
    QCOMPARE(f.statuses.mid(2), (QStringList{u"<Loading>"_qs, u"<Received> 3 <bytes>"_qs}));

    f.server.setReply(VersionPath, {"HTTP/1.0 404 Not Found\r\n\r\n", true});
    f.dialogs.calls.clear();
    f.statuses.clear();
    f.check.Check();
    QCOMPARE(f.messages(), QStringList{Title + u"<Your site data is up to date.>"_qs});
    QCOMPARE(f.statuses, (QStringList{u"<Loading>"_qs, u"<Failed> : 404 Not Found"_qs}));
}

void TstUpdateCheck::partialCatalogueGoesToTheImport()
{
    // The import finds the broken archive and reports it itself.
    Fixture f;
    f.server.setFile(VersionPath, versionFile("1", "2"));
    f.server.setReply(CataloguePath, {"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nPK\x03\x04", true});
    f.importResult = false;
    f.check.Check();

    QCOMPARE(f.importedZips, QList<QByteArray>{"PK\x03\x04"});
    QVERIFY2(f.statuses.constLast().startsWith(u"Failed : 404 "_qs), qPrintable(f.statuses.constLast()));
    QVERIFY(f.statuses.constLast().endsWith(u"after 4 of 100 bytes"_qs));
    QVERIFY(f.messages().isEmpty());
    QCOMPARE(f.config.SiteVer, 1.0);
}

void TstUpdateCheck::fileThatCannotBeCreated()
{
    Fixture f;
    f.server.setFile(VersionPath, versionFile("2", "2"));
    QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("kpver.ini")));
    QVERIFY_THROWS_EXCEPTION(EFileError, f.check.Check());
    QVERIFY(f.server.requests.isEmpty());
    QVERIFY(f.messages().isEmpty());
    QCOMPARE(f.events, (QStringList{u"menu off"_qs, u"menu on"_qs}));
    QVERIFY(!f.check.running());
}

void TstUpdateCheck::timeoutWhileTheWindowStaysUsable()
{
    Fixture f;
    f.server.setReply(VersionPath, {"", false});
    f.check.HttpCli1().setIdleTimeout(300);
    bool ranDuringCheck = false;
    bool secondDownloadRefused = false;
    QTimer::singleShot(20, [&] {
        ranDuringCheck = f.check.running();
        f.check.Check(); // the menu item is disabled; a second start does nothing
        try {
            f.check.DownloadFile(f.server.url() + u"/other"_qs, f.dir.file(QStringLiteral("other")));
        } catch (const TException &) {
            secondDownloadRefused = true;
        }
    });
    f.check.Check();

    QVERIFY(ranDuringCheck);
    QVERIFY(secondDownloadRefused);
    QVERIFY(!QFile::exists(f.dir.file(QStringLiteral("other"))));
    QCOMPARE(f.server.paths, QList<QByteArray>{VersionPath});
    QCOMPARE(f.statuses.constLast(),
             u"Failed : 404 The server 127.0.0.1:%1 sent nothing for 0.3 s"_qs.arg(f.server.url().section(u':', 2)));
    QCOMPARE(f.messages(), QStringList{Title + u"Your site data is up to date."_qs});
    QCOMPARE(f.events, (QStringList{u"menu off"_qs, u"busy"_qs, u"normal"_qs, u"menu on"_qs}));
}

void TstUpdateCheck::serverUrl_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("server");
    QTest::newRow("maker's server") << "" << "http://www.quorvane.example";
    QTest::newRow("trailing slash") << "http://127.0.0.1:8000/" << "http://127.0.0.1:8000";
    QTest::newRow("mirror folder") << "http://mirror.example/quorvane//" << "http://mirror.example/quorvane";
}

void TstUpdateCheck::serverUrl()
{
    QFETCH(QString, setting);
    QFETCH(QString, server);
    Fixture f;
    f.config.UpdateUrl = setting;
    QCOMPARE(TUpdateCheck::serverUrl(), server);
}

void TstUpdateCheck::publishedCatalogueIsImported()
{
    QTemporaryDir maker;
    const QByteArray csv = "Site A,http://a.example,http://a.example/submit,,True,False,False,US,4,False\r\n"
                           "\"Site, B\",http://b.example\r\n";
    QFile in(maker.filePath(QStringLiteral("catalogue-2026.csv")));
    QVERIFY(in.open(QIODevice::WriteOnly) && in.write(csv) == csv.size());
    in.close();
    QCOMPARE(publish({in.fileName(), u"1.1"_qs, u"7"_qs, maker.filePath(u"site"_qs)}), 0);

    const QString published = maker.filePath(QStringLiteral("site/download/"));
    const QMap<QString, QByteArray> zipped = unzip(published + u"sites.zip"_qs);
    QCOMPARE(zipped.keys(), QStringList{u"sites.csv"_qs});
    QCOMPARE(zipped.value(u"sites.csv"_qs), csv);

    Fixture f;
    QFile kpver(published + u"kpver.ini"_qs);
    QFile zip(published + u"sites.zip"_qs);
    QVERIFY(kpver.open(QIODevice::ReadOnly) && zip.open(QIODevice::ReadOnly));
    const QByteArray zipBytes = zip.readAll();
    f.server.setFile(VersionPath, kpver.readAll());
    f.server.setFile(CataloguePath, zipBytes);
    f.check.Check();
    QCOMPARE(f.messages(), (QStringList{Title + u"Kelsprint version 1.1 is now available."_qs,
                                        Title + u"Site data updated"_qs}));
    QCOMPARE(f.importedZips, QList<QByteArray>{zipBytes});
    QCOMPARE(f.config.SiteVer, 7.0);
}

void TstUpdateCheck::publishRefusesBadInput_data()
{
    QTest::addColumn<bool>("csvExists");
    QTest::addColumn<QString>("programVer");
    QTest::addColumn<QString>("siteVer");
    QTest::newRow("missing catalogue") << false << "1" << "2";
    QTest::newRow("comma in a version") << true << "1,1" << "2";
    QTest::newRow("words for a version") << true << "1" << "two";
    QTest::newRow("empty version") << true << "1" << "";
}

void TstUpdateCheck::publishRefusesBadInput()
{
    QFETCH(bool, csvExists);
    QFETCH(QString, programVer);
    QFETCH(QString, siteVer);
    QTemporaryDir maker;
    const QString csv = maker.filePath(QStringLiteral("sites.csv"));
    if (csvExists) {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("Site A,http://a.example\r\n") > 0);
    }
    QCOMPARE(publish({csv, programVer, siteVer, maker.filePath(u"site"_qs)}), 1);
    QVERIFY(!QFile::exists(maker.filePath(u"site/download/kpver.ini"_qs)));
    QVERIFY(!QFile::exists(maker.filePath(u"site/download/sites.zip"_qs)));
}

QTEST_GUILESS_MAIN(TstUpdateCheck)
#include "tst_updatecheck.moc"
