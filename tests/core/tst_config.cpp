#include "appdir.h"
#include "config.h"
#include "inifile.h"
#include "scratchdir.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTest>

class TstConfig : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void firstStartDefaults();
    void fileSize_data();
    void fileSize();
    void roundTrip_data();
    void roundTrip();
    void foreignNumberFormatReadsAsDefault();
    void unknownKeysSurvive();
    void unreadableFileThrows();
};

void TstConfig::firstStartDefaults()
{
    TScratchDir dir;
    TConfig c;
    c.Load();
    QCOMPARE(c.Language, QStringLiteral("English"));
    QCOMPARE(c.LastPADPath, AppDir());
    QCOMPARE(c.LastArcPath, AppDir());
    QCOMPARE(c.FileSize, QStringLiteral("0"));
    QCOMPARE(c.FileSizeK, QStringLiteral("0"));
    QCOMPARE(c.Install, QStringLiteral("None"));
    QCOMPARE(c.FileDate, QDate::currentDate());
    QCOMPARE(c.ExpireDate, QDate::currentDate());
    QCOMPARE(c.SiteVer, 1.0);
    QVERIFY(c.SiteEffects);

    c.Save();
    const QList<QByteArray> lines = dir.read(QStringLiteral("kelsprint.ini")).split('\n');
    QStringList sections, keys;
    for (const QByteArray &l : lines) {
        if (l.startsWith('['))
            sections << QString::fromUtf8(l);
        else if (l.contains('='))
            keys << QString::fromUtf8(l.left(l.indexOf('=')));
    }
    QCOMPARE(sections, (QStringList{u"[Config]"_qs, u"[Company]"_qs, u"[LastProgram]"_qs, u"[Options]"_qs}));
    QCOMPARE(keys.join(u','),
             QStringLiteral("LastPADPath,LastArcPath,Language,"
                            "Company,WebSite,EMail,Contact,ContactEMail,TelNo,Addr1,Addr2,City,State,Country,Postal,"
                            "ProgramName,Version,ProgUrl,Keywords,FileSize,Price,License,OS,Install,TrialPeriod,"
                            "ScreenUrl,IconUrl,DLUrl1,DLUrl2,DLUrl3,DLUrl4,PADUrl,SysReq,Limitations,RevNotes,"
                            "Desc45,Desc80,Desc250,Desc450,Desc800,dteFile,dteExpire,SiteVer"));
    QCOMPARE(keys.size(), 43);
}

void TstConfig::fileSize_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("sizeK");
    QTest::newRow("empty value") << QByteArray("FileSize=") << "0" << "0";
    QTest::newRow("1023") << QByteArray("FileSize=1023") << "1023" << "0";
    QTest::newRow("1024") << QByteArray("FileSize=1024") << "1024" << "1";
    QTest::newRow("2047") << QByteArray("FileSize=2047") << "2047" << "1";
    QTest::newRow("2048") << QByteArray("FileSize=2048") << "2048" << "2";
    QTest::newRow("negative toward zero") << QByteArray("FileSize=-1500") << "-1500" << "-1";
    QTest::newRow("plus sign") << QByteArray("FileSize=+4096") << "+4096" << "4";
    QTest::newRow("not a number") << QByteArray("FileSize=12 MB") << "0" << "0";
}

void TstConfig::fileSize()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, size);
    QFETCH(QString, sizeK);
    TScratchDir dir;
    dir.write(QStringLiteral("kelsprint.ini"), "[LastProgram]\n" + line + "\nPrice=9.95\n[Options]\nSiteVer=3\n");
    TConfig c;
    c.Load();
    QCOMPARE(c.FileSize, size);
    QCOMPARE(c.FileSizeK, sizeK);
    // Whatever the size, the rest of the file is read.
    QCOMPARE(c.Price, QStringLiteral("9.95"));
    QCOMPARE(c.SiteVer, 3.0);
}

void TstConfig::roundTrip_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("dateText");
    QTest::addColumn<QByteArray>("verText");
    QTest::newRow("US") << "en_US" << QByteArray("12/31/2001") << QByteArray("1.1");
    QTest::newRow("German") << "de_DE" << QByteArray("31.12.2001") << QByteArray("1,1");
}

void TstConfig::roundTrip()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, dateText);
    QFETCH(QByteArray, verText);
    QLocale::setDefault(QLocale(locale));
    TScratchDir dir;
    TConfig c;
    c.Load();
    c.FileDate = QDate(2001, 12, 31);
    c.ExpireDate = QDate(2002, 1, 5);
    c.SiteVer = 1.1;
    c.Company = QStringLiteral("O'Brien \"Soft\" & Söhne");
    c.Desc250 = QStringLiteral("first line\r\nsecond line");
    c.Desc800 = QString(3000, u'x');
    c.SiteEffects = false;
    c.Save();
    const QByteArray file = dir.read(QStringLiteral("kelsprint.ini"));
    QVERIFY(file.contains("dteFile=" + dateText + "\n"));
    QVERIFY(file.contains("SiteVer=" + verText + "\n"));

    TConfig back;
    back.Load();
    QCOMPARE(back.FileDate, QDate(2001, 12, 31));
    QCOMPARE(back.ExpireDate, QDate(2002, 1, 5));
    QCOMPARE(back.SiteVer, 1.1);
    QCOMPARE(back.Company, c.Company);
    QCOMPARE(back.Desc250, QStringLiteral("first line"));
    QCOMPARE(back.Desc800, QString(2047, u'x'));
    QVERIFY(back.SiteEffects);
}

void TstConfig::foreignNumberFormatReadsAsDefault()
{
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    TScratchDir dir;
    dir.write(QStringLiteral("kelsprint.ini"), "[Options]\nSiteVer=1.5\n[LastProgram]\ndteFile=12/31/2001\n");
    TConfig c;
    c.Load();
    QCOMPARE(c.SiteVer, 1.0);
    QCOMPARE(c.FileDate, QDate::currentDate());
    // Not finite is not a number either: "inf" would block every later update.
    dir.write(QStringLiteral("kelsprint.ini"), "[Options]\nSiteVer=inf\n");
    c.Load();
    QCOMPARE(c.SiteVer, 1.0);
}

void TstConfig::unknownKeysSurvive()
{
    TScratchDir dir;
    dir.write(QStringLiteral("kelsprint.ini"),
              "[Extra]\nFoo=bar\n[Options]\nUpdateUrl=http://127.0.0.1:8080\nSiteVer=2\n[Config]\nMine=1\n");
    TConfig c;
    c.Load();
    c.Save();
    const TIniFile ini(dir.file(QStringLiteral("kelsprint.ini")));
    QCOMPARE(ini.readString(u"Extra"_qs, u"Foo"_qs, {}), QStringLiteral("bar"));
    QCOMPARE(ini.readString(u"Options"_qs, u"UpdateUrl"_qs, {}), QStringLiteral("http://127.0.0.1:8080"));
    QCOMPARE(ini.readString(u"Config"_qs, u"Mine"_qs, {}), QStringLiteral("1"));
    QCOMPARE(ini.readString(u"Options"_qs, u"SiteVer"_qs, {}), QStringLiteral("2"));
}

void TstConfig::unreadableFileThrows()
{
    TScratchDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("kelsprint.ini")));
    TConfig c;
    QVERIFY_THROWS_EXCEPTION(std::exception, c.Load());
    QVERIFY_THROWS_EXCEPTION(std::exception, c.Save());
    QVERIFY(QFileInfo(dir.file(QStringLiteral("kelsprint.ini"))).isDir());
}

QTEST_APPLESS_MAIN(TstConfig)
#include "tst_config.moc"
