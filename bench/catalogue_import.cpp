// Times the site catalogue import against the sqlite3 shell doing the same
// merge, and the status lookup the site selector makes while it draws.
//
//   build/bench/catalogue_import [sizes...]     (default 1000 10000 100000)
//
// Needs the zip and sqlite3 programs. Each import runs in a child process of
// its own, so its peak memory is its own.
#include "appdir.h"
#include "config.h"
#include "dm.h"
#include "errors.h"
#include "sqlite.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

const QString ProgramName = QStringLiteral("Bench Tool");

QString siteName(int i)
{
    return QStringLiteral("Site %1").arg(i, 6, 10, QLatin1Char('0'));
}

QByteArray catalogue(int sites)
{
    QByteArray csv;
    for (int i = 0; i < sites; ++i) {
        csv += QStringLiteral("%1,http://site%2.example/,http://site%2.example/submit,\"Notes, with a comma (%2)\","
                              "True,False,%3,US,%4,False\r\n")
                   .arg(siteName(i))
                   .arg(i)
                   .arg(i % 3 ? QStringLiteral("False") : QStringLiteral("True"))
                   .arg(i % 6)
                   .toUtf8();
    }
    return csv;
}

void run(const QString &program, const QStringList &args, const QString &folder, const QByteArray &input = {})
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        throw TException(QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAllStandardError())));
}

// A working folder with the tables, Sites holding every second site of the
// catalogue, and the catalogue both as "sites.csv" and zipped as "sites.zip".
void prepare(const QString &folder, int sites)
{
    QDir::setCurrent(folder);
    setAppDir(folder);
    {
        TConfig config;
        AppConfig = &config;
        TDM1 dm;
        AppConfig = nullptr;
    }
    {
        TSqlDatabase db(QStringLiteral("Sites.DAT"));
        TSqlTransaction tx(db);
        TSqlStatement insert(db, QStringLiteral("INSERT INTO Sites (SiteName, HomeUrl, Username, Dead) VALUES (?1, ?2, ?3, 0)"));
        for (int i = 0; i < sites; i += 2) {
            insert.reset();
            insert.bind(1, siteName(i)).bind(2, QStringLiteral("old")).bind(3, QStringLiteral("me")).run();
        }
        tx.commit();
    }
    QFile csv(QStringLiteral("sites.csv"));
    if (!csv.open(QIODevice::WriteOnly) || csv.write(catalogue(sites)) < 0)
        throw TException(QStringLiteral("cannot write the catalogue"));
    csv.close();
    run(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("sites.zip"), QStringLiteral("sites.csv")}, folder);
}

const char *MergeScript = R"(
CREATE TEMP TABLE csv (c0, c1, c2, c3, c4, c5, c6, c7, c8, c9);
.mode csv
.import sites.csv csv
INSERT INTO Sites (SiteName, HomeUrl, SubmitUrl, Notes, QuorvaneFriendly, Pad, AntiFreeSpeech, CountryCode, Rating, Dead)
  SELECT c0, c1, c2, c3, c4 = 'True', c5 = 'True', c6 = 'True', c7,
         CASE WHEN c8 = '' THEN NULL ELSE CAST(c8 AS INTEGER) END, c9 = 'True' FROM csv WHERE true
  ON CONFLICT (SiteName) DO UPDATE SET HomeUrl = excluded.HomeUrl, SubmitUrl = excluded.SubmitUrl,
    Notes = excluded.Notes, QuorvaneFriendly = excluded.QuorvaneFriendly, Pad = excluded.Pad,
    AntiFreeSpeech = excluded.AntiFreeSpeech, CountryCode = excluded.CountryCode, Rating = excluded.Rating,
    Dead = excluded.Dead;
)";

QString fingerprint(const QString &folder)
{
    TSqlDatabase db(QDir(folder).filePath(QStringLiteral("Sites.DAT")));
    TSqlStatement q(db, QStringLiteral(
        "SELECT count(*) || ' ' || sum(length(HomeUrl || SubmitUrl || Notes || CountryCode)) || ' ' || "
        "sum(QuorvaneFriendly + 2 * Pad + 4 * AntiFreeSpeech + 8 * Dead) || ' ' || total(Rating) || ' ' || "
        "count(Username) FROM Sites"));
    return q.step() ? q.text(0) : QString();
}

