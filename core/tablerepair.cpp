#include "tablerepair.h"

#include "errors.h"
#include "sqlite.h"
#include "tables.h"

#include <QFile>
#include <QScopeGuard>
#include <QVariantList>
#include <limits>
#include <sqlite3.h>

namespace {

// What could be read from one version of a damaged file.
struct TRecovered
{
    bool found = false;  // the table and some of its fields could be read
    QStringList columns; // fields of the current layout that the file has
    QList<QVariantList> rows;
};

const qsizetype HeaderSize = 100;

quint32 bigEndian(const uchar *p, int bytes)
{
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}

void putBigEndian(QByteArray &b, qsizetype at, quint32 v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i, v >>= 8)
        b[at + i] = char(v & 0xff);
}

// Reads a b-tree varint; returns its length in bytes, or 0 when it would run
// past end.
int readVarint(const uchar *p, const uchar *end, quint64 *value)
{
    quint64 v = 0;
    for (int i = 0; i < 9; ++i) {
        if (p + i >= end)
            return 0;
        if (i == 8) {
            *value = (v << 8) | p[i];
            return 9;
        }
        v = (v << 7) | (p[i] & 0x7f);
        if (!(p[i] & 0x80)) {
            *value = v;
            return i + 1;
        }
    }
    return 0;
}

// Size of a cell of a table b-tree page of the given page size, or -1 when
// the cell does not fit in [cell, end).
qint64 cellSize(const uchar *cell, const uchar *end, uchar pageType, qint64 pageSize)
{
    quint64 v = 0;
    if (pageType == 0x05) { // interior: child page number, then the key
        const int n = cell + 4 <= end ? readVarint(cell + 4, end, &v) : 0;
        return n ? 4 + n : -1;
    }
    quint64 payload = 0;
    const int n1 = readVarint(cell, end, &payload);
    const int n2 = n1 ? readVarint(cell + n1, end, &v) : 0;
    if (!n2)
        return -1;
    const qint64 maxLocal = pageSize - 35;
    if (payload <= quint64(maxLocal))
        return n1 + n2 + qint64(payload);
    const qint64 minLocal = (pageSize - 12) * 32 / 255 - 23;
    const qint64 k = minLocal + qint64((payload - quint64(minLocal)) % quint64(pageSize - 4));
    return n1 + n2 + (k <= maxLocal ? k : minLocal) + 4;
}

// The page sizes that the first b-tree page (right after the header) allows:
// every cell pointer and every cell must lie within the page. Sizes at which
// the cells end exactly at the page's end, as the engine packs them, first.
QList<int> candidatePageSizes(const QByteArray &file)
{
    if (file.size() < HeaderSize + 12)
        return {};
    const auto *b = reinterpret_cast<const uchar *>(file.constData());
    const uchar type = b[HeaderSize];
    if (type != 0x0D && type != 0x05)
        return {};
    const int headerSize = type == 0x0D ? 8 : 12;
    const int cells = int(bigEndian(b + HeaderSize + 3, 2));
    const qsizetype pointersEnd = HeaderSize + headerSize + 2 * cells;

    QList<int> exact, fitting;
    for (int pageSize = 512; pageSize <= 65536; pageSize *= 2) {
        if (file.size() < pageSize || file.size() % pageSize != 0 || pointersEnd > pageSize)
            continue;
        bool fits = true;
        qint64 cellsEnd = 0;
        for (int i = 0; i < cells && fits; ++i) {
            const qsizetype at = bigEndian(b + pointersEnd - 2 * (cells - i), 2);
            const qint64 size = at >= pointersEnd && at < pageSize
                                    ? cellSize(b + at, b + pageSize, type, pageSize)
                                    : -1;
            fits = size > 0 && at + size <= pageSize;
            cellsEnd = std::max(cellsEnd, qint64(at) + size);
        }
        if (fits)
            (cellsEnd == pageSize ? exact : fitting) << pageSize;
    }
    return exact + fitting;
}

