#include "datafixture.h"

#include "sqlite.h"

TDataFixture::TDataFixture()
{
    AppConfig = &config;
}

TDataFixture::~TDataFixture()
{
    AppConfig = nullptr;
}

void sqlExec(const QString &file, const QString &sql)
{
    TSqlDatabase db(file);
    db.exec(sql);
}

QStringList sqlColumn(const QString &file, const QString &sql)
{
    TSqlDatabase db(file);
    TSqlStatement q(db, sql);
    QStringList out;
    while (q.step())
        out << q.text(0);
    return out;
}

QString sqlValue(const QString &file, const QString &sql)
{
    return sqlColumn(file, sql).value(0);
}
