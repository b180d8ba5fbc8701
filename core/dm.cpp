#include "dm.h"

#include "config.h"
#include "errors.h"
#include "makeraccounts.h"
#include "showerror.h"
#include "sqlite.h"
#include "tablerepair.h"
#include "tables.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <span>
#include <sqlite3.h>

TDM1 *DM1 = nullptr;

namespace {

// The Programs fields in table order and the record fields they hold.
struct TProgramField
{
    const char16_t *field;
    QString TConfig::*text = nullptr;
    QDate TConfig::*date = nullptr;
    bool lines = false; // several lines
};

const TProgramField ProgramFields[] = {
    {u"ProgramName", &TConfig::ProgramName},
    {u"Version", &TConfig::Version},
    {u"ProgramUrl", &TConfig::ProgUrl},
    {u"PurchaseUrl", &TConfig::PurchaseUrl},
    {u"PadUrl", &TConfig::PADUrl},
    {u"Keywords", &TConfig::Keywords},
    {u"FileSize", &TConfig::FileSize},
    {u"VersionDate", nullptr, &TConfig::FileDate},
    {u"Price", &TConfig::Price},
    {u"License", &TConfig::License},
    {u"OS", &TConfig::OS},
    {u"Install", &TConfig::Install},
    {u"TrialPeriod", &TConfig::TrialPeriod},
    {u"ExpireDate", nullptr, &TConfig::ExpireDate},
    {u"ScreenShotUrl", &TConfig::ScreenUrl},
    {u"IconUrl", &TConfig::IconUrl},
    {u"Dl1", &TConfig::DLUrl1},
    {u"Dl2", &TConfig::DLUrl2},
    {u"Dl3", &TConfig::DLUrl3},
    {u"Dl4", &TConfig::DLUrl4},
    {u"SystemReq", &TConfig::SysReq, nullptr, true},
    {u"Limitations", &TConfig::Limitations, nullptr, true},
    {u"ReviewerNotes", &TConfig::RevNotes, nullptr, true},
    {u"Desc45", &TConfig::Desc45},
    {u"Desc80", &TConfig::Desc80},
    {u"Desc250", &TConfig::Desc250, nullptr, true},
    {u"Desc450", &TConfig::Desc450, nullptr, true},
    {u"Desc800", &TConfig::Desc800, nullptr, true},
};

// The record fields after ProgramName, which SaveProgram writes.
const std::span<const TProgramField> RecordFields = std::span(ProgramFields).subspan(1);

QString fieldName(const TProgramField &f)
{
    return sqlName(QString::fromUtf16(f.field));
}

TConfig &config()
{
    if (!AppConfig)
        throw TException(QStringLiteral("The settings have not been loaded."));
    return *AppConfig;
}

QString schemaOf(const TTableDef &table)
{
    return table.name + QStringLiteral("File");
}

QDate readDate(const TSqlStatement &q, int column)
{
    if (q.isNull(column))
        return ZeroDate;
    const QDate d = QDate::fromString(q.text(column).left(10), Qt::ISODate);
    return d.isValid() ? d : ZeroDate;
}

void bindField(TSqlStatement &q, int index, const TProgramField &f, const TConfig &c)
{
    if (f.date) {
        const QDate d = c.*f.date;
        if (!d.isValid() || d == ZeroDate)
            q.bindNull(index);
        else
            q.bind(index, d.toString(Qt::ISODate));
        return;
    }
    q.bind(index, f.lines ? linesToTable(c.*f.text) : c.*f.text);
}

} // namespace

TDM1::TDM1(QObject *parent)
    : QObject(parent)
    , m_folder(QDir::currentPath())
{
    DM1 = this;
    setObjectName(QStringLiteral("DM1"));
    m_db = std::make_unique<TSqlDatabase>(QStringLiteral(":memory:"));
    try {
        DataModuleCreate();
    } catch (const std::exception &e) {
        ShowException(e);
    }
}

TDM1::~TDM1()
{
    // An edit made just before the program ends is kept too.
    try {
        Post();
    } catch (const std::exception &e) {
        ShowException(e);
    }
    if (DM1 == this)
        DM1 = nullptr;
}

