#include "inifile.h"
#include "scratchdir.h"

#include <QDir>
#include <QTest>

class TstIniFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void writeKeepsEverythingElse();
    void writeCutsAtLineBreak();
    void windows1252File();
    void unreadableFileReportsError();
};

void TstIniFile::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("names ignore case") << QByteArray("[Sec]\nKey=v\n") << "sEC" << "kEY" << "v";
    QTest::newRow("blanks trimmed") << QByteArray("[ Sec ]\n  Key  =  a b \t\n") << "Sec" << "Key" << "a b";
    QTest::newRow("double quotes removed") << QByteArray("[S]\nK=\" x \"\n") << "S" << "K" << " x ";
    QTest::newRow("single quotes removed") << QByteArray("[S]\nK='y'\n") << "S" << "K" << "y";
    QTest::newRow("unmatched quote kept") << QByteArray("[S]\nK=\"y'\n") << "S" << "K" << "\"y'";
    QTest::newRow("first of two keys") << QByteArray("[S]\nK=1\nk=2\n") << "S" << "K" << "1";
    QTest::newRow("first '=' splits") << QByteArray("[S]\nK=a=b\n") << "S" << "K" << "a=b";
    QTest::newRow("key of other section") << QByteArray("[A]\nK=1\n[B]\nX=2\n") << "B" << "K" << "<def>";
    QTest::newRow("missing section") << QByteArray("[A]\nK=1\n") << "C" << "K" << "<def>";
    QTest::newRow("CRLF lines") << QByteArray("[S]\r\nK=v\r\nL=w\r\n") << "S" << "L" << "w";
    QTest::newRow("empty value") << QByteArray("[S]\nK=\n") << "S" << "K" << "";
    QTest::newRow("utf-8 text") << QByteArray("[S]\nK=Gr\xC3\xBC\xC3\x9F" "e\n") << "S" << "K"
                                << QString::fromUtf8("Grüße");
}

void TstIniFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TScratchDir dir;
    dir.write(QStringLiteral("t.ini"), file);
    const TIniFile ini(dir.file(QStringLiteral("t.ini")));
    QCOMPARE(ini.readString(section, key, QStringLiteral("<def>")), expected);
}

void TstIniFile::writeKeepsEverythingElse()
{
    TScratchDir dir;
    dir.write(QStringLiteral("t.ini"),
              "; a comment\n[A]\nOne=1\nstray line\nTwo=2\n\n[B]\nX=x\n");
    TIniFile ini(dir.file(QStringLiteral("t.ini")));
    ini.writeString(QStringLiteral("a"), QStringLiteral("TWO"), QStringLiteral("22"));
    ini.writeString(QStringLiteral("A"), QStringLiteral("Three"), QStringLiteral("3"));
    ini.writeString(QStringLiteral("C"), QStringLiteral("New"), QString(3000, u'z'));
    ini.save();
    QCOMPARE(dir.read(QStringLiteral("t.ini")),
             QByteArray("; a comment\n[A]\nOne=1\nstray line\nTWO=22\nThree=3\n\n[B]\nX=x\n\n[C]\nNew=")
                 + QByteArray(3000, 'z') + "\n");
    const TIniFile back(dir.file(QStringLiteral("t.ini")));
    QCOMPARE(back.readString(QStringLiteral("c"), QStringLiteral("new"), {}), QString(2047, u'z'));
}

void TstIniFile::writeCutsAtLineBreak()
{
    TScratchDir dir;
    TIniFile ini(dir.file(QStringLiteral("t.ini")));
    ini.writeString(QStringLiteral("S"), QStringLiteral("Desc"), QStringLiteral("first\r\n[Options]\nSiteVer=9"));
    ini.save();
    QCOMPARE(dir.read(QStringLiteral("t.ini")), QByteArray("[S]\nDesc=first\n"));
}

void TstIniFile::windows1252File()
{
    TScratchDir dir;
    dir.write(QStringLiteral("t.ini"), "[S]\r\nK=Caf\xE9 \x80 \x93ok\x94\r\n");
    TIniFile ini(dir.file(QStringLiteral("t.ini")));
    QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("K"), {}),
             QString::fromUtf8("Café € “ok”"));
    // Written back as UTF-8, keeping the file's line ends.
    ini.writeString(QStringLiteral("S"), QStringLiteral("L"), QStringLiteral("x"));
    ini.save();
    QCOMPARE(dir.read(QStringLiteral("t.ini")), QByteArray("[S]\r\nK=Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cok\xE2\x80\x9D\r\nL=x\r\n"));
}

void TstIniFile::unreadableFileReportsError()
{
    TScratchDir dir;
    // A folder in the file's place cannot be read as a file.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("t.ini")));
    const TIniFile ini(dir.file(QStringLiteral("t.ini")));
    QVERIFY(!ini.readError().isEmpty());
    QVERIFY_THROWS_EXCEPTION(std::exception, ini.save());
}

QTEST_APPLESS_MAIN(TstIniFile)
#include "tst_inifile.moc"
