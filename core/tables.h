#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TSqlDatabase;

// The layout of the three table files. Each file "<Table>.DAT" holds one
// table of its own name, a small "TableInfo" table with the description and
// locale, and the layout's version in PRAGMA user_version (1.0 = 100,
// 1.1 = 101).
struct TFieldDef
{
    QString name;
    QString type; // column type and constraints, e.g. "INTEGER DEFAULT 0"
};

struct TTableDef
{
    QString name;        // "Programs": the table's name and file name without ".DAT"
    QString description; // stored in TableInfo
    QList<TFieldDef> fields;
    QStringList key;     // primary key fields, in order
    QStringList indexes; // secondary indexes, each named after its one field
    // The field that the 1.0 layout lacked (empty when the table had none).
    QString addedIn101;

    QString fileName() const { return name + QStringLiteral(".DAT"); }
    QStringList fieldNames() const;
    const TFieldDef *field(const QString &fieldName) const;
};

constexpr int LayoutVersion = 101;   // 1.1
constexpr int OldLayoutVersion = 100; // 1.0
constexpr int TableLocale = 1033;     // United States English

const TTableDef &ProgramsTable();
const TTableDef &SitesTable();
const TTableDef &ProgSiteTable();
// The three, in the order in which the data module opens them.
QList<const TTableDef *> AllTables();

// Creates the table at the current layout in the database attached as
// schema (tables, indexes, TableInfo, user version), in one transaction.
void createLayout(TSqlDatabase &db, const QString &schema, const TTableDef &table);
// Writes the description and locale into TableInfo, creating it if needed.
void writeTableInfo(TSqlDatabase &db, const QString &schema, const TTableDef &table);
// Several-line texts hold their lines joined by CR LF in a table and by
// '\n' in the program.
QString linesFromTable(const QString &text);
QString linesToTable(const QString &text);

// PRAGMA user_version of the schema.
int userVersion(TSqlDatabase &db, const QString &schema);
bool tableExists(TSqlDatabase &db, const QString &schema, const QString &table);