QString TDM1::filePath(const TTableDef &table) const
{
    return QDir(m_folder).filePath(table.fileName());
}

bool TDM1::isOpen(const TTableDef &table) const
{
    return m_open.contains(table.name);
}

void TDM1::DataModuleCreate()
{
    // The engine keeps its temporary files in the system's temporary folder
    // (TMPDIR, or GetTempPath on Windows) of its own accord.
    DBUpdates();
    for (const TTableDef *table : AllTables())
        OpenTable(*table);
    clearMakerAccounts();
    loadSiteNames();
    LoadProgram(config().ProgramName);
}

void TDM1::attach(const TTableDef &table)
{
    TSqlStatement q(*m_db, QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(sqlName(schemaOf(table))));
    q.bind(1, filePath(table)).run();
}

void TDM1::detach(const TTableDef &table)
{
    m_open.remove(table.name);
    try {
        m_db->exec(QStringLiteral("DETACH DATABASE %1").arg(sqlName(schemaOf(table))));
    } catch (const EDatabaseError &) {
        // It was not attached.
    }
}

void TDM1::DBUpdates()
{
    for (const TTableDef *table : {&ProgSiteTable(), &SitesTable()}) {
        try {
            upgradeTable(*table);
        } catch (const EDatabaseError &e) {
            // A damaged file is repaired when it is opened, into the
            // current layout.
            if (!e.isDamage())
                ShowMessage(e.message());
        } catch (const std::exception &e) {
            ShowMessage(exceptionText(e));
        }
    }
}

void TDM1::upgradeTable(const TTableDef &table)
{
    if (!QFile::exists(filePath(table)))
        return;
    const QString schema = schemaOf(table);
    attach(table);
    const auto closeAgain = qScopeGuard([&] { detach(table); });
    if (userVersion(*m_db, schema) != OldLayoutVersion)
        return;
    const TFieldDef *added = table.field(table.addedIn101);
    TSqlTransaction tx(*m_db);
    m_db->exec(QStringLiteral("ALTER TABLE %1.%2 ADD COLUMN %3 %4")
                   .arg(sqlName(schema), sqlName(table.name), sqlName(added->name), added->type));
    writeTableInfo(*m_db, schema, table);
    m_db->exec(QStringLiteral("PRAGMA %1.user_version = %2").arg(sqlName(schema)).arg(LayoutVersion));
    tx.commit();
}

void TDM1::openFile(const TTableDef &table)
{
    const QString schema = schemaOf(table);
    attach(table);
    TSqlStatement check(*m_db, QStringLiteral("PRAGMA %1.quick_check").arg(sqlName(schema)));
    if (check.step() && check.text(0) != QLatin1String("ok"))
        throw EDatabaseError(SQLITE_CORRUPT,
                             QStringLiteral("%1 is damaged: %2").arg(table.fileName(), check.text(0)));
    if (!tableExists(*m_db, schema, table.name))
        createLayout(*m_db, schema, table);
    m_open.insert(table.name);
}

void TDM1::OpenTable(const TTableDef &table)
{
    try {
        openFile(table);
        return;
    } catch (const EDatabaseError &e) {
        detach(table);
        // Any other engine error leaves the table closed, without a message.
        if (!e.isDamage())
            return;
    }
    repairTableFile(filePath(table), table);
    openFile(table);
}

void TDM1::clearMakerAccounts()
{
    const auto run = [this](const QString &update, std::span<const TAccountCondition> conditions) {
        if (conditions.empty())
            return;
        QStringList tests;
        for (std::size_t i = 0; i < conditions.size(); ++i) {
            const TAccountCondition &c = conditions[i];
            tests << QStringLiteral("(%1 %2 ?%3)")
                         .arg(sqlName(QString::fromUtf16(c.field)),
                              c.test == TAccountCondition::Like ? QStringLiteral("LIKE") : QStringLiteral("="))
                         .arg(i + 1);
        }
        TSqlStatement q(*m_db, update + QStringLiteral(" WHERE ") + tests.join(QStringLiteral(" OR ")));
        for (std::size_t i = 0; i < conditions.size(); ++i)
            q.bind(int(i + 1), QString::fromUtf16(conditions[i].value));
        q.run();
    };
    run(QStringLiteral("UPDATE \"Sites\" SET \"Username\" = '', \"Password\" = ''"), MakerLoginConditions());
    run(QStringLiteral("UPDATE \"Sites\" SET \"UserNotes\" = ''"), MakerNoteConditions());
}

