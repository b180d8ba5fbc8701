#include "config.h"
#include "errors.h"
#include "include.h"
#include "scripteddialogs.h"

#include <QDesktopServices>
#include <QLocale>
#include <QTest>
#include <QUrl>

// Takes the addresses the program asks the system to open, so no browser starts.
class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    TUrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open"); }
    ~TUrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class TstTextHelpers : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void fileNameNoExt_data();
    void fileNameNoExt();
    void getField_data();
    void getField();
    void htmlDecode_data();
    void htmlDecode();
    void getTagValue_data();
    void getTagValue();
    void getTagValuePastTheEnd_data();
    void getTagValuePastTheEnd();
    void isoStrToDate_data();
    void isoStrToDate();
    void isoStrToDateRejects_data();
    void isoStrToDateRejects();
    void launchUrl();
    void launchUrlFailure();
};

void TstTextHelpers::fileNameNoExt_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unix path") << "/opt/qs/Deutsch.lng" << "Deutsch";
    QTest::newRow("windows path") << "C:\\Program Files\\QS\\Francais.lng" << "Francais";
    QTest::newRow("mixed separators") << "C:/a\\b/My.Language.lng" << "My.Language";
    QTest::newRow("drive colon") << "C:Deutsch.lng" << "Deutsch";
    QTest::newRow("no point") << "/opt/qs/README" << "README";
    QTest::newRow("point in folder only") << "/opt/q.s/README" << "README";
    QTest::newRow("bare name") << "English.lng" << "English";
    QTest::newRow("empty") << "" << "";
}

void TstTextHelpers::fileNameNoExt()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(FileNameNoExt(path), expected);
}

void TstTextHelpers::getField_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    const QString line = QStringLiteral("a,\"b,c\",d");
    QTest::newRow("first") << line << 0 << "a";
    QTest::newRow("quoted comma stays") << line << 1 << "b,c";
    QTest::newRow("after quoted field") << line << 2 << "d";
    QTest::newRow("past the end") << line << 3 << "";
    QTest::newRow("doubled quote inside quotes") << "x,\"say \"\"hi\"\"\",y" << 1 << "say \"hi\"";
    QTest::newRow("field of two quotes") << "x,\"\",y" << 1 << "";
    QTest::newRow("field of one quote") << "x,\"" << 1 << "";
    QTest::newRow("unclosed quote takes the rest") << "\"abc,def" << 0 << "\"abc,def";
    QTest::newRow("blanks outside quotes keep them") << "x, \"b\" ,y" << 1 << "\"b\"";
    QTest::newRow("blanks inside quotes trimmed") << "x,\" b \",y" << 1 << "b";
    QTest::newRow("blanks and controls trimmed") << "x,\t b\x01 ,y" << 1 << "b";
    QTest::newRow("empty field") << "a,,c" << 1 << "";
    QTest::newRow("empty line") << "" << 0 << "";
    QTest::newRow("quote in the middle is kept") << "ab\"c,d\",e" << 0 << "ab\"c,d\"";
}

void TstTextHelpers::getField()
{
    QFETCH(QString, line);
    QFETCH(int, index);
    QFETCH(QString, expected);
    QCOMPARE(GetField(line, u',', index), expected);
}

void TstTextHelpers::htmlDecode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all six") << "&amp;&quot;&nbsp;&lt;&gt;&apos;" << "&\" <>'";
    QTest::newRow("case ignored") << "&AMP; &Lt;b&GT;" << "& <b>";
    QTest::newRow("escaped ampersand decoded twice") << "&amp;lt;" << "<";
    QTest::newRow("escaped quot") << "&amp;quot;" << "\"";
    QTest::newRow("amp only once") << "&amp;amp;" << "&amp;";
    QTest::newRow("others untouched") << "&copy; &#65; &#x41;" << "&copy; &#65; &#x41;";
    QTest::newRow("every occurrence") << "a&lt;b&lt;c" << "a<b<c";
}

void TstTextHelpers::htmlDecode()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(HtmlDecode(text), expected);
}

