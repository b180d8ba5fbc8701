#include "appdir.h"
#include "datafixture.h"
#include "dm.h"
#include "errors.h"
#include "showerror.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <zip.h>

namespace {

struct TEntry
{
    QString name;
    QByteArray data;
    qint64 zeros = 0; // this many zero bytes instead of data
};

// Produces `zeros` zero bytes for libzip, so a huge entry needs no memory.
zip_int64_t zeroSource(void *state, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto *left = static_cast<qint64 *>(state);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_READ: {
        const qint64 n = std::min<qint64>(*left, qint64(len));
        std::memset(data, 0, size_t(n));
        *left -= n;
        return n;
    }
    case ZIP_SOURCE_STAT: {
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        return -1;
    }
}

void makeZip(const QString &path, const QList<TEntry> &entries)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(zip);
    QList<qint64> zeros(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const TEntry &e = entries[i];
        zip_source_t *source = nullptr;
        if (e.zeros) {
            zeros[i] = e.zeros;
            source = zip_source_function(zip, zeroSource, &zeros[i]);
        } else {
            source = zip_source_buffer(zip, e.data.constData(), zip_uint64_t(e.data.size()), 0);
        }
        QVERIFY(source);
        QVERIFY(zip_file_add(zip, e.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) >= 0);
    }
    QCOMPARE(zip_close(zip), 0);
}

QString sitesFile(const TDataFixture &f)
{
    return f.dir.file(QStringLiteral("Sites.DAT"));
}

QStringList siteRows(const TDataFixture &f)
{
    return sqlColumn(sitesFile(f), QStringLiteral(
        "SELECT SiteName || '|' || HomeUrl || '|' || SubmitUrl || '|' || Notes || '|' || QuorvaneFriendly || "
        "Pad || AntiFreeSpeech || '|' || CountryCode || '|' || coalesce(Rating, '-') || '|' || Dead || '|' || "
        "coalesce(SearchUrl, '-') || '|' || coalesce(UpdateUrl, '-') || '|' || coalesce(Username, '-') || '|' || "
        "coalesce(Password, '-') || '|' || coalesce(UserNotes, '-') FROM Sites ORDER BY SiteName"));
}

// Every file of a folder with its content.
QMap<QString, QByteArray> folderFiles(const QString &path)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo &fi : QDir(path).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(fi.filePath());
        if (file.open(QIODevice::ReadOnly))
            files.insert(fi.fileName(), file.readAll());
    }
    return files;
}

} // namespace

class TstSiteImport : public QObject
{
    Q_OBJECT

private slots:
    void catalogueLines_data();
    void catalogueLines();
    void updateKeepsUserFieldsAndRevivesDeadSite();
    void badRatingRollsEverythingBack();
    void noArchive();
    void archiveWithoutCatalogue();
    void hostileArchiveWritesOnlyTheCatalogue();
    void unreadableArchiveReported_data();
    void unreadableArchiveReported();
};

void TstSiteImport::catalogueLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("row");
    QTest::newRow("all columns") << QByteArray("Site,http://h,http://s,Notes,True,True,True,DE,4,")
                                 << "Site|http://h|http://s|Notes|111|DE|4|0|-|-|-|-|-";
    QTest::newRow("quoted name with comma") << QByteArray("\"Soft, Inc\", h")
                                            << "Soft, Inc|h|||000||-|0|-|-|-|-|-";
    QTest::newRow("blank after the quotes") << QByteArray("\"Soft, Inc\" ,h")
                                            << "\"Soft, Inc\"|h|||000||-|0|-|-|-|-|-";
    QTest::newRow("doubled quotes") << QByteArray("\"Say \"\"hi\"\"\",h")
                                    << "Say \"hi\"|h|||000||-|0|-|-|-|-|-";
    QTest::newRow("letter case of True") << QByteArray("S,,,,true,TRUE,1,,,True")
                                         << "S||||000||-|1|-|-|-|-|-";
    QTest::newRow("blank line") << QByteArray("") << "||||000||-|0|-|-|-|-|-";
    QTest::newRow("columns past the tenth") << QByteArray("S,,,,,,,,-2,,extra,more")
                                            << "S||||000||-2|0|-|-|-|-|-";
    QTest::newRow("Windows-1252") << QByteArray("Caf\xe9,h") << QString::fromUtf8("Café|h|||000||-|0|-|-|-|-|-");
}

