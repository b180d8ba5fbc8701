#include "datafixture.h"
#include "dm.h"
#include "errors.h"
#include "sqlite.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A data module over a Sites table holding the given rows
// (SiteName, HomeUrl, SearchUrl, SubmitUrl, UpdateUrl, Dead as SQL values).
void addSites(const TDataFixture &f, const QStringList &rows)
{
    {
        TDM1 dm;
    }
    for (const QString &row : rows)
        sqlExec(f.dir.file(QStringLiteral("Sites.DAT")),
                QStringLiteral("INSERT INTO Sites (SiteName, HomeUrl, SearchUrl, SubmitUrl, UpdateUrl, Dead) "
                               "VALUES (%1)")
                    .arg(row));
}

QString statusRows(const TDataFixture &f)
{
    return sqlColumn(f.dir.file(QStringLiteral("ProgSite.DAT")),
                     QStringLiteral("SELECT ProgramName || '/' || SiteName || ':' || coalesce(Submitted, '-') || "
                                    "coalesce(Published, '-') || coalesce(OldVersion, '-') || "
                                    "coalesce(FileID, '-') FROM ProgSite ORDER BY 1"))
        .join(u' ');
}

} // namespace

class TstSiteStatus : public QObject
{
    Q_OBJECT

private slots:
    void liveSitesInKeyOrder();
    void currentSiteKeptOnRefresh_data();
    void currentSiteKeptOnRefresh();
    void navLinkFallBacks_data();
    void navLinkFallBacks();
    void statusRowCreatedOnceAndWrittenOnSiteChange();
    void switchingProgramSwitchesStatus();
    void siteEditsWrittenOnRefresh();
};

void TstSiteStatus::liveSitesInKeyOrder()
{
    TDataFixture f;
    addSites(f, {u"'Zeta', '', '', '', '', 0"_qs, u"'Alpha', '', '', '', '', NULL"_qs,
                 u"'Gone', '', '', '', '', 1"_qs, u"'Mid', '', '', '', '', 0"_qs});
    TDM1 dm;
    QCOMPARE(dm.SiteNames(), (QStringList{u"Alpha"_qs, u"Mid"_qs, u"Zeta"_qs}));
    QCOMPARE(dm.CurrentSite(), 0);
    QCOMPARE(dm.Site(2).SiteName, QStringLiteral("Zeta"));
    QVERIFY_THROWS_EXCEPTION(EListError, dm.Site(3));
    QVERIFY_THROWS_EXCEPTION(EListError, dm.SetCurrentSite(3));
}

void TstSiteStatus::currentSiteKeptOnRefresh_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("dies"); // a site marked dead before the refresh
    QTest::addColumn<QString>("expected");
    const QStringList plain{u"A"_qs, u"B"_qs, u"C"_qs};
    QTest::newRow("stays") << plain << "B" << "" << "B";
    QTest::newRow("gone: the next one") << plain << "B" << "B" << "C";
    QTest::newRow("gone, last: the one before") << plain << "C" << "C" << "B";
    // The table orders names by code point; U+1F600 comes after U+FFFD there,
    // though its first UTF-16 unit is below U+FFFD.
    const QStringList wide{u"A"_qs, QString(QChar(0xFFFD)), QString::fromUcs4(U"\U0001F600")};
    QTest::newRow("beyond U+FFFF stays") << wide << wide[2] << "" << wide[2];
    QTest::newRow("U+FFFD stays") << wide << wide[1] << "" << wide[1];
    QTest::newRow("U+FFFD gone") << wide << wide[1] << wide[1] << wide[2];
}