void TstTextHelpers::getTagValue_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one line") << QStringList{u"  <Program_Name>Zapper</Program_Name>"_qs} << 0 << "Zapper";
    QTest::newRow("spaces inside kept") << QStringList{u"<Program_Name> Zap </Program_Name>"_qs} << 0 << " Zap ";
    QTest::newRow("entities decoded") << QStringList{u"<A>Tom &amp; Jerry&apos;s</A>"_qs} << 0
                                      << "Tom & Jerry's";
    QTest::newRow("two lines joined directly")
        << QStringList{u"<Program_Desc>First line"_qs, u"second line</Program_Desc>"_qs} << 0
        << "First linesecond line";
    QTest::newRow("later line of the list") << QStringList{u"<X>"_qs, u"<B>v</B>"_qs} << 1 << "v";
    QTest::newRow("empty element") << QStringList{u"<Program_Name />"_qs, u"<Other>x</Other>"_qs} << 0 << "";
    QTest::newRow("empty element joined up to a closing tag")
        << QStringList{u"<Program_Name />"_qs, u"<A>"_qs, u"z</A>"_qs} << 0 << "";
    QTest::newRow("empty content") << QStringList{u"<A></A>"_qs} << 0 << "";
    QTest::newRow("closing tag before any >") << QStringList{u"abc</A>"_qs} << 0 << "";
    QTest::newRow("no > at all") << QStringList{u"abc</"_qs} << 0 << "abc";
}

void TstTextHelpers::getTagValue()
{
    QFETCH(QStringList, lines);
    QFETCH(int, index);
    QFETCH(QString, expected);
    QCOMPARE(GetTagValue(lines, index), expected);
}

void TstTextHelpers::getTagValuePastTheEnd_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("index");
    QTest::newRow("no closing tag") << QStringList{u"<A>x"_qs, u"y"_qs} << 0;
    QTest::newRow("index past the end") << QStringList{u"<A>x</A>"_qs} << 1;
    QTest::newRow("negative index") << QStringList{u"<A>x</A>"_qs} << -1;
    QTest::newRow("empty list") << QStringList() << 0;
}

void TstTextHelpers::getTagValuePastTheEnd()
{
    QFETCH(QStringList, lines);
    QFETCH(int, index);
    try {
        GetTagValue(lines, index);
        QFAIL("no exception");
    } catch (const EListError &e) {
        QVERIFY2(e.message().startsWith(u"List index out of bounds"), qPrintable(e.message()));
    }
}

void TstTextHelpers::isoStrToDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("two-digit parts") << "2001-07-15" << QDate(2001, 7, 15);
    QTest::newRow("one-digit parts") << "2001-7-5" << QDate(2001, 7, 5);
    QTest::newRow("blanks around") << " 2001-12-31 " << QDate(2001, 12, 31);
    QTest::newRow("leap day") << "2004-02-29" << QDate(2004, 2, 29);
}

void TstTextHelpers::isoStrToDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(IsoStrToDate(text), expected);
}

void TstTextHelpers::isoStrToDateRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty parts") << "--";
    QTest::newRow("empty") << "";
    QTest::newRow("month 13") << "2001-13-01";
    QTest::newRow("no leap day") << "2001-02-29";
    QTest::newRow("German short format") << "15.07.2001";
    QTest::newRow("two-digit year") << "01-7-15";
    QTest::newRow("trailing text") << "2001-07-15x";
}

void TstTextHelpers::isoStrToDateRejects()
{
    QFETCH(QString, text);
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    try {
        IsoStrToDate(text);
        QFAIL("no exception");
    } catch (const EConvertError &e) {
        QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid date").arg(text));
    }
    // The user's date format is untouched by the failed parse.
    QCOMPARE(QLocale(), german);
    QCOMPARE(QLocale().toDate(u"15.07.2001"_qs, u"dd.MM.yyyy"_qs), QDate(2001, 7, 15));
}

void TstTextHelpers::launchUrl()
{
    TScriptedDialogs dialogs;
    TUrlCatcher catcher;

    QVERIFY(LaunchUrl(u"http://example.com/kelsprint.html"_qs, false));
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl(u"http://example.com/kelsprint.html"_qs)});
    QVERIFY(dialogs.calls.isEmpty());

    // Asked first: No opens nothing, Yes opens.
    catcher.opened.clear();
    dialogs.questionAnswers << false << true;
    QVERIFY(!LaunchUrl(u"http://example.com/"_qs, true));
    QVERIFY(catcher.opened.isEmpty());
    QVERIFY(LaunchUrl(u"http://example.com/"_qs, true));
    QCOMPARE(catcher.opened.size(), 1);
    QCOMPARE(dialogs.calls.size(), 2);
    QCOMPARE(dialogs.calls.at(0).text, u"Connect to the Internet now?"_qs);
    QCOMPARE(dialogs.calls.at(0).icon, TDialogs::Icon::Question);
}

void TstTextHelpers::launchUrlFailure()
{
    TScriptedDialogs dialogs;
    TUrlCatcher catcher;
    // An empty address cannot be opened by any browser.
    QVERIFY(!LaunchUrl(QString(), false));
    QCOMPARE(dialogs.texts(), QStringList{u"Launch Error|Could not start your Internet browser"_qs});
    QVERIFY(catcher.opened.isEmpty());
}

QTEST_MAIN(TstTextHelpers)
#include "tst_texthelpers.moc"
