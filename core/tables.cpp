#include "tables.h"

#include "sqlite.h"

namespace {

const QString Text = QStringLiteral("TEXT");
const QString Key = QStringLiteral("TEXT NOT NULL");
const QString Flag = QStringLiteral("INTEGER");
const QString Date = QStringLiteral("TEXT");

TTableDef makePrograms()
{
    TTableDef t;
    t.name = QStringLiteral("Programs");
    t.description = QStringLiteral("Programs");
    t.key = {QStringLiteral("ProgramName")};
    t.fields = {
        {QStringLiteral("ProgramName"), Key},   {QStringLiteral("Version"), Text},
        {QStringLiteral("ProgramUrl"), Text},   {QStringLiteral("PurchaseUrl"), Text},
        {QStringLiteral("PadUrl"), Text},       {QStringLiteral("Keywords"), Text},
        {QStringLiteral("FileSize"), Text},     {QStringLiteral("VersionDate"), Date},
        {QStringLiteral("Price"), Text},        {QStringLiteral("License"), Text},
        {QStringLiteral("OS"), Text},           {QStringLiteral("Install"), Text},
        {QStringLiteral("TrialPeriod"), Text},  {QStringLiteral("ExpireDate"), Date},
        {QStringLiteral("ScreenShotUrl"), Text}, {QStringLiteral("IconUrl"), Text},
        {QStringLiteral("Dl1"), Text},          {QStringLiteral("Dl2"), Text},
        {QStringLiteral("Dl3"), Text},          {QStringLiteral("Dl4"), Text},
        {QStringLiteral("SystemReq"), Text},    {QStringLiteral("Limitations"), Text},
        {QStringLiteral("ReviewerNotes"), Text}, {QStringLiteral("Desc45"), Text},
        {QStringLiteral("Desc80"), Text},       {QStringLiteral("Desc250"), Text},
        {QStringLiteral("Desc450"), Text},      {QStringLiteral("Desc800"), Text},
    };
    return t;
}

TTableDef makeSites()
{
    TTableDef t;
    t.name = QStringLiteral("Sites");
    t.description = QStringLiteral("Sites");
    t.key = {QStringLiteral("SiteName")};
    t.addedIn101 = QStringLiteral("Dead");
    t.fields = {
        {QStringLiteral("SiteName"), Key},
        {QStringLiteral("HomeUrl"), Text},
        {QStringLiteral("SearchUrl"), Text},
        {QStringLiteral("SubmitUrl"), Text},
        {QStringLiteral("UpdateUrl"), Text},
        {QStringLiteral("Notes"), Text},
        {QStringLiteral("UserNotes"), Text},
        {QStringLiteral("Username"), Text},
        {QStringLiteral("Password"), Text},
        {QStringLiteral("QuorvaneFriendly"), Flag},
        {QStringLiteral("Pad"), Flag},
        {QStringLiteral("AntiFreeSpeech"), Flag},
        {QStringLiteral("CountryCode"), Text},
        {QStringLiteral("Rating"), QStringLiteral("INTEGER")},
        {QStringLiteral("Dead"), QStringLiteral("INTEGER DEFAULT 0")},
    };
    return t;
}

TTableDef makeProgSite()
{
    TTableDef t;
    t.name = QStringLiteral("ProgSite");
    t.description = QStringLiteral("ProgramSite");
    t.key = {QStringLiteral("ProgramName"), QStringLiteral("SiteName")};
    t.indexes = {QStringLiteral("SiteName")};
    t.addedIn101 = QStringLiteral("FileID");
    t.fields = {
        {QStringLiteral("ProgramName"), Key},
        {QStringLiteral("SiteName"), Key},
        {QStringLiteral("Submitted"), Flag},
        {QStringLiteral("Published"), Flag},
        {QStringLiteral("OldVersion"), Flag},
        {QStringLiteral("FileID"), Text},
    };
    return t;
}

QString joinNames(const QStringList &names)
{
    QStringList quoted;
    for (const QString &n : names)
        quoted << sqlName(n);
    return quoted.join(u", ");
}

} // namespace

QStringList TTableDef::fieldNames() const
{
    QStringList names;
    for (const TFieldDef &f : fields)
        names << f.name;
    return names;
}

const TFieldDef *TTableDef::field(const QString &fieldName) const
{
    for (const TFieldDef &f : fields) {
        if (f.name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

const TTableDef &ProgramsTable()
{
    static const TTableDef t = makePrograms();
    return t;
}

const TTableDef &SitesTable()
{
    static const TTableDef t = makeSites();
    return t;
}

const TTableDef &ProgSiteTable()
{
    static const TTableDef t = makeProgSite();
    return t;
}

QList<const TTableDef *> AllTables()
{
    return {&ProgramsTable(), &ProgSiteTable(), &SitesTable()};
}

void writeTableInfo(TSqlDatabase &db, const QString &schema, const TTableDef &table)
{
    const QString info = sqlName(schema) + QStringLiteral(".\"TableInfo\"");
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (\"Name\" TEXT PRIMARY KEY, \"Value\" TEXT)").arg(info));
    TSqlStatement put(db, QStringLiteral("INSERT OR REPLACE INTO %1 (\"Name\", \"Value\") VALUES (?1, ?2)").arg(info));
    put.bind(1, QStringLiteral("Description")).bind(2, table.description).run();
    put.reset();
    put.bind(1, QStringLiteral("Locale")).bind(2, QString::number(TableLocale)).run();
}

void createLayout(TSqlDatabase &db, const QString &schema, const TTableDef &table)
{
    TSqlTransaction tx(db);
    QStringList columns;
    for (const TFieldDef &f : table.fields)
        columns << sqlName(f.name) + u' ' + f.type;
    columns << QStringLiteral("PRIMARY KEY (%1)").arg(joinNames(table.key));
    db.exec(QStringLiteral("CREATE TABLE %1.%2 (%3)")
                .arg(sqlName(schema), sqlName(table.name), columns.join(QStringLiteral(", "))));
    for (const QString &index : table.indexes)
        db.exec(QStringLiteral("CREATE INDEX %1.%2 ON %3 (%2)")
                    .arg(sqlName(schema), sqlName(index), sqlName(table.name)));
    writeTableInfo(db, schema, table);
    db.exec(QStringLiteral("PRAGMA %1.user_version = %2").arg(sqlName(schema)).arg(LayoutVersion));
    tx.commit();
}

int userVersion(TSqlDatabase &db, const QString &schema)
{
    TSqlStatement q(db, QStringLiteral("PRAGMA %1.user_version").arg(sqlName(schema)));
    return q.step() ? int(q.integer(0)) : 0;
}

bool tableExists(TSqlDatabase &db, const QString &schema, const QString &table)
{
    TSqlStatement q(db, QStringLiteral("SELECT 1 FROM %1.sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE")
                            .arg(sqlName(schema)));
    q.bind(1, table);
    return q.step();
}

QString linesFromTable(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return lines;
}

QString linesToTable(const QString &text)
{
    QString lines = linesFromTable(text);
    lines.replace(u'\n', QStringLiteral("\r\n"));
    return lines;
}
