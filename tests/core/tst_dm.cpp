#include "datafixture.h"
#include "dm.h"
#include "sqlite.h"
#include "tables.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

void fillRecord(TConfig &c, const QString &name)
{
    c.ProgramName = name;
    c.Version = QStringLiteral("2.1");
    c.ProgUrl = QStringLiteral("https://example.org/tool");
    c.PurchaseUrl = QStringLiteral("https://example.org/buy");
    c.PADUrl = QStringLiteral("https://example.org/pad.xml");
    c.Keywords = QStringLiteral("tool, file");
    c.FileSize = QStringLiteral("123456");
    c.FileSizeK = QStringLiteral("120");
    c.FileDate = QDate(2024, 3, 1);
    c.Price = QStringLiteral("19.95");
    c.License = QStringLiteral("Shareware");
    c.OS = QStringLiteral("Win2000,WinXP");
    c.Install = QStringLiteral("Install and Uninstall");
    c.TrialPeriod = QStringLiteral("30");
    c.ExpireDate = ZeroDate;
    c.ScreenUrl = QStringLiteral("https://example.org/shot.png");
    c.IconUrl = QStringLiteral("https://example.org/icon.png");
    c.DLUrl1 = QStringLiteral("https://example.org/1.zip");
    c.DLUrl2 = QStringLiteral("https://example.org/2.zip");
    c.DLUrl3 = QString();
    c.DLUrl4 = QStringLiteral("https://example.org/4.zip");
    c.SysReq = QStringLiteral("64 MB\nA mouse");
    c.Limitations = QStringLiteral("Nags");
    c.RevNotes = QStringLiteral("Key: 1234");
    c.Desc45 = QStringLiteral("Short");
    c.Desc80 = QStringLiteral("Longer");
    c.Desc250 = QStringLiteral("Line one\nLine two");
    c.Desc450 = QStringLiteral("Four hundred");
    c.Desc800 = QString(2000, u'x');
}

// Every record field LoadProgram fills, for comparisons.
QStringList record(const TConfig &c)
{
    return {c.ProgramName, c.Version, c.ProgUrl, c.PurchaseUrl, c.PADUrl, c.Keywords, c.FileSize,
            c.FileDate.toString(Qt::ISODate), c.Price, c.License, c.OS, c.Install, c.TrialPeriod,
            c.ExpireDate.toString(Qt::ISODate), c.ScreenUrl, c.IconUrl, c.DLUrl1, c.DLUrl2, c.DLUrl3,
            c.DLUrl4, c.SysReq, c.Limitations, c.RevNotes, c.Desc45, c.Desc80, c.Desc250, c.Desc450,
            c.Desc800};
}

void overwrite(const QString &file, qint64 at, const QByteArray &bytes)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(at));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TstDM : public QObject
{
    Q_OBJECT

private slots:
    void freshFilesHaveTheCurrentLayout();
    void saveNewThenExisting();
    void nameWithSingleQuote();
    void loadMissingEmptiesRecord();
    void deleteAndReAddKeepsStatusRows();
    void duplicateAddIsRefusedAndLaterSavesWork();
    void oldLayoutUpgradedOnce_data();
    void oldLayoutUpgradedOnce();
    void damagedHeaderRepaired_data();
    void damagedHeaderRepaired();
    void damagedPageLosesOnlyItsRows_data();
    void damagedPageLosesOnlyItsRows();
    void unrepairableFileShownOnceAndKept();
    void fixUpsClearOnlyMakerAccounts();
};

void TstDM::freshFilesHaveTheCurrentLayout()
{
    TDataFixture f;
    TDM1 dm;
    QCOMPARE(DM1, &dm);
    QCOMPARE(dm.objectName(), QStringLiteral("DM1"));
    QVERIFY(f.dialogs.calls.isEmpty());
    for (const TTableDef *t : AllTables()) {
        const QString file = f.dir.file(t->fileName());
        QVERIFY2(dm.isOpen(*t), qPrintable(t->name));
        QCOMPARE(sqlValue(file, QStringLiteral("PRAGMA user_version")), QStringLiteral("101"));
        QCOMPARE(sqlColumn(file, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(t->name)),
                 t->fieldNames());
        QCOMPARE(sqlValue(file, QStringLiteral("SELECT Value FROM TableInfo WHERE Name = 'Locale'")),
                 QStringLiteral("1033"));
    }
    const QString sites = f.dir.file(QStringLiteral("Sites.DAT"));
    const QStringList siteFields = sqlColumn(sites, QStringLiteral("SELECT name FROM pragma_table_info('Sites')"));
    QCOMPARE(siteFields.size(), 15);
    QCOMPARE(siteFields.last(), QStringLiteral("Dead"));
    const QString progSite = f.dir.file(QStringLiteral("ProgSite.DAT"));
    QCOMPARE(sqlColumn(progSite, QStringLiteral("SELECT name FROM pragma_table_info('ProgSite')")).last(),
             QStringLiteral("FileID"));
    QCOMPARE(sqlColumn(progSite, QStringLiteral("SELECT name FROM pragma_index_info('SiteName')")),
             QStringList{QStringLiteral("SiteName")});
    QCOMPARE(sqlValue(progSite, QStringLiteral("SELECT Value FROM TableInfo WHERE Name = 'Description'")),
             QStringLiteral("ProgramSite"));
}

