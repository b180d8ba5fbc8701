#include "localeformat.h"

#include <QLocale>
#include <cmath>

namespace {

QLocale numberLocale()
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return l;
}

} // namespace

QString shortDateFormat()
{
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

QString formatShortDate(const QDate &date)
{
    return QLocale().toString(date, shortDateFormat());
}

QDate parseShortDate(const QString &text)
{
    if (text.isEmpty())
        return {};
    return QLocale().toDate(text, shortDateFormat());
}

QString formatLocaleNumber(double value)
{
    return numberLocale().toString(value, 'g', 15);
}

double parseLocaleNumber(const QString &text, double def)
{
    bool ok = false;
    const double v = numberLocale().toDouble(text, &ok);
    // "inf" and "nan" parse, but are no numbers a version can be compared with.
    return ok && std::isfinite(v) ? v : def;
}