void TstSiteStatus::currentSiteKeptOnRefresh()
{
    QFETCH(QStringList, names);
    QFETCH(QString, current);
    QFETCH(QString, dies);
    QFETCH(QString, expected);
    TDataFixture f;
    {
        TDM1 dm;
    }
    const QString sites = f.dir.file(QStringLiteral("Sites.DAT"));
    {
        TSqlDatabase db(sites);
        TSqlStatement insert(db, QStringLiteral("INSERT INTO Sites (SiteName, Dead) VALUES (?1, 0)"));
        for (const QString &name : names) {
            insert.reset();
            insert.bind(1, name).run();
        }
    }
    TDM1 dm;
    QCOMPARE(dm.SiteNames(), names);
    dm.SetCurrentSite(int(names.indexOf(current)));
    if (!dies.isEmpty()) {
        TSqlDatabase db(sites);
        TSqlStatement kill(db, QStringLiteral("UPDATE Sites SET Dead = 1 WHERE SiteName = ?1"));
        kill.bind(1, dies).run();
    }
    dm.RefreshData();
    QVERIFY(dm.CurrentSite() >= 0);
    QCOMPARE(dm.SiteNames().at(dm.CurrentSite()), expected);
}

void TstSiteStatus::navLinkFallBacks_data()
{
    QTest::addColumn<QString>("urls"); // HomeUrl, SearchUrl, SubmitUrl, UpdateUrl
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    const QString homeOnly = QStringLiteral("'h', '', '', ''");
    for (const char *kind : {"home", "search", "submit", "update"})
        QTest::addRow("home only, %s", kind) << homeOnly << QString::fromLatin1(kind) << "h";
    const QString homeSubmit = QStringLiteral("'h', '', 's', ''");
    QTest::newRow("update falls back to submit") << homeSubmit << "update" << "s";
    QTest::newRow("search falls back to home") << homeSubmit << "search" << "h";
    const QString updateOnly = QStringLiteral("'h', '', '', 'u'");
    QTest::newRow("submit falls back to home") << updateOnly << "submit" << "h";
    QTest::newRow("update of its own") << updateOnly << "update" << "u";
    QTest::newRow("all four") << "'h', 'f', 's', 'u'" << "search" << "f";
    QTest::newRow("blanks are an address") << "'h', ' ', '', ''" << "search" << " ";
    QTest::newRow("capital letter") << homeOnly << "Home" << "";
    QTest::newRow("no address at all") << "'', '', '', ''" << "update" << "";
}

void TstSiteStatus::navLinkFallBacks()
{
    QFETCH(QString, urls);
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    TDataFixture f;
    addSites(f, {QStringLiteral("'Site', %1, 0").arg(urls)});
    TDM1 dm;
    QString result;
    dm.GetNavLink(kind, result);
    QCOMPARE(result, expected);
}

void TstSiteStatus::statusRowCreatedOnceAndWrittenOnSiteChange()
{
    TDataFixture f;
    addSites(f, {u"'A', '', '', '', '', 0"_qs, u"'B', '', '', '', '', 0"_qs});
    sqlExec(f.dir.file(QStringLiteral("Programs.DAT")), QStringLiteral("INSERT INTO Programs (ProgramName) VALUES ('Tool')"));
    f.config.ProgramName = QStringLiteral("Tool");
    TDM1 dm;
    QCOMPARE(dm.CurrentSite(), 0);
    QVERIFY(!dm.ProgSite().exists);

    dm.SetProgSiteFlag(QStringLiteral("Published"), true);
    dm.SetProgSiteFileID(QStringLiteral("0123456789-cut"));
    QCOMPARE(dm.ProgSite().Published, std::optional<bool>(true));
    QCOMPARE(dm.ProgSite().FileID, std::optional<QString>(u"0123456789"_qs));
    QVERIFY(!dm.GetProgSiteFlag(QStringLiteral("Published"))); // not written yet
    QCOMPARE(statusRows(f), QString());

    dm.SetCurrentSite(1);
    QCOMPARE(statusRows(f), QStringLiteral("Tool/A:-1-0123456789"));
    QVERIFY(!dm.GetProgSiteFlag(QStringLiteral("Published")));
    QVERIFY(!dm.ProgSite().exists);

    dm.SetCurrentSite(0);
    QVERIFY(dm.GetProgSiteFlag(QStringLiteral("published")));
    QVERIFY(!dm.GetProgSiteFlag(QStringLiteral("Submitted")));
    QVERIFY(!dm.GetProgSiteFlag(QStringLiteral("FileID")));
    dm.SetProgSiteFlag(QStringLiteral("Submitted"), true);
    dm.SetCurrentSite(1);
    QCOMPARE(statusRows(f), QStringLiteral("Tool/A:11-0123456789"));
    QVERIFY_THROWS_EXCEPTION(TException, dm.SetProgSiteFlag(QStringLiteral("FileID"), true));

    // A status written by another program is seen once the data is re-read.
    sqlExec(f.dir.file(QStringLiteral("ProgSite.DAT")),
            QStringLiteral("INSERT INTO ProgSite VALUES ('Tool', 'B', NULL, 1, NULL, NULL)"));
    dm.RefreshData();
    QVERIFY(dm.GetProgSiteFlag(QStringLiteral("Published")));
}

