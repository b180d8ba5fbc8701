// The data module's sites and the submission status of the current program
// on the current site.
#include "config.h"
#include "dm.h"
#include "errors.h"
#include "showerror.h"
#include "sqlite.h"
#include "tables.h"

namespace {

const QString SiteFields = QStringLiteral(
    "\"SiteName\", \"HomeUrl\", \"SearchUrl\", \"SubmitUrl\", \"UpdateUrl\", \"Notes\", \"UserNotes\", "
    "\"Username\", \"Password\", \"QuorvaneFriendly\", \"Pad\", \"AntiFreeSpeech\", \"CountryCode\", "
    "\"Rating\", \"Dead\"");

const QStringList SeveralLineSiteFields = {QStringLiteral("Notes"), QStringLiteral("UserNotes")};
constexpr int FileIDLength = 10;

std::optional<bool> optionalFlag(const TSqlStatement &q, int column)
{
    if (q.isNull(column))
        return std::nullopt;
    return q.integer(column) != 0;
}

// The field of a site that the site selector edits; nullptr for another.
QString *siteText(TSite &site, const QString &field)
{
    if (field == QLatin1String("Username"))
        return &site.Username;
    if (field == QLatin1String("Password"))
        return &site.Password;
    if (field == QLatin1String("UserNotes"))
        return &site.UserNotes;
    if (field == QLatin1String("Notes"))
        return &site.Notes;
    return nullptr;
}

// Index of a status flag, in the order Submitted, Published, OldVersion,
// letter case ignored; -1 for another name.
int flagIndex(const QString &name)
{
    static const QString flags[] = {QStringLiteral("Submitted"), QStringLiteral("Published"),
                                    QStringLiteral("OldVersion")};
    for (int i = 0; i < 3; ++i) {
        if (name.compare(flags[i], Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<bool> &flag(TProgSite &row, int index)
{
    return index == 0 ? row.Submitted : index == 1 ? row.Published : row.OldVersion;
}

} // namespace

void TDM1::loadSiteNames()
{
    const QString current = currentSiteName();
    m_siteNames.clear();
    TSqlStatement q(*m_db, QStringLiteral("SELECT \"SiteName\" FROM \"Sites\" WHERE NOT coalesce(\"Dead\", 0) "
                                          "ORDER BY \"SiteName\""));
    while (q.step())
        m_siteNames << q.text(0);
    // The current site stays current while it is listed; otherwise the one
    // that follows it in key order becomes current.
    if (m_siteNames.isEmpty()) {
        m_currentSite = -1;
    } else {
        // The engine orders names by their UTF-8 bytes (code points), which
        // differs from QString's order of UTF-16 units beyond U+FFFF.
        const QByteArray key = current.toUtf8();
        const auto at = std::lower_bound(m_siteNames.cbegin(), m_siteNames.cend(), key,
                                         [](const QString &name, const QByteArray &k) { return name.toUtf8() < k; });
        m_currentSite = int(std::min<qsizetype>(at - m_siteNames.cbegin(), m_siteNames.size() - 1));
    }
    emit sitesChanged();
    emit currentSiteChanged();
}

QString TDM1::currentSiteName() const
{
    return m_currentSite >= 0 && m_currentSite < m_siteNames.size() ? m_siteNames[m_currentSite] : QString();
}

TSite TDM1::Site(int index)
{
    if (index < 0 || index >= m_siteNames.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    if (!m_siteQuery)
        m_siteQuery = std::make_unique<TSqlStatement>(
            *m_db, QStringLiteral("SELECT %1 FROM \"Sites\" WHERE \"SiteName\" = ?1").arg(SiteFields));
    TSqlStatement &q = *m_siteQuery;
    q.reset();
    q.bind(1, m_siteNames[index]);
    TSite s;
    if (q.step()) {
        s.SiteName = q.text(0);
        s.HomeUrl = q.text(1);
        s.SearchUrl = q.text(2);
        s.SubmitUrl = q.text(3);
        s.UpdateUrl = q.text(4);
        s.Notes = linesFromTable(q.text(5));
        s.UserNotes = linesFromTable(q.text(6));
        s.Username = q.text(7);
        s.Password = q.text(8);
        s.QuorvaneFriendly = q.integer(9) != 0;
        s.Pad = q.integer(10) != 0;
        s.AntiFreeSpeech = q.integer(11) != 0;
        s.CountryCode = q.text(12);
        s.Rating = int(q.integer(13));
        s.Dead = q.integer(14) != 0;
    }
    q.reset();
    if (s.SiteName == m_siteEditName) {
        for (const auto &[field, text] : std::as_const(m_siteEdits))
            *siteText(s, field) = text;
    }
    return s;
}

void TDM1::SetCurrentSite(int index)
{
    if (index < -1 || index >= m_siteNames.size() || (index == -1 && !m_siteNames.isEmpty()))
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    if (index == m_currentSite)
        return;
    Post();
    m_currentSite = index;
    emit currentSiteChanged();
}

void TDM1::GetNavLink(const QString &kind, QString &result)
{
    if (m_currentSite < 0)
        return; // No site: every address is empty, and the result stays.
    const TSite s = Site(m_currentSite);
    const QString search = s.SearchUrl.isEmpty() ? s.HomeUrl : s.SearchUrl;
    const QString submit = s.SubmitUrl.isEmpty() ? s.HomeUrl : s.SubmitUrl;
    const QString update = s.UpdateUrl.isEmpty() ? submit : s.UpdateUrl;
    if (kind == QLatin1String("search"))
        result = search;
    else if (kind == QLatin1String("update"))
        result = update;
    else if (kind == QLatin1String("submit"))
        result = submit;
    else if (kind == QLatin1String("home"))
        result = s.HomeUrl;
}

bool TDM1::GetProgSiteFlag(const QString &name)
{
    if (m_currentSite < 0 || !AppConfig)
        return false;
    const int column = flagIndex(name);
    if (column < 0)
        return false;
    TStoredFlags &stored = m_storedFlags;
    if (!stored.valid || stored.program != AppConfig->ProgramName) {
        stored = {};
        TSqlStatement q(*m_db, QStringLiteral("SELECT \"SiteName\", \"Submitted\", \"Published\", \"OldVersion\" "
                                              "FROM \"ProgSite\" WHERE \"ProgramName\" = ?1"));
        q.bind(1, AppConfig->ProgramName);
        while (q.step())
            stored.sites.insert(q.text(0), {q.integer(1) != 0, q.integer(2) != 0, q.integer(3) != 0});
        stored.program = AppConfig->ProgramName;
        stored.valid = true;
    }
    const auto row = stored.sites.constFind(m_siteNames[m_currentSite]);
    return row != stored.sites.cend() && (*row)[column];
}

TProgSite TDM1::readProgSite(const QString &program, const QString &site)
{
    TSqlStatement q(*m_db, QStringLiteral("SELECT \"Submitted\", \"Published\", \"OldVersion\", \"FileID\" "
                                          "FROM \"ProgSite\" WHERE \"ProgramName\" = ?1 AND \"SiteName\" = ?2"));
    q.bind(1, program).bind(2, site);
    TProgSite row;
    if (q.step()) {
        row.exists = true;
        row.Submitted = optionalFlag(q, 0);
        row.Published = optionalFlag(q, 1);
        row.OldVersion = optionalFlag(q, 2);
        if (!q.isNull(3))
            row.FileID = q.text(3);
    }
    return row;
}

TProgSite TDM1::ProgSite()
{
    if (m_progSiteEdit)
        return m_progSiteEdit->row;
    if (m_currentSite < 0)
        return {};
    return readProgSite(m_statusProgram, currentSiteName());
}

void TDM1::tblProgSiteAfterInsert()
{
    if (!AppConfig)
        throw TException(QStringLiteral("The settings have not been loaded."));
    m_progSiteEdit->program = AppConfig->ProgramName;
}

void TDM1::startProgSiteEdit()
{
    if (m_progSiteEdit)
        return;
    if (m_currentSite < 0)
        throw TException(QStringLiteral("There is no site to note the status for."));
    const QString site = currentSiteName();
    TProgSiteEdit edit{m_statusProgram, site, readProgSite(m_statusProgram, site)};
    const bool inserted = !edit.row.exists;
    edit.row.exists = true;
    m_progSiteEdit = edit;
    if (inserted)
        tblProgSiteAfterInsert();
}

void TDM1::SetProgSiteFlag(const QString &field, bool value)
{
    const int index = flagIndex(field);
    if (index < 0)
        throw TException(QStringLiteral("Field '%1' not found").arg(field));
    startProgSiteEdit();
    flag(m_progSiteEdit->row, index) = value;
}

void TDM1::SetProgSiteFileID(const QString &value)
{
    startProgSiteEdit();
    m_progSiteEdit->row.FileID = value.left(FileIDLength);
}

void TDM1::SetSiteText(const QString &field, const QString &value)
{
    TSite probe;
    if (!siteText(probe, field))
        throw TException(QStringLiteral("Field '%1' cannot be edited").arg(field));
    if (m_currentSite < 0)
        throw TException(QStringLiteral("There is no site to edit."));
    m_siteEditName = currentSiteName();
    for (auto &edit : m_siteEdits) {
        if (edit.first == field) {
            edit.second = value;
            return;
        }
    }
    m_siteEdits.append({field, value});
}

void TDM1::Post()
{
    if (!m_siteEdits.isEmpty()) {
        TSqlTransaction tx(*m_db);
        for (const auto &[field, text] : std::as_const(m_siteEdits)) {
            TSqlStatement q(*m_db, QStringLiteral("UPDATE \"Sites\" SET %1 = ?1 WHERE \"SiteName\" = ?2")
                                       .arg(sqlName(field)));
            q.bind(1, SeveralLineSiteFields.contains(field) ? linesToTable(text) : text);
            q.bind(2, m_siteEditName).run();
        }
        tx.commit();
        m_siteEdits.clear();
        m_siteEditName.clear();
    }
    if (m_progSiteEdit) {
        const TProgSiteEdit &e = *m_progSiteEdit;
        TSqlStatement q(*m_db, QStringLiteral(
            "INSERT INTO \"ProgSite\" (\"ProgramName\", \"SiteName\", \"Submitted\", \"Published\", \"OldVersion\", "
            "\"FileID\") VALUES (?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT (\"ProgramName\", \"SiteName\") DO UPDATE SET "
            "\"Submitted\" = excluded.\"Submitted\", \"Published\" = excluded.\"Published\", "
            "\"OldVersion\" = excluded.\"OldVersion\", \"FileID\" = excluded.\"FileID\""));
        q.bind(1, e.program).bind(2, e.site);
        int index = 3;
        for (const std::optional<bool> &flag : {e.row.Submitted, e.row.Published, e.row.OldVersion}) {
            if (flag)
                q.bind(index, *flag);
            else
                q.bindNull(index);
            ++index;
        }
        if (e.row.FileID)
            q.bind(6, *e.row.FileID);
        else
            q.bindNull(6);
        q.run();
        m_progSiteEdit.reset();
        m_storedFlags.valid = false;
    }
}
