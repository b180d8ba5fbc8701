#include "appdir.h"

#include <QDir>

namespace {
QString g_appDir;
}

QString AppDir()
{
    return g_appDir;
}

void setAppDir(const QString &dir)
{
    QString d = QDir::fromNativeSeparators(QDir(dir).absolutePath());
    if (!d.endsWith(u'/'))
        d += u'/';
    g_appDir = d;
}