void TstSiteImport::catalogueLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, row);
    TDataFixture f;
    TDM1 dm;
    makeZip(AppDir() + QStringLiteral("sites.zip"), {{QStringLiteral("sites.csv"), line + "\r\n"}});
    QVERIFY(dm.UpdateSites());
    QCOMPARE(siteRows(f), QStringList{row});
    QCOMPARE(f.dialogs.calls.size(), 0);
}

void TstSiteImport::updateKeepsUserFieldsAndRevivesDeadSite()
{
    TDataFixture f;
    {
        TDM1 dm;
    }
    sqlExec(sitesFile(f), QStringLiteral(
        "INSERT INTO Sites VALUES ('Kept', 'old', 'search', 'oldsub', 'upd', 'n', 'mine', 'me', 'pw', 1, 1, 1, "
        "'US', 5, 0), ('Dead', 'old', NULL, NULL, NULL, NULL, NULL, NULL, NULL, 0, 0, 0, NULL, NULL, 1)"));
    TDM1 dm;
    QCOMPARE(dm.SiteNames(), QStringList{u"Kept"_qs});
    f.dir.write(QStringLiteral("sites.csv"), "ignored,,,,,,,,,\n");
    makeZip(AppDir() + QStringLiteral("sites.zip"),
            {{QStringLiteral("sites.csv"), "Kept,new,newsub,note,,,,GB,,\nDead,back,,,,,,,3,false\nNew,h\n"}});
    QVERIFY(dm.UpdateSites());
    QCOMPARE(siteRows(f), (QStringList{u"Dead|back|||000||3|0|-|-|-|-|-"_qs,
                                       u"Kept|new|newsub|note|000|GB|-|0|search|upd|me|pw|mine"_qs,
                                       u"New|h|||000||-|0|-|-|-|-|-"_qs}));
    QCOMPARE(dm.SiteNames(), (QStringList{u"Dead"_qs, u"Kept"_qs, u"New"_qs}));
    QVERIFY(!QFile::exists(AppDir() + QStringLiteral("sites.zip")));
    QVERIFY(!QFile::exists(AppDir() + QStringLiteral("sites.csv")));
}

void TstSiteImport::badRatingRollsEverythingBack()
{
    TDataFixture f;
    TDM1 dm;
    dm.UpdateSites();
    sqlExec(sitesFile(f), QStringLiteral("INSERT INTO Sites (SiteName, HomeUrl, Rating) VALUES ('A', 'a', 1)"));
    const QStringList before = siteRows(f);
    makeZip(AppDir() + QStringLiteral("sites.zip"),
            {{QStringLiteral("sites.csv"), "A,changed,,,,,,,2,\nB,,,,,,,,,\nC\nD,,,,,,,,4\nE,,,,,,,,many words,\n"}});
    QVERIFY(!dm.UpdateSites());
    QCOMPARE(f.dialogs.texts(),
             QStringList{ApplicationTitle() + QStringLiteral("|'many words' is not a valid integer value")});
    QCOMPARE(f.dialogs.calls[0].icon, TDialogs::Icon::None);
    QCOMPARE(siteRows(f), before);
    // Nothing is left open: the next import works.
    makeZip(AppDir() + QStringLiteral("sites.zip"), {{QStringLiteral("sites.csv"), "B\n"}});
    QVERIFY(dm.UpdateSites());
}

