#include "sqlite.h"

#include <sqlite3.h>

EDatabaseError::EDatabaseError(int code, const QString &message)
    : TException(message)
    , m_code(code & 0xff)
{
}

bool EDatabaseError::isDamage() const
{
    return m_code == SQLITE_CORRUPT || m_code == SQLITE_NOTADB;
}

TSqlDatabase::TSqlDatabase(const QString &path, Mode mode)
{
    const int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                                             : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                  : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw EDatabaseError(rc, QStringLiteral("Cannot open the database \"%1\": %2").arg(path, text));
    }
    sqlite3_extended_result_codes(m_db, 1);
}

TSqlDatabase::~TSqlDatabase()
{
    sqlite3_close_v2(m_db);
}

void TSqlDatabase::exec(const QString &sql)
{
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, QString());
}

void TSqlDatabase::fail(int rc, const QString &what) const
{
    QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
    if (text.isEmpty() || (sqlite3_errcode(m_db) & 0xff) != (rc & 0xff))
        text = QString::fromUtf8(sqlite3_errstr(rc));
    throw EDatabaseError(rc, what.isEmpty() ? text : what + QStringLiteral(": ") + text);
}

TSqlStatement::TSqlStatement(TSqlDatabase &db, const QString &sql)
    : m_db(db)
    , m_sql(sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        db.fail(rc, QStringLiteral("Cannot prepare \"%1\"").arg(sql.simplified()));
}

TSqlStatement::~TSqlStatement()
{
    sqlite3_finalize(m_stmt);
}

void TSqlStatement::checkBind(int rc, int index)
{
    if (rc != SQLITE_OK)
        m_db.fail(rc, QStringLiteral("Cannot bind parameter %1 of \"%2\"").arg(index).arg(m_sql));
}

TSqlStatement &TSqlStatement::bind(int index, QStringView value)
{
    const QByteArray utf8 = value.toUtf8();
    checkBind(sqlite3_bind_text64(m_stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                                  SQLITE_TRANSIENT, SQLITE_UTF8),
              index);
    return *this;
}

TSqlStatement &TSqlStatement::bind(int index, qint64 value)
{
    checkBind(sqlite3_bind_int64(m_stmt, index, value), index);
    return *this;
}

TSqlStatement &TSqlStatement::bindNull(int index)
{
    checkBind(sqlite3_bind_null(m_stmt, index), index);
    return *this;
}

TSqlStatement &TSqlStatement::bindValue(int index, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return bindNull(index);
    case QMetaType::LongLong:
        return bind(index, value.toLongLong());
    case QMetaType::Double:
        checkBind(sqlite3_bind_double(m_stmt, index, value.toDouble()), index);
        return *this;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        checkBind(sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                      SQLITE_TRANSIENT),
                  index);
        return *this;
    }
    default:
        return bind(index, value.toString());
    }
}

bool TSqlStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The statement must be reset before it can run again; the error stays
    // with the connection for fail() to read.
    sqlite3_reset(m_stmt);
    m_db.fail(rc, QString());
}

void TSqlStatement::run()
{
    while (step()) {
    }
}

void TSqlStatement::reset()
{
    sqlite3_reset(m_stmt);
}

int TSqlStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

void TSqlStatement::checkColumn(int column) const
{
    if (column < 0 || column >= sqlite3_data_count(m_stmt))
        throw EListError(QStringLiteral("Column %1 is out of range (%2 columns) in \"%3\"")
                             .arg(column)
                             .arg(sqlite3_data_count(m_stmt))
                             .arg(m_sql));
}

bool TSqlStatement::isNull(int column) const
{
    checkColumn(column);
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QString TSqlStatement::text(int column) const
{
    checkColumn(column);
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column));
}

qint64 TSqlStatement::integer(int column) const
{
    checkColumn(column);
    return sqlite3_column_int64(m_stmt, column);
}

QVariant TSqlStatement::value(int column) const
{
    checkColumn(column);
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(m_stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_stmt, column);
    case SQLITE_BLOB: {
        const auto *p = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        return QByteArray(p, sqlite3_column_bytes(m_stmt, column));
    }
    case SQLITE_TEXT:
        return text(column);
    default:
        return {};
    }
}

TSqlTransaction::TSqlTransaction(TSqlDatabase &db)
    : m_db(db)
{
    m_db.exec(QStringLiteral("BEGIN"));
}

TSqlTransaction::~TSqlTransaction()
{
    if (m_open)
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TSqlTransaction::commit()
{
    m_db.exec(QStringLiteral("COMMIT"));
    m_open = false;
}

QString sqlName(const QString &name)
{
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}
