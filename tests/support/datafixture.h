#pragma once

#include "config.h"
#include "scratchdir.h"
#include "scripteddialogs.h"

#include <QStringList>

// A fresh working folder (also AppDir), scripted dialogs and an AppConfig of
// its own, for a data module under test.
struct TDataFixture
{
    TScratchDir dir;
    TScriptedDialogs dialogs;
    TConfig config;
    TDataFixture();
    ~TDataFixture();
    TDataFixture(const TDataFixture &) = delete;
    TDataFixture &operator=(const TDataFixture &) = delete;
};

// Runs statements on a table file, on a connection of their own.
void sqlExec(const QString &file, const QString &sql);
// The first column of every row of a query, as text.
QStringList sqlColumn(const QString &file, const QString &sql);
// The first column of the first row, as text.
QString sqlValue(const QString &file, const QString &sql);