// The file with a freshly written 100-byte header for the given page size.
QByteArray withHeader(const QByteArray &file, int pageSize)
{
    QByteArray b = file;
    b.replace(0, HeaderSize, QByteArray(HeaderSize, '\0'));
    b.replace(0, 16, QByteArray("SQLite format 3", 16));
    putBigEndian(b, 16, pageSize == 65536 ? 1 : quint32(pageSize), 2);
    b[18] = 1; // file format write and read versions: rollback journal
    b[19] = 1;
    b[21] = 64; // payload fractions, fixed by the format
    b[22] = 32;
    b[23] = 32;
    putBigEndian(b, 24, 1, 4);                              // change counter
    putBigEndian(b, 28, quint32(file.size() / pageSize), 4); // size in pages
    putBigEndian(b, 40, 1, 4);                              // schema cookie
    putBigEndian(b, 44, 4, 4);                              // schema format
    putBigEndian(b, 56, 1, 4);                              // UTF-8
    putBigEndian(b, 92, 1, 4);                              // version-valid-for = change counter
    putBigEndian(b, 96, SQLITE_VERSION_NUMBER, 4);
    return b;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw EFileError(QStringLiteral("Cannot write \"%1\": %2").arg(path, f.errorString()));
}

// Reads the rows by rowid ranges. When a range breaks off at a damaged page,
// the reading goes on at the first rowid that can be reached again, found by
// probing further and further ahead and then narrowing down.
void readRows(TSqlDatabase &db, const QString &sql, int columns, QList<QVariantList> *rows)
{
    TSqlStatement scan(db, sql);
    const auto reachable = [&scan](qint64 from) {
        scan.reset();
        scan.bind(1, from);
        try {
            scan.step();
            return true;
        } catch (const EDatabaseError &e) {
            if (!e.isDamage())
                throw;
            return false;
        }
    };

    constexpr qint64 Max = std::numeric_limits<qint64>::max();
    qint64 from = std::numeric_limits<qint64>::min();
    for (;;) {
        qint64 last = from;
        bool any = false;
        scan.reset();
        scan.bind(1, from);
        try {
            while (scan.step()) {
                // A damaged page can hold rowids lower than those before it;
                // the reading goes on after the highest one, so it never
                // comes back to the same place.
                last = any ? std::max(last, scan.integer(0)) : scan.integer(0);
                any = true;
                QVariantList row;
                for (int c = 1; c <= columns; ++c)
                    row << scan.value(c);
                rows->append(row);
            }
            return;
        } catch (const EDatabaseError &e) {
            if (!e.isDamage())
                throw;
        }
        // Unreadable from just after `bad` on: find the next reachable rowid.
        // Distances are unsigned, since the first range starts at the lowest
        // rowid there is and the rows usually lie far above it; the last
        // probe is the highest rowid, so no part of the range goes unprobed.
        qint64 bad = any ? std::max(last, from) : from;
        const auto ahead = [](qint64 at, quint64 distance) { return qint64(quint64(at) + distance); };
        qint64 good = 0;
        for (quint64 step = 1;;) {
            const quint64 room = quint64(Max) - quint64(bad);
            if (room == 0)
                return;
            const qint64 probe = ahead(bad, std::min(step, room));
            if (reachable(probe)) {
                good = probe;
                break;
            }
            bad = probe;
            if (step <= std::numeric_limits<quint64>::max() / 2)
                step *= 2;
        }
        while (quint64(good) - quint64(bad) > 1) {
            const qint64 mid = ahead(bad, (quint64(good) - quint64(bad)) / 2);
            (reachable(mid) ? good : bad) = mid;
        }
        from = good;
    }
}