void TstDM::saveNewThenExisting()
{
    TDataFixture f;
    TDM1 dm;
    fillRecord(f.config, QStringLiteral("Tool"));
    const QStringList saved = record(f.config);
    dm.SaveProgram(QStringLiteral("Tool"));

    const QString file = f.dir.file(QStringLiteral("Programs.DAT"));
    QCOMPARE(sqlValue(file, QStringLiteral("SELECT count(*) FROM Programs")), QStringLiteral("1"));
    QCOMPARE(sqlValue(file, QStringLiteral("SELECT VersionDate FROM Programs")), QStringLiteral("2024-03-01"));
    QCOMPARE(sqlValue(file, QStringLiteral("SELECT ExpireDate IS NULL FROM Programs")), QStringLiteral("1"));
    QCOMPARE(sqlValue(file, QStringLiteral("SELECT Desc250 FROM Programs")), QStringLiteral("Line one\r\nLine two"));

    f.config.Version = QStringLiteral("2.2");
    f.config.ExpireDate = QDate(2025, 12, 31);
    dm.SaveProgram(QStringLiteral("Tool"));
    QCOMPARE(sqlValue(file, QStringLiteral("SELECT count(*) || ' ' || Version || ' ' || ExpireDate FROM Programs")),
             QStringLiteral("1 2.2 2025-12-31"));

    TConfig other;
    AppConfig = &other;
    dm.LoadProgram(QStringLiteral("Tool"));
    QStringList expected = saved;
    expected[1] = QStringLiteral("2.2");
    expected[13] = QStringLiteral("2025-12-31");
    QCOMPARE(record(other), expected);
    AppConfig = &f.config;
}

void TstDM::nameWithSingleQuote()
{
    TDataFixture f;
    TDM1 dm;
    const QString name = QStringLiteral("O'Brien Tool");
    fillRecord(f.config, name);
    dm.SaveProgram(name);
    dm.AddProgram(QStringLiteral("Other"));

    QStringList names;
    dm.LoadPrograms(names);
    QCOMPARE(names, (QStringList{name, QStringLiteral("Other")}));
    f.config = TConfig();
    dm.LoadProgram(name);
    QCOMPARE(f.config.ProgramName, name);
    QCOMPARE(f.config.Version, QStringLiteral("2.1"));

    dm.DeleteProgram(name);
    dm.LoadPrograms(names);
    QCOMPARE(names, QStringList{QStringLiteral("Other")});
}

void TstDM::loadMissingEmptiesRecord()
{
    TDataFixture f;
    TDM1 dm;
    fillRecord(f.config, QStringLiteral("Nowhere"));
    dm.LoadProgram(f.config.ProgramName); // as at start-up: the name lives in the record it empties
    QStringList expected(28);
    expected[7] = expected[13] = ZeroDate.toString(Qt::ISODate);
    QCOMPARE(record(f.config), expected);
    QCOMPARE(f.config.FileSizeK, QStringLiteral("120"));
    QCOMPARE(dm.statusProgram(), QStringLiteral("Nowhere"));
}

