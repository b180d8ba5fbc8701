#include "exini.h"
#include "lines.h"
#include "posix/profiletext.h"
#include "scriptedplatform.h"

#include <QTest>

class TstUninstallConfig : public QObject
{
    Q_OBJECT

private slots:
    void extractField_data();
    void extractField();
    void read_data();
    void read();
    void write_data();
    void write();
    void keyNames();
    void readSectionValues_data();
    void readSectionValues();
    void writeRefused();
    void writtenValueReadsBack_data();
    void writtenValueReadsBack();
};

void TstUninstallConfig::extractField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("field");

    QTest::newRow("second field") << "Group;app.exe;App" << 1 << "app.exe";
    QTest::newRow("first field") << "Group;app.exe" << 0 << "Group";
    QTest::newRow("last field") << "a;b;c" << 2 << "c";
    QTest::newRow("one field only") << "app.exe" << 1 << "";
    QTest::newRow("empty text") << "" << 1 << "";
    QTest::newRow("quoted field holding ;") << "G;\"my;file.txt\";x" << 1 << "my;file.txt";
    QTest::newRow("quoted first field holding ;") << "\"a;b\";c" << 1 << "c";
    QTest::newRow("quotes inside kept") << "G;a\"b;c\"d;x" << 1 << "a\"b;c\"d";
    QTest::newRow("doubled quotes are no escape") << "G;\"a\"\"b\";x" << 1 << "a\"\"b";
    QTest::newRow("blanks removed") << "G; \t app.exe \r;x" << 1 << "app.exe";
    // Quotes come off before blanks: with blanks outside they stay.
    QTest::newRow("blanks outside quotes") << "G; \"a;b\" ;x" << 1 << "\"a;b\"";
    QTest::newRow("unclosed quote runs to end") << "G;\"a;b" << 1 << "\"a;b";
    QTest::newRow("single quote character") << "G;\";x" << 1 << "\";x";
    QTest::newRow("empty field") << "G;;x" << 1 << "";
}

void TstUninstallConfig::extractField()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(QString, field);
    QCOMPARE(QString::fromStdString(ExtractField(text.toStdString(), ';', index)), field);
}

void TstUninstallConfig::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");   // null: missing

    QTest::newRow("names ignore case") << QByteArray("[Settings]\nAppName=X\n") << "SETTINGS" << "appname" << "X";
    QTest::newRow("blanks trimmed") << QByteArray(" [ S ] \n  K  =  a b \t\n") << "S" << "K" << "a b";
    QTest::newRow("double quotes removed") << QByteArray("[S]\nK=\" x \"\n") << "S" << "K" << " x ";
    QTest::newRow("single quotes removed") << QByteArray("[S]\nK='x'\n") << "S" << "K" << "x";
    QTest::newRow("unmatched quotes kept") << QByteArray("[S]\nK=\"x'\n") << "S" << "K" << "\"x'";
    QTest::newRow("first of two keys") << QByteArray("[S]\nK=1\nk=2\n") << "S" << "K" << "1";
    QTest::newRow("first '=' splits") << QByteArray("[S]\nK=a=b\n") << "S" << "K" << "a=b";
    QTest::newRow("CRLF lines") << QByteArray("[S]\r\nK=v\r\n") << "S" << "K" << "v";
    QTest::newRow("empty value") << QByteArray("[S]\nK=\n") << "S" << "K" << "";
    QTest::newRow("2047 characters") << "[S]\nK=" + QByteArray(3000, 'z') << "S" << "K" << QString(2047, u'z');
    QTest::newRow("key of other section") << QByteArray("[A]\nK=1\n[B]\n") << "B" << "K" << QString();
    QTest::newRow("line without '='") << QByteArray("[S]\nK\n") << "S" << "K" << QString();
    QTest::newRow("before any section") << QByteArray("K=1\n[S]\n") << "S" << "K" << QString();
    QTest::newRow("empty file") << QByteArray() << "S" << "K" << QString();
}

void TstUninstallConfig::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const std::optional<std::string> got = TProfileText(file.toStdString()).value(section.toStdString(), key.toStdString());
    QCOMPARE(got.has_value(), !value.isNull());
    QCOMPARE(QString::fromStdString(got.value_or("")), value.isNull() ? QString() : value);
}

void TstUninstallConfig::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("replaces in place, keeps the rest")
        << QByteArray("; note\n[Settings]\nAppName=App\nappPATH = /old\nstray\n\n[Icons]\n1=x\n") << "SETTINGS"
        << "AppPath" << "/inst/App"
        << QByteArray("; note\n[Settings]\nAppName=App\nAppPath=/inst/App\nstray\n\n[Icons]\n1=x\n");
    QTest::newRow("new key at end of section")
        << QByteArray("[Settings]\r\nAppName=App\r\n\r\n[Icons]\r\n") << "Settings" << "AppPath" << "/a"
        << QByteArray("[Settings]\r\nAppName=App\r\nAppPath=/a\r\n\r\n[Icons]\r\n");
    QTest::newRow("new section at end") << QByteArray("[Icons]\n1=x") << "Settings" << "AppPath" << "/a"
                                        << QByteArray("[Icons]\n1=x\n\n[Settings]\nAppPath=/a\n");
    QTest::newRow("new file") << QByteArray() << "Settings" << "AppPath" << "/a"
                              << QByteArray("[Settings]\nAppPath=/a\n");
    QTest::newRow("line break cut off") << QByteArray() << "Settings" << "AppPath"
                                        << "/a\n[UnRegistry]\nOpenKey=Software"
                                        << QByteArray("[Settings]\nAppPath=/a\n");
}

