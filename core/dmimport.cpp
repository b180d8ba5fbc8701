// The data module's site catalogue import.
#include "appdir.h"
#include "dialogs.h"
#include "dm.h"
#include "errors.h"
#include "fields.h"
#include "showerror.h"
#include "sqlite.h"
#include "textfile.h"
#include "translatemsg.h"

#include <QFile>
#include <QScopeGuard>
#include <array>
#include <zip.h>

namespace {

const QString ArchiveName = QStringLiteral("sites.zip");
const QString CatalogueName = QStringLiteral("sites.csv");
// No catalogue comes near this; a larger entry is a broken or hostile archive.
constexpr qint64 MaxCatalogueSize = 256LL * 1024 * 1024;

// Why an archive could not be extracted.
class EExtractError : public TException
{
public:
    using TException::TException;
};

// Extracts the archive's catalogue into AppDir. The archive comes over plain
// HTTP, so nothing in it but an entry named "sites.csv" (in any folder and
// letter case) is written, and only ever under the fixed name "sites.csv";
// no entry name reaches the file system.
void extractCatalogue(const QString &archive)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &error);
    if (!zip)
        throw EExtractError(QStringLiteral("cannot open the archive (libzip error %1)").arg(error));
    const auto closeZip = qScopeGuard([zip] { zip_discard(zip); });

    const zip_int64_t entries = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        const char *rawName = zip_get_name(zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!rawName)
            continue;
        QString name = QString::fromUtf8(rawName);
        name = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
        if (name.compare(CatalogueName, Qt::CaseInsensitive) != 0)
            continue;

        zip_file_t *entry = zip_fopen_index(zip, zip_uint64_t(i), 0);
        if (!entry)
            throw EExtractError(QString::fromUtf8(zip_strerror(zip)));
        const auto closeEntry = qScopeGuard([entry] { zip_fclose(entry); });
        const QString part = AppDir() + CatalogueName + QStringLiteral(".part");
        QFile out(part);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EExtractError(out.errorString());
        auto removePart = qScopeGuard([&out] { out.remove(); });
        char buffer[65536];
        qint64 total = 0;
        for (;;) {
            const zip_int64_t n = zip_fread(entry, buffer, sizeof buffer);
            if (n < 0)
                throw EExtractError(QString::fromUtf8(zip_file_strerror(entry)));
            if (n == 0)
                break;
            total += n;
            if (total > MaxCatalogueSize)
                throw EExtractError(QStringLiteral("the catalogue is larger than %1 bytes").arg(MaxCatalogueSize));
            if (out.write(buffer, n) != n)
                throw EExtractError(out.errorString());
        }
        out.close();
        QFile::remove(AppDir() + CatalogueName);
        if (!QFile::rename(part, AppDir() + CatalogueName))
            throw EExtractError(QStringLiteral("cannot write %1").arg(CatalogueName));
        removePart.dismiss();
    }
}

constexpr int CatalogueColumns = 10;

// Calls `take` with each line of a text: a line ends at CR, LF or CR LF; a
// break at the very end does not start another line.
template<typename F>
void forEachLine(const QString &text, F take)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        take(QStringView(text).sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        take(QStringView(text).sliced(start));
}

bool catalogueFlag(QStringView text)
{
    return text == QLatin1String("True");
}

} // namespace

bool TDM1::UpdateSites()
{
    const QString archive = AppDir() + ArchiveName;
    if (!QFile::exists(archive))
        return false;
    try {
        extractCatalogue(archive);
    } catch (const EExtractError &) {
        Dialogs().message(TranslateMsg(QStringLiteral("Extract Error")),
                          TranslateMsg(QStringLiteral("Could not extract")) + QStringLiteral(": ") + archive,
                          TDialogs::Icon::None);
    }
    QFile::remove(archive);

    const QString catalogue = AppDir() + CatalogueName;
    const QString text = readTextFile(catalogue);
    QFile::remove(catalogue);

    Post();
    try {
        TSqlTransaction tx(*m_db);
        TSqlStatement upsert(*m_db, QStringLiteral(
            "INSERT INTO \"Sites\" (\"SiteName\", \"HomeUrl\", \"SubmitUrl\", \"Notes\", \"QuorvaneFriendly\", "
            "\"Pad\", \"AntiFreeSpeech\", \"CountryCode\", \"Rating\", \"Dead\") "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) ON CONFLICT (\"SiteName\") DO UPDATE SET "
            "\"HomeUrl\" = excluded.\"HomeUrl\", \"SubmitUrl\" = excluded.\"SubmitUrl\", "
            "\"Notes\" = excluded.\"Notes\", \"QuorvaneFriendly\" = excluded.\"QuorvaneFriendly\", "
            "\"Pad\" = excluded.\"Pad\", \"AntiFreeSpeech\" = excluded.\"AntiFreeSpeech\", "
            "\"CountryCode\" = excluded.\"CountryCode\", \"Rating\" = excluded.\"Rating\", "
            "\"Dead\" = excluded.\"Dead\""));
        std::array<QStringView, CatalogueColumns> columns;
        std::array<QString, CatalogueColumns> doubled;
        forEachLine(text, [&](QStringView line) {
            SplitFields(line, u',', columns, doubled);
            upsert.reset();
            for (int c = 0; c < 4; ++c)
                upsert.bind(c + 1, columns[c]);
            for (int c = 4; c < 7; ++c)
                upsert.bind(c + 1, catalogueFlag(columns[c]));
            upsert.bind(8, columns[7]);
            const QStringView rating = columns[8];
            if (rating.isEmpty()) {
                upsert.bindNull(9);
            } else {
                bool ok = false;
                const int value = rating.toInt(&ok, 10);
                if (!ok)
                    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(rating));
                upsert.bind(9, value);
            }
            upsert.bind(10, catalogueFlag(columns[9]));
            upsert.run();
        });
        tx.commit();
    } catch (const std::exception &e) {
        // Rolled back already: no row of this catalogue stays changed.
        ShowMessage(exceptionText(e));
        return false;
    }
    loadSiteNames();
    return true;
}