void TstSiteStatus::switchingProgramSwitchesStatus()
{
    TDataFixture f;
    addSites(f, {u"'A', '', '', '', '', 0"_qs});
    sqlExec(f.dir.file(QStringLiteral("ProgSite.DAT")),
            QStringLiteral("INSERT INTO ProgSite VALUES ('First', 'A', 1, NULL, 0, 'F1')"));
    f.config.ProgramName = QStringLiteral("First");
    TDM1 dm;
    QSignalSpy changed(&dm, &TDM1::currentSiteChanged);
    TProgSite status = dm.ProgSite();
    QVERIFY(status.exists);
    QCOMPARE(status.Submitted, std::optional<bool>(true));
    QCOMPARE(status.Published, std::nullopt);
    QCOMPARE(status.FileID, std::optional<QString>(u"F1"_qs));

    // A tick for the second program is kept when the program changes.
    dm.LoadProgram(QStringLiteral("Second"));
    QCOMPARE(changed.size(), 1);
    QVERIFY(!dm.ProgSite().exists);
    QVERIFY(!dm.GetProgSiteFlag(QStringLiteral("Submitted")));
    f.config.ProgramName = QStringLiteral("Second");
    dm.SetProgSiteFlag(QStringLiteral("OldVersion"), true);
    dm.LoadProgram(QStringLiteral("First"));
    QCOMPARE(dm.ProgSite().Submitted, std::optional<bool>(true));
    QCOMPARE(statusRows(f), QStringLiteral("First/A:1-0F1 Second/A:--1-"));
}

void TstSiteStatus::siteEditsWrittenOnRefresh()
{
    TDataFixture f;
    addSites(f, {u"'A', '', '', '', '', 0"_qs, u"'B', '', '', '', '', 0"_qs});
    const QString sites = f.dir.file(QStringLiteral("Sites.DAT"));
    TDM1 dm;
    dm.SetSiteText(QStringLiteral("Username"), QStringLiteral("me"));
    dm.SetSiteText(QStringLiteral("UserNotes"), QStringLiteral("line 1\nline 2"));
    QCOMPARE(dm.Site(0).Username, QStringLiteral("me"));
    QCOMPARE(dm.Site(1).Username, QString());
    QCOMPARE(sqlValue(sites, QStringLiteral("SELECT Username FROM Sites WHERE SiteName = 'A'")), QString());
    QVERIFY_THROWS_EXCEPTION(TException, dm.SetSiteText(QStringLiteral("HomeUrl"), QStringLiteral("x")));

    // Sites changed by another program are seen too.
    sqlExec(sites, QStringLiteral("UPDATE Sites SET Dead = 1 WHERE SiteName = 'B'"));
    dm.RefreshData();
    QCOMPARE(sqlValue(sites, QStringLiteral("SELECT Username || '|' || UserNotes FROM Sites WHERE SiteName = 'A'")),
             QStringLiteral("me|line 1\r\nline 2"));
    QCOMPARE(dm.Site(0).UserNotes, QStringLiteral("line 1\nline 2"));
    QCOMPARE(dm.SiteNames(), QStringList{u"A"_qs});
}

QTEST_GUILESS_MAIN(TstSiteStatus)
#include "tst_sitestatus.moc"