void TstUninstallConfig::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    TProfileText ini(before.toStdString());
    ini.write(section.toStdString(), key.toStdString(), value.toStdString());
    QCOMPARE(QByteArray::fromStdString(ini.text()), after);
}

void TstUninstallConfig::keyNames()
{
    const TProfileText ini("[Icons]\n b = 1\nnot a key\nA=\nb=2\n[Other]\nc=3\n");
    QCOMPARE(Lines(ini.keyNames("icons")), Lines({"b", "A", "b"}));
    QVERIFY(ini.keyNames("missing").empty());

    // No more than 16 KB of names, each counted with its terminating zero.
    std::string many = "[S]\n";
    for (int i = 0; i < 3000; ++i)
        many += "key" + std::to_string(1000 + i) + "=v\n";
    const std::vector<std::string> names = TProfileText(many).keyNames("S");
    QCOMPARE(names.size(), std::size_t(16 * 1024 / 8 - 1));
    QCOMPARE(names.back(), "key" + std::to_string(1000 + 2046));
}

void TstUninstallConfig::readSectionValues_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("file order") << QByteArray("[Icons]\nb=2\na=1\n") << QStringList()
                                << Lines({"b=2", "a=1"});
    QTest::newRow("empty value left out") << QByteArray("[Icons]\na=\nb=2\n") << QStringList()
                                          << Lines({"b=2"});
    QTest::newRow("key twice: first value, once")
        << QByteArray("[Icons]\na=1\nb=2\nA=3\n") << QStringList() << Lines({"A=1", "b=2"});
    QTest::newRow("merged into the list")
        << QByteArray("[Icons]\nB=new\nc=\nd=4\n") << Lines({"a=x", "b=old", "C=gone"})
        << Lines({"a=x", "B=new", "d=4"});
    QTest::newRow("quotes and blanks as read") << QByteArray("[Icons]\n k = \" G;x \" \n") << QStringList()
                                               << Lines({"k= G;x "});
    QTest::newRow("missing section") << QByteArray("[Other]\na=1\n") << Lines({"z=1"}) << Lines({"z=1"});
}

void TstUninstallConfig::readSectionValues()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    TScriptedPlatform p;
    p.files["/c.cfg"] = file.toStdString();
    std::vector<std::string> list;
    for (const QString &line : before)
        list.push_back(line.toStdString());
    TExInifile(p, "/c.cfg").ReadSectionValues("ICONS", list);
    QCOMPARE(Lines(list), after);
}

void TstUninstallConfig::writeRefused()
{
    TScriptedPlatform p;
    p.files["/inst/install.cfg"] = "[Settings]\nAppPath=/old\n";
    p.locked.insert("/inst/install.cfg");
    TExInifile ini(p, "/inst/install.cfg");
    try {
        ini.WriteString("Settings", "AppPath", "/inst");
        QFAIL("no error");
    } catch (const std::runtime_error &e) {
        QCOMPARE(std::string(e.what()), std::string("Unable to write to /inst/install.cfg"));
    }
    QCOMPARE(ini.ReadString("Settings", "AppPath", "def"), std::string("/old"));
    QCOMPARE(ini.ReadString("Settings", "Missing", "def"), std::string("def"));
}

void TstUninstallConfig::writtenValueReadsBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QByteArray>("line");   // the line written, when it matters

    QTest::newRow("plain") << "/inst/App" << false << QByteArray("AppPath=/inst/App\n");
    // Read without quotes, these would name another folder.
    QTest::newRow("final blank") << "/inst/App " << false << QByteArray("AppPath=\"/inst/App \"\n");
    QTest::newRow("leading blank") << " /inst/App" << false << QByteArray();
    QTest::newRow("double quotes around") << "\"/inst/App\"" << false << QByteArray();
    QTest::newRow("single quotes around") << "'App'" << false << QByteArray();
    QTest::newRow("one quote kept as it is") << "/inst/'App" << false << QByteArray("AppPath=/inst/'App\n");
    QTest::newRow("2047 characters") << QString(2047, u'a') << false << QByteArray();
    // These cannot be read back at all.
    QTest::newRow("line break") << "/inst/App\n[UnRegistry]" << true << QByteArray();
    QTest::newRow("carriage return") << "/inst/A\rpp" << true << QByteArray();
    QTest::newRow("2048 characters") << QString(2048, u'a') << true << QByteArray();
}

void TstUninstallConfig::writtenValueReadsBack()
{
    QFETCH(QString, value);
    QFETCH(bool, refused);
    QFETCH(QByteArray, line);

    TScriptedPlatform p;
    p.files["/inst/install.cfg"] = "[Settings]\nAppPath=/old\n";
    TExInifile ini(p, "/inst/install.cfg");
    std::string error;
    try {
        ini.WriteString("Settings", "AppPath", value.toStdString());
    } catch (const std::runtime_error &e) {
        error = e.what();
    }
    QCOMPARE(error, refused ? std::string("Unable to write to /inst/install.cfg") : std::string());
    QCOMPARE(ini.ReadString("Settings", "AppPath", "def"), refused ? std::string("/old") : value.toStdString());
    if (!line.isEmpty())
        QCOMPARE(QByteArray::fromStdString(p.files.at("/inst/install.cfg")), "[Settings]\n" + line);
}

QTEST_APPLESS_MAIN(TstUninstallConfig)
#include "tst_uninstallconfig.moc"