void TstSiteImport::noArchive()
{
    TDataFixture f;
    TDM1 dm;
    f.dir.write(QStringLiteral("sites.csv"), "A\n");
    QVERIFY(!dm.UpdateSites());
    QCOMPARE(f.dialogs.calls.size(), 0);
    QVERIFY(QFile::exists(AppDir() + QStringLiteral("sites.csv")));
    QVERIFY(siteRows(f).isEmpty());
}

void TstSiteImport::archiveWithoutCatalogue()
{
    TDataFixture f;
    TDM1 dm;
    makeZip(AppDir() + QStringLiteral("sites.zip"), {{QStringLiteral("readme.txt"), "hello"}});
    QVERIFY_THROWS_EXCEPTION(EFileError, dm.UpdateSites());
    QVERIFY(!QFile::exists(AppDir() + QStringLiteral("sites.zip")));
    QVERIFY(!QFile::exists(AppDir() + QStringLiteral("readme.txt")));
    QCOMPARE(f.dialogs.calls.size(), 0);
    QVERIFY(siteRows(f).isEmpty());
}

void TstSiteImport::hostileArchiveWritesOnlyTheCatalogue()
{
    TDataFixture f;
    TDM1 dm;
    f.dir.write(QStringLiteral("kelsprint.ini"), "[Config]\nLanguage=English\n");
    f.dir.write(QStringLiteral("kelsprint"), "program");
    f.dir.write(QStringLiteral("Deutsch.lng"), "[Translations]\n");
    QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("sub")));
    const QString outside = QFileInfo(f.dir.path()).dir().filePath(QStringLiteral("kelsprint.ini"));
    const bool outsideExisted = QFile::exists(outside);
    makeZip(AppDir() + QStringLiteral("sites.zip"),
            {{QStringLiteral("../kelsprint.ini"), "[Config]\nLanguage=Evil\n"},
             {QStringLiteral("kelsprint"), "evil program"},
             {QStringLiteral("Deutsch.lng"), "[Translations]\nForm1.Caption=Evil\n"},
             {QStringLiteral("sub/sites.csv"), "Good,h\n"}});
    QMap<QString, QByteArray> before = folderFiles(f.dir.path());
    before.remove(QStringLiteral("sites.zip"));

    QVERIFY(dm.UpdateSites());
    QCOMPARE(siteRows(f), QStringList{u"Good|h|||000||-|0|-|-|-|-|-"_qs});
    QMap<QString, QByteArray> after = folderFiles(f.dir.path());
    for (const QString &table : {u"Sites.DAT"_qs, u"Programs.DAT"_qs, u"ProgSite.DAT"_qs}) {
        before.remove(table);
        after.remove(table);
    }
    QCOMPARE(after, before);
    QCOMPARE(QDir(f.dir.file(QStringLiteral("sub"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(QFile::exists(outside), outsideExisted);
}

void TstSiteImport::unreadableArchiveReported_data()
{
    QTest::addColumn<QByteArray>("archive"); // empty: one whose catalogue expands past the limit
    QTest::newRow("not a zip") << QByteArray("PK\x03\x04 this is no archive");
    QTest::newRow("expands past the limit") << QByteArray();
}

void TstSiteImport::unreadableArchiveReported()
{
    QFETCH(QByteArray, archive);
    TDataFixture f;
    TDM1 dm;
    const QString path = AppDir() + QStringLiteral("sites.zip");
    if (archive.isEmpty())
        makeZip(path, {{QStringLiteral("sites.csv"), {}, 256LL * 1024 * 1024 + 1}});
    else
        f.dir.write(QStringLiteral("sites.zip"), archive);
    QMap<QString, QByteArray> before = folderFiles(f.dir.path());
    before.remove(QStringLiteral("sites.zip"));

    QVERIFY_THROWS_EXCEPTION(EFileError, dm.UpdateSites());
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("Extract Error|Could not extract: ") + path});
    QCOMPARE(f.dialogs.calls[0].icon, TDialogs::Icon::None);
    QCOMPARE(folderFiles(f.dir.path()), before);
}

QTEST_GUILESS_MAIN(TstSiteImport)
#include "tst_siteimport.moc"
