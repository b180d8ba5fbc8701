#pragma once

// The text functions the whole program shares. AppDir and TranslateMsg live
// in the core (the data store needs them too) and are offered here as well.
#include "appdir.h"
#include "fields.h"
#include "translatemsg.h"

#include <QDate>
#include <QString>
#include <QStringList>

// The file name of a path without its folder and without its extension:
// "/" and "\" both separate folders, and a drive colon ends the folder part
// too. A name without a point comes back whole.
QString FileNameNoExt(const QString &fileName);

// Replaces &amp; &quot; &nbsp; &lt; &gt; &apos; in that order, ignoring case.
QString HtmlDecode(const QString &text);

// The value of the element whose opening tag is on lines[index]: lines are
// joined (without anything in between) up to the first one holding "</", the
// text between the first ">" and the first "</" is taken and decoded; an
// empty-element tag (" />") gives the empty text. Running past the last line
// throws EListError.
QString GetTagValue(const QStringList &lines, int index);

// A date written year-month-day ("2001-07-15", also "2001-7-5"), whatever the
// user's regional settings. Throws EConvertError "'<text>' is not a valid
// date".
QDate IsoStrToDate(const QString &text);

// Opens url in the user's browser. With ask set, the user is asked first and
// anything but Yes gives false. A browser that cannot be started is reported
// in a box and gives false.
bool LaunchUrl(const QString &url, bool ask);
