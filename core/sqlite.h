#pragma once

#include "errors.h"

#include <QDate>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// An error reported by the database engine. code() is SQLite's primary
// result code (SQLITE_CORRUPT, SQLITE_CONSTRAINT, ...).
class EDatabaseError : public TException
{
public:
    EDatabaseError(int code, const QString &message);
    int code() const { return m_code; }
    // The file is damaged: the errors after which a table is repaired.
    bool isDamage() const;

private:
    int m_code;
};

// One connection to the engine; closed when the object goes.
class TSqlDatabase
{
public:
    enum class Mode { ReadWriteCreate, ReadOnly };

    explicit TSqlDatabase(const QString &path, Mode mode = Mode::ReadWriteCreate);
    ~TSqlDatabase();
    TSqlDatabase(const TSqlDatabase &) = delete;
    TSqlDatabase &operator=(const TSqlDatabase &) = delete;

    sqlite3 *handle() const { return m_db; }

    // Runs statements without parameters (schema changes, transactions).
    void exec(const QString &sql);
    // Throws the connection's last error, after `what` when that is given.
    [[noreturn]] void fail(int rc, const QString &what) const;

private:
    sqlite3 *m_db = nullptr;
};

// A prepared statement. Parameters are bound by index (from 1), columns are
// read by index (from 0). Every failure throws EDatabaseError.
class TSqlStatement
{
public:
    TSqlStatement(TSqlDatabase &db, const QString &sql);
    ~TSqlStatement();
    TSqlStatement(const TSqlStatement &) = delete;
    TSqlStatement &operator=(const TSqlStatement &) = delete;

    // A text is always bound as text: a null QString is the empty text.
    TSqlStatement &bind(int index, QStringView value);
    TSqlStatement &bind(int index, const QString &value) { return bind(index, QStringView(value)); }
    TSqlStatement &bind(int index, qint64 value);
    TSqlStatement &bind(int index, int value) { return bind(index, qint64(value)); }
    TSqlStatement &bind(int index, bool value) { return bind(index, qint64(value ? 1 : 0)); }
    TSqlStatement &bindNull(int index);
    // Binds a value read by value(): null, integer, real, text or bytes.
    TSqlStatement &bindValue(int index, const QVariant &value);

    // Steps once: true when a row is ready, false when the statement is done.
    bool step();
    // Steps to the end, for statements that return no rows.
    void run();
    // Makes the statement ready to run again; the bound values stay.
    void reset();

    int columnCount() const;
    bool isNull(int column) const;
    QString text(int column) const;
    qint64 integer(int column) const;
    // The column's value in its own kind (QVariant() for null).
    QVariant value(int column) const;

private:
    void checkColumn(int column) const;
    void checkBind(int rc, int index);

    TSqlDatabase &m_db;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_sql;
};

// A transaction that rolls back unless committed.
class TSqlTransaction
{
public:
    explicit TSqlTransaction(TSqlDatabase &db);
    ~TSqlTransaction();
    TSqlTransaction(const TSqlTransaction &) = delete;
    TSqlTransaction &operator=(const TSqlTransaction &) = delete;
    void commit();

private:
    TSqlDatabase &m_db;
    bool m_open = true;
};

// Quotes an identifier (schema, table or column name) for a statement's text.
QString sqlName(const QString &name);
