#pragma once

#include <QDate>
#include <QString>

// Dates and numbers as the user's regional settings write them (QLocale()).
// The short date format always carries a four-digit year: Qt's short formats
// often use two digits, which would read 2001 back as 1901.
QString shortDateFormat();
QString formatShortDate(const QDate &date);
// An invalid QDate when the text is not a date in the short format.
QDate parseShortDate(const QString &text);

// Shortest decimal form with up to 15 significant digits, the locale's
// decimal separator and no group separators.
QString formatLocaleNumber(double value);
// def when the text is empty, not a number in the locale's format, or not
// finite ("inf", "nan").
double parseLocaleNumber(const QString &text, double def);
