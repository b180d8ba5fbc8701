#include "translatemsg.h"

#include "config.h"

namespace {
std::function<QString(const QString &)> g_lookup;
}

QString TranslateMsg(const QString &text)
{
    if (!AppConfig || AppConfig->Language == QLatin1String("English") || !g_lookup)
        return text;
    return g_lookup(text);
}

void setMessageLookup(std::function<QString(const QString &)> lookup)
{
    g_lookup = std::move(lookup);
}