void TstDM::deleteAndReAddKeepsStatusRows()
{
    TDataFixture f;
    {
        TDM1 dm;
    }
    const QString progSite = f.dir.file(QStringLiteral("ProgSite.DAT"));
    sqlExec(progSite, QStringLiteral("INSERT INTO ProgSite VALUES ('Tool', 'Site A', 1, 1, 0, 'F1')"));
    TDM1 dm;
    dm.AddProgram(QStringLiteral("Tool"));
    dm.DeleteProgram(QStringLiteral("Tool"));
    dm.DeleteProgram(QStringLiteral("Never there"));
    QStringList names;
    dm.LoadPrograms(names);
    QVERIFY(names.isEmpty());
    dm.AddProgram(QStringLiteral("Tool"));
    dm.LoadPrograms(names);
    QCOMPARE(names, QStringList{QStringLiteral("Tool")});
    QCOMPARE(sqlValue(progSite, QStringLiteral("SELECT Submitted || Published || OldVersion || FileID FROM ProgSite "
                                            "WHERE ProgramName = 'Tool'")),
             QStringLiteral("110F1"));
}

void TstDM::duplicateAddIsRefusedAndLaterSavesWork()
{
    TDataFixture f;
    TDM1 dm;
    dm.AddProgram(QStringLiteral("Tool"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, dm.AddProgram(QStringLiteral("Tool")));
    fillRecord(f.config, QStringLiteral("Tool"));
    dm.SaveProgram(QStringLiteral("Tool"));
    fillRecord(f.config, QStringLiteral("Second"));
    dm.SaveProgram(QStringLiteral("Second"));
    const QString file = f.dir.file(QStringLiteral("Programs.DAT"));
    QCOMPARE(sqlColumn(file, QStringLiteral("SELECT ProgramName || ' ' || Version FROM Programs ORDER BY 1")),
             (QStringList{QStringLiteral("Second 2.1"), QStringLiteral("Tool 2.1")}));
}

void TstDM::oldLayoutUpgradedOnce_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("oldLayout");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("addedValue");
    QTest::addColumn<QString>("description");
    QTest::newRow("ProgSite") << "ProgSite"
                              << "ProgramName TEXT NOT NULL, SiteName TEXT NOT NULL, Submitted INTEGER, "
                                 "Published INTEGER, OldVersion INTEGER, PRIMARY KEY (ProgramName, SiteName)"
                              << "'Tool', 'Site A', 1, 0, 1"
                              << "FileID" << "" << "ProgramSite";
    QTest::newRow("Sites") << "Sites"
                           << "SiteName TEXT NOT NULL PRIMARY KEY, HomeUrl TEXT, SearchUrl TEXT, SubmitUrl TEXT, "
                              "UpdateUrl TEXT, Notes TEXT, UserNotes TEXT, Username TEXT, Password TEXT, "
                              "QuorvaneFriendly INTEGER, Pad INTEGER, AntiFreeSpeech INTEGER, CountryCode TEXT, "
                              "Rating INTEGER"
                           << "'Site A', 'http://a.example', '', '', '', 'n', 'mine', 'me', 'pw', 1, 1, 0, 'US', 4"
                           << "Dead" << "0" << "Sites";
}

void TstDM::oldLayoutUpgradedOnce()
{
    QFETCH(QString, table);
    QFETCH(QString, oldLayout);
    QFETCH(QString, row);
    QFETCH(QString, added);
    QFETCH(QString, addedValue);
    QFETCH(QString, description);
    TDataFixture f;
    const QString file = f.dir.file(table + QStringLiteral(".DAT"));
    sqlExec(file, QStringLiteral("CREATE TABLE %1 (%2); INSERT INTO %1 VALUES (%3); PRAGMA user_version = 100")
                   .arg(table, oldLayout, row));
    if (table == QLatin1String("ProgSite"))
        sqlExec(file, QStringLiteral("CREATE INDEX SiteName ON ProgSite (SiteName)"));
    const QStringList oldFields = sqlColumn(file, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table));

    for (int start = 0; start < 2; ++start) {
        TDM1 dm;
        QCOMPARE(f.dialogs.texts(), QStringList());
        QCOMPARE(sqlValue(file, QStringLiteral("PRAGMA user_version")), QStringLiteral("101"));
        QCOMPARE(sqlColumn(file, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table)),
                 oldFields + QStringList{added});
        QCOMPARE(sqlValue(file, QStringLiteral("SELECT count(*) FROM %1").arg(table)), QStringLiteral("1"));
        QCOMPARE(sqlValue(file, QStringLiteral("SELECT %1 FROM %2").arg(added, table)), addedValue);
        QCOMPARE(sqlValue(file, QStringLiteral("SELECT Value FROM TableInfo WHERE Name = 'Description'")), description);
    }
    if (table == QLatin1String("ProgSite"))
        QCOMPARE(sqlValue(file, QStringLiteral("SELECT count(*) FROM pragma_index_list('ProgSite') WHERE name = 'SiteName'")),
                 QStringLiteral("1"));
}