void TDM1::LoadPrograms(QStringList &list)
{
    list.clear();
    TSqlStatement q(*m_db, QStringLiteral("SELECT \"ProgramName\" FROM \"Programs\" ORDER BY \"ProgramName\""));
    while (q.step())
        list << q.text(0);
}

void TDM1::LoadProgram(const QString &programName)
{
    // A copy: the caller often passes AppConfig->ProgramName, which this
    // overwrites.
    const QString name = programName;
    Post();
    QStringList fields;
    for (const TProgramField &f : ProgramFields)
        fields << fieldName(f);
    TSqlStatement q(*m_db, QStringLiteral("SELECT %1 FROM \"Programs\" WHERE \"ProgramName\" = ?1")
                               .arg(fields.join(QStringLiteral(", "))));
    q.bind(1, name);
    TConfig &c = config();
    const bool found = q.step();
    int column = 0;
    for (const TProgramField &f : ProgramFields) {
        if (f.date) {
            c.*f.date = found ? readDate(q, column) : ZeroDate;
        } else {
            const QString text = found ? q.text(column) : QString();
            c.*f.text = f.lines ? linesFromTable(text) : text;
        }
        ++column;
    }
    m_statusProgram = name;
    emit currentSiteChanged();
}

void TDM1::SaveProgram(const QString &name)
{
    const TConfig &c = config();
    TSqlStatement find(*m_db, QStringLiteral("SELECT rowid FROM \"Programs\" WHERE \"ProgramName\" = ?1"));
    find.bind(1, name);
    QStringList fields;
    for (const TProgramField &f : RecordFields)
        fields << fieldName(f);

    if (find.step()) {
        QStringList assignments;
        for (qsizetype i = 0; i < fields.size(); ++i)
            assignments << QStringLiteral("%1 = ?%2").arg(fields[i]).arg(i + 2);
        TSqlStatement update(*m_db, QStringLiteral("UPDATE \"Programs\" SET %1 WHERE rowid = ?1")
                                        .arg(assignments.join(QStringLiteral(", "))));
        update.bind(1, find.integer(0));
        int index = 2;
        for (const TProgramField &f : RecordFields)
            bindField(update, index++, f, c);
        update.run();
        return;
    }
    QStringList params;
    for (qsizetype i = 0; i <= fields.size(); ++i)
        params << u'?' + QString::number(i + 1);
    TSqlStatement insert(*m_db, QStringLiteral("INSERT INTO \"Programs\" (\"ProgramName\", %1) VALUES (%2)")
                                    .arg(fields.join(QStringLiteral(", ")), params.join(QStringLiteral(", "))));
    insert.bind(1, c.ProgramName);
    int index = 2;
    for (const TProgramField &f : RecordFields)
        bindField(insert, index++, f, c);
    insert.run();
}

void TDM1::AddProgram(const QString &name)
{
    TSqlStatement q(*m_db, QStringLiteral("INSERT INTO \"Programs\" (\"ProgramName\") VALUES (?1)"));
    q.bind(1, name).run();
}

void TDM1::DeleteProgram(const QString &name)
{
    TSqlStatement q(*m_db, QStringLiteral("DELETE FROM \"Programs\" WHERE \"ProgramName\" = ?1"));
    q.bind(1, name).run();
}

void TDM1::RefreshData()
{
    // Every statement reads the files afresh; pending edits are written and
    // the views that show rows read them again.
    Post();
    m_storedFlags.valid = false;
    loadSiteNames();
    emit dataRefreshed();
}
