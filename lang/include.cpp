#include "include.h"

#include "dialogs.h"
#include "errors.h"
#include "textfile.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

QString FileNameNoExt(const QString &fileName)
{
    qsizetype start = fileName.size();
    while (start > 0) {
        const QChar c = fileName[start - 1];
        if (c == u'/' || c == u'\\' || c == u':')
            break;
        --start;
    }
    const QString name = fileName.mid(start);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString HtmlDecode(const QString &text)
{
    // "&amp;" goes first, so an entity whose ampersand is itself escaped
    // ("&amp;lt;") is decoded twice, down to "<".
    static const std::pair<QLatin1String, QLatin1String> entities[] = {
        {QLatin1String("&amp;"), QLatin1String("&")},
        {QLatin1String("&quot;"), QLatin1String("\"")},
        {QLatin1String("&nbsp;"), QLatin1String(" ")},
        {QLatin1String("&lt;"), QLatin1String("<")},
        {QLatin1String("&gt;"), QLatin1String(">")},
        {QLatin1String("&apos;"), QLatin1String("'")},
    };
    QString out = text;
    for (const auto &[entity, replacement] : entities)
        out.replace(entity, replacement, Qt::CaseInsensitive);
    return out;
}

QString GetTagValue(const QStringList &lines, int index)
{
    auto lineAt = [&lines](qsizetype i) -> const QString & {
        if (i < 0 || i >= lines.size())
            throw EListError(QStringLiteral("List index out of bounds (%1): the text has %2 lines and "
                                            "no closing tag was found before its end")
                                 .arg(i)
                                 .arg(lines.size()));
        return lines.at(i);
    };

    qsizetype i = index;
    QString text = lineAt(i);
    while (!lineAt(i).contains(QLatin1String("</"))) {
        ++i;
        text += lineAt(i);
    }
    text = trimBlanks(text);
    if (text.contains(QLatin1String(" />")))
        return {};
    // Without a ">" the value starts at the beginning of the text.
    const qsizetype open = text.indexOf(u'>');
    const qsizetype close = text.indexOf(QLatin1String("</"));
    return close > open ? HtmlDecode(text.mid(open + 1, close - open - 1)) : QString();
}

QDate IsoStrToDate(const QString &text)
{
    // An explicit format reads the same under every locale and leaves the
    // user's date settings alone.
    const QDate date = QDate::fromString(trimBlanks(text), QStringLiteral("yyyy-M-d"));
    if (!date.isValid())
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
    return date;
}

bool LaunchUrl(const QString &url, bool ask)
{
    if (ask && !Dialogs().question(QGuiApplication::applicationDisplayName(),
                                   TranslateMsg(QStringLiteral("Connect to the Internet now?"))))
        return false;
    if (QDesktopServices::openUrl(QUrl::fromUserInput(url)))
        return true;
    Dialogs().message(TranslateMsg(QStringLiteral("Launch Error")),
                      TranslateMsg(QStringLiteral("Could not start your Internet browser")),
                      TDialogs::Icon::None);
    return false;
}