void TstDM::damagedHeaderRepaired_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("zeroed") << QByteArray(100, '\0');
    QByteArray garbage(100, '\0');
    QRandomGenerator rng(7);
    for (char &c : garbage)
        c = char(rng.bounded(256));
    QTest::newRow("garbage") << garbage;
}

void TstDM::damagedHeaderRepaired()
{
    QFETCH(QByteArray, header);
    TDataFixture f;
    const QString file = f.dir.file(QStringLiteral("Programs.DAT"));
    {
        TDM1 dm;
        for (const QString &name : {u"Alpha"_qs, u"Beta"_qs, u"Gamma"_qs}) {
            fillRecord(f.config, name);
            dm.SaveProgram(name);
        }
    }
    overwrite(file, 0, header);
    const QByteArray damaged = f.dir.read(QStringLiteral("Programs.DAT"));
    f.config.ProgramName = QStringLiteral("Beta");

    TDM1 dm;
    QCOMPARE(f.dialogs.texts(), QStringList());
    QStringList names;
    dm.LoadPrograms(names);
    QCOMPARE(names, (QStringList{u"Alpha"_qs, u"Beta"_qs, u"Gamma"_qs}));
    QCOMPARE(f.config.ProgramName, QStringLiteral("Beta"));
    QCOMPARE(f.config.Desc800, QString(2000, u'x'));
    QCOMPARE(f.dir.read(QStringLiteral("Programs.DAT.damaged")), damaged);
    QCOMPARE(sqlValue(file, QStringLiteral("PRAGMA user_version")), QStringLiteral("101"));
    QCOMPARE(sqlValue(file, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

void TstDM::damagedPageLosesOnlyItsRows_data()
{
    // Which leaf page of the table, in key order, is damaged, and how: filled
    // with garbage, zeroed after its header, or the file cut off a few bytes
    // into it (losing it and every page after it).
    QTest::addColumn<QString>("leaf");
    QTest::addColumn<QString>("damage");
    QTest::newRow("first") << "first" << "garbage";
    QTest::newRow("middle") << "middle" << "garbage";
    QTest::newRow("last") << "last" << "garbage";
    QTest::newRow("middle zeroed after its header") << "middle" << "zeroed";
    QTest::newRow("file cut at the middle leaf") << "middle" << "cut";
}

void TstDM::damagedPageLosesOnlyItsRows()
{
    QFETCH(QString, leaf);
    QFETCH(QString, damage);
    const bool cut = damage == QLatin1String("cut");
    TDataFixture f;
    const QString file = f.dir.file(QStringLiteral("Programs.DAT"));
    const int total = 40;
    {
        TDM1 dm;
        for (int i = 0; i < total; ++i) {
            fillRecord(f.config, QStringLiteral("Program %1").arg(i, 2, 10, QLatin1Char('0')));
            f.config.Desc800 = QString(1200, QLatin1Char('a' + i % 26));
            dm.SaveProgram(f.config.ProgramName);
        }
    }
    const int pageSize = sqlValue(file, QStringLiteral("PRAGMA page_size")).toInt();
    // Leaves by their place in the tree, which is rowid order.
    const QStringList leaves = sqlColumn(
        file, QStringLiteral("SELECT pageno || ' ' || ncell FROM dbstat WHERE name = 'Programs' AND pagetype = 'leaf' "
                             "ORDER BY path"));
    QVERIFY(leaves.size() > 4);
    const qsizetype at = leaf == QLatin1String("first") ? 0 : leaf == QLatin1String("last") ? leaves.size() - 1
                                                                                            : leaves.size() / 2;
    const qint64 victim = leaves[at].split(u' ')[0].toLongLong();
    const qint64 start = (victim - 1) * pageSize;
    if (cut)
        QVERIFY(QFile::resize(file, start + 16));
    else if (damage == QLatin1String("zeroed"))
        overwrite(file, start + 16, QByteArray(pageSize - 16, '\0'));
    else
        overwrite(file, start, QByteArray(pageSize, char(0xA5)));

    TDM1 dm;
    QCOMPARE(f.dialogs.texts(), QStringList());
    QStringList names;
    dm.LoadPrograms(names);
    // Rows went in in name order, so the leaves hold them in that order.
    QStringList expected;
    int row = 0;
    for (const QString &l : leaves) {
        const qint64 page = l.split(u' ')[0].toLongLong();
        const bool lost = cut ? page >= victim : page == victim;
        for (int n = l.split(u' ')[1].toInt(); n > 0; --n, ++row) {
            if (!lost)
                expected << QStringLiteral("Program %1").arg(row, 2, 10, QLatin1Char('0'));
        }
    }
    QCOMPARE(row, total);
    QVERIFY(expected.size() < total);
    QCOMPARE(names, expected);
    for (const QString &name : names) {
        dm.LoadProgram(name);
        const int i = name.mid(8).toInt();
        QCOMPARE(f.config.Desc800, QString(1200, QLatin1Char('a' + i % 26)));
    }
    QVERIFY(QFile::exists(file + QStringLiteral(".damaged")));
}

void TstDM::unrepairableFileShownOnceAndKept()
{
    TDataFixture f;
    QByteArray noise(8192, '\0');
    QRandomGenerator rng(3);
    for (char &c : noise)
        c = char(rng.bounded(256));
    f.dir.write(QStringLiteral("Programs.DAT"), noise);

    TDM1 dm;
    QCOMPARE(f.dialogs.calls.size(), 1);
    QCOMPARE(f.dialogs.calls[0].icon, TDialogs::Icon::Critical);
    QVERIFY(f.dialogs.calls[0].text.contains(QStringLiteral("Programs.DAT")));
    QCOMPARE(f.dir.read(QStringLiteral("Programs.DAT")), noise);
    QVERIFY(!QFile::exists(f.dir.file(QStringLiteral("Programs.DAT.damaged"))));
    QVERIFY(!dm.isOpen(ProgramsTable()));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, dm.AddProgram(QStringLiteral("Tool")));
}

void TstDM::fixUpsClearOnlyMakerAccounts()
{
    struct Case
    {
        const char *username, *password, *notes;
        bool loginCleared, notesCleared;
    };
    const Case cases[] = {
        {"sales@quorvane.example", "secret", "my notes", true, false},
        {"QuorvaneSoft", "secret", "", true, false},
        {"7316", "x", "", true, false},
        {"kelsprint", "x", "", true, false},
        {"john", "qv2003", "", true, false},
        {"kelsauthor", "x", "", true, false},
        {"john", "hunter2", "account qv-7316", false, true},
        {"john", "hunter2", "mail me@quorvane.example now", false, true},
        {"john", "hunter2", "Author number 5521, see site", false, true},
        {"john", "hunter2", "(login kelsprint, password sprint-77)", false, true},
        {"john", "hunter2", "https://site.example/p?devid=5521", false, true},
        // The user's own logins and notes, near the maker's but not matching.
        {"me@quorvane.example.org", "sprint-77x", "qv-7316 is theirs", false, false},
        {"MyQuorvane", "qv20033", "devid=55210", false, false},
        {"73161", "kelp1", "Author 5521", false, false},
        {"", "", "", false, false},
    };
    TDataFixture f;
    {
        TDM1 dm;
    }
    const QString sites = f.dir.file(QStringLiteral("Sites.DAT"));
    {
        TSqlDatabase db(sites);
        TSqlStatement insert(db, QStringLiteral("INSERT INTO Sites (SiteName, Username, Password, UserNotes) "
                                                "VALUES (?1, ?2, ?3, ?4)"));
        int n = 0;
        for (const Case &c : cases) {
            insert.reset();
            insert.bind(1, QString::number(n++))
                .bind(2, QString::fromLatin1(c.username))
                .bind(3, QString::fromLatin1(c.password))
                .bind(4, QString::fromLatin1(c.notes))
                .run();
        }
    }
    TDM1 dm;
    QCOMPARE(f.dialogs.texts(), QStringList());
    const QStringList rows = sqlColumn(sites, QStringLiteral("SELECT Username || '|' || Password || '|' || UserNotes "
                                                          "FROM Sites ORDER BY CAST(SiteName AS INTEGER)"));
    QCOMPARE(rows.size(), int(std::size(cases)));
    for (int i = 0; i < rows.size(); ++i) {
        const Case &c = cases[i];
        const QString login = c.loginCleared ? QStringLiteral("|")
                                             : QLatin1String(c.username) + u'|' + QLatin1String(c.password);
        const QString notes = c.notesCleared ? QString() : QString::fromLatin1(c.notes);
        const QString expected = login + u'|' + notes;
        QCOMPARE(rows[i], expected);
    }
}

QTEST_GUILESS_MAIN(TstDM)
#include "tst_dm.moc"