// The child: imports the folder's "sites.zip" and prints milliseconds and
// peak memory in KiB.
int importChild(const QString &folder)
{
    QDir::setCurrent(folder);
    setAppDir(folder);
    TConfig config;
    AppConfig = &config;
    TDM1 dm;
    QElapsedTimer timer;
    timer.start();
    const bool ok = dm.UpdateSites();
    const qint64 ms = timer.elapsed();
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%lld %ld\n", static_cast<long long>(ms), usage.ru_maxrss);
    AppConfig = nullptr;
    return ok ? 0 : 1;
}

void benchImport(int sites)
{
    QTemporaryDir ours, shell;
    prepare(ours.path(), sites);
    QFile::remove(QDir(ours.path()).filePath(QStringLiteral("sites.csv")));
    prepare(shell.path(), sites);

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--import"), ours.path()});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        throw TException(QStringLiteral("the import failed: %1").arg(QString::fromLocal8Bit(child.readAllStandardError())));
    const QStringList result = QString::fromLatin1(child.readAllStandardOutput()).split(u' ');
    const double oursMs = result.value(0).toDouble();
    const long peakKiB = result.value(1).toLong();

    QElapsedTimer timer;
    timer.start();
    run(QStringLiteral("sqlite3"), {QStringLiteral("Sites.DAT")}, shell.path(), MergeScript);
    const double shellMs = double(timer.nsecsElapsed()) / 1e6;

    const bool same = fingerprint(ours.path()) == fingerprint(shell.path());
    std::printf("%7d sites: import %8.1f ms, sqlite3 shell %8.1f ms, ratio %5.2f (goal <= 1.5), "
                "peak %6.1f MiB (goal < 100), tables %s\n",
                sites, oursMs, shellMs, oursMs / std::max(shellMs, 0.001), double(peakKiB) / 1024.0,
                same ? "equal" : "DIFFER");
}

void benchFlagLookup()
{
    const int sites = 10000;
    const int calls = 100000;
    QTemporaryDir dir;
    prepare(dir.path(), sites);
    {
        TSqlDatabase db(QStringLiteral("ProgSite.DAT"));
        TSqlTransaction tx(db);
        TSqlStatement insert(db, QStringLiteral("INSERT INTO ProgSite VALUES (?1, ?2, 1, ?3, 0, NULL)"));
        for (int i = 0; i < sites; i += 2) {
            insert.reset();
            insert.bind(1, ProgramName).bind(2, siteName(i)).bind(3, i % 4 == 0).run();
        }
        tx.commit();
    }
    {
        TSqlDatabase db(QStringLiteral("Sites.DAT"));
        TSqlTransaction tx(db);
        TSqlStatement insert(db, QStringLiteral("INSERT OR IGNORE INTO Sites (SiteName) VALUES (?1)"));
        for (int i = 1; i < sites; i += 2) {
            insert.reset();
            insert.bind(1, siteName(i)).run();
        }
        tx.commit();
    }
    TConfig config;
    AppConfig = &config;
    TDM1 dm;
    config.ProgramName = ProgramName;
    const QString flags[] = {QStringLiteral("Published"), QStringLiteral("Submitted")};
    // As the grid draws: the lookups of one row while it is current.
    int found = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i) {
        if (i % 2 == 0)
            dm.SetCurrentSite((i / 2) % sites);
        found += dm.GetProgSiteFlag(flags[i % 2]);
    }
    const double perCall = double(timer.nsecsElapsed()) / 1e3 / calls;
    // The lookups alone, on one site.
    timer.restart();
    for (int i = 0; i < calls; ++i)
        found += dm.GetProgSiteFlag(flags[i % 2]);
    const double lookupOnly = double(timer.nsecsElapsed()) / 1e3 / calls;
    AppConfig = nullptr;
    std::printf("GetProgSiteFlag on %d sites: %.2f us a call, moving the current site every second call; "
                "%.2f us a call on one site (goal < 5 us); %d true\n",
                sites, perCall, lookupOnly, found);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.value(0) == QLatin1String("--import"))
            return importChild(args.value(1));
        QList<int> sizes;
        for (const QString &a : args)
            sizes << a.toInt();
        if (sizes.isEmpty())
            sizes = {1000, 10000, 100000};
        for (int n : sizes)
            benchImport(n);
        benchFlagLookup();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", qPrintable(exceptionText(e)));
        return 1;
    }
    return 0;
}