TRecovered recover(const QString &path, const TTableDef &table)
{
    TRecovered r;
    TSqlDatabase db(path, TSqlDatabase::Mode::ReadOnly);
    // Otherwise the engine refuses a file that is shorter than its header
    // says (a copy or write that broke off) or whose schema names a page
    // past its end, though the pages that are there can still be read.
    // Nothing is written: the connection is read-only.
    db.exec(QStringLiteral("PRAGMA writable_schema = ON"));
    if (!tableExists(db, QStringLiteral("main"), table.name))
        return r;
    TSqlStatement info(db, QStringLiteral("PRAGMA main.table_info(%1)").arg(sqlName(table.name)));
    while (info.step()) {
        if (const TFieldDef *f = table.field(info.text(1)))
            r.columns << f->name;
    }
    if (r.columns.isEmpty())
        return r;
    r.found = true;
    QStringList quoted;
    for (const QString &c : r.columns)
        quoted << sqlName(c);
    readRows(db,
             QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid >= ?1 ORDER BY rowid")
                 .arg(quoted.join(u", "), sqlName(table.name)),
             int(r.columns.size()), &r.rows);
    return r;
}

void writeRepaired(const QString &path, const TTableDef &table, const TRecovered &data)
{
    QFile::remove(path);
    TSqlDatabase out(path);
    createLayout(out, QStringLiteral("main"), table);
    QStringList quoted, params;
    for (qsizetype i = 0; i < data.columns.size(); ++i) {
        quoted << sqlName(data.columns[i]);
        params << u'?' + QString::number(i + 1);
    }
    TSqlTransaction tx(out);
    // A row whose key repeats or is missing cannot be stored again; it is
    // still in the damaged file kept beside.
    TSqlStatement insert(out, QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)")
                                  .arg(sqlName(table.name), quoted.join(u", "), params.join(u", ")));
    for (const QVariantList &row : data.rows) {
        insert.reset();
        for (qsizetype i = 0; i < row.size(); ++i)
            insert.bindValue(int(i + 1), row[i]);
        insert.run();
    }
    tx.commit();
}

} // namespace

QString repairTableFile(const QString &path, const TTableDef &table)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("Cannot read \"%1\": %2").arg(path, in.errorString()));
    const QByteArray original = in.readAll();
    in.close();

    // The file as it is, then with a rebuilt header for each page size that
    // its first page allows; the version that gives the most rows wins.
    QList<QByteArray> versions{original};
    for (int pageSize : candidatePageSizes(original))
        versions << withHeader(original, pageSize);
    const QString scratch = path + QStringLiteral(".recovering");
    const auto removeScratch = qScopeGuard([&scratch] { QFile::remove(scratch); });
    TRecovered best;
    for (const QByteArray &bytes : versions) {
        writeFile(scratch, bytes);
        try {
            TRecovered r = recover(scratch, table);
            if (r.found && (!best.found || r.rows.size() > best.rows.size()))
                best = std::move(r);
        } catch (const EDatabaseError &) {
            // This version cannot be read at all; try the next.
        }
    }
    if (!best.found)
        throw EDatabaseError(SQLITE_CORRUPT,
                             QStringLiteral("The table file \"%1\" is damaged beyond repair; it was left as it was.")
                                 .arg(path));

    const QString repaired = path + QStringLiteral(".repaired");
    writeRepaired(repaired, table, best);

    QString damaged = path + QStringLiteral(".damaged");
    for (int n = 2; QFile::exists(damaged); ++n)
        damaged = path + QStringLiteral(".damaged.") + QString::number(n);
    if (!QFile::rename(path, damaged)) {
        QFile::remove(repaired);
        throw EFileError(QStringLiteral("Cannot keep the damaged table file \"%1\" as \"%2\".").arg(path, damaged));
    }
    // A journal left by the damaged file would be played back into the new one.
    const QString journal = path + QStringLiteral("-journal");
    if (QFile::exists(journal))
        QFile::rename(journal, damaged + QStringLiteral("-journal"));
    if (!QFile::rename(repaired, path)) {
        QFile::rename(damaged, path);
        throw EFileError(QStringLiteral("Cannot put the repaired table file \"%1\" in place.").arg(path));
    }
    return damaged;
}
