#include "config.h"
#include "include.h"
#include "inifile.h"
#include "language.h"
#include "pathlists.h"
#include "scratchdir.h"
#include "scripteddialogs.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

namespace {

// Every text the program passes to TranslateMsg ("Version" serves both the
// about box and the data selector).
const QStringList kMessageKeys = {
    u"Version"_qs, u"Build"_qs,
    u"Company"_qs, u"WebSite"_qs, u"EMail"_qs, u"Contact"_qs, u"ContactEMail"_qs, u"TelNo"_qs,
    u"Addr1"_qs, u"Addr2"_qs, u"City"_qs, u"State"_qs, u"Country"_qs, u"Postal"_qs, u"Program"_qs,
    u"ProgUrl"_qs, u"Buy Url"_qs, u"Keywords"_qs, u"File size"_qs, u"File size KB"_qs,
    u"File date"_qs, u"Price"_qs, u"License"_qs, u"OS"_qs, u"Install"_qs, u"Trial period"_qs,
    u"Expire date"_qs, u"Screen Url"_qs, u"Icon Url"_qs, u"DL Url1"_qs, u"DL Url2"_qs,
    u"DL Url3"_qs, u"DL Url4"_qs, u"PAD Url"_qs, u"Sys req"_qs, u"Limitations"_qs,
    u"Rev notes"_qs, u"Desc45"_qs, u"Desc80"_qs, u"Desc250"_qs, u"Desc450"_qs, u"Desc800"_qs,
    u"quorvane friendly"_qs, u"PAD enabled"_qs, u"blacklists authors for the views they express"_qs,
    u"PAD Files|*.Xml|Text Files|*.TXT|All Files|*.*"_qs,
    u"Zip Files|*.Zip|Executable Files|*.Exe|All Files|*.*"_qs, u"does not exist."_qs,
    u"Enter new program name:"_qs, u"Add program"_qs, u"Company data has changed, save now?"_qs,
    u"Program data has changed, save now?"_qs,
    u"Kelsprint version"_qs, u"is now available."_qs, u"Site data updated"_qs,
    u"Your site data is up to date."_qs, u"Loading"_qs, u"Received"_qs, u"bytes"_qs, u"Failed"_qs,
    u"Connect to the Internet now?"_qs, u"Could not start your Internet browser"_qs, u"Launch Error"_qs,
    u"Extract Error"_qs, u"Could not extract"_qs,
};

// The keys of each section as written in the file, in order.
QMap<QString, QStringList> keysBySection(const QString &text)
{
    QMap<QString, QStringList> out;
    QString section;
    for (const QString &raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'['))
            section = line.mid(1, line.indexOf(u']') - 1);
        else if (!line.isEmpty() && !line.startsWith(u';') && line.contains(u'='))
            out[section] << line.left(line.indexOf(u'=')).trimmed();
    }
    return out;
}

QStringList allPaths()
{
    QStringList out;
    for (const QString &window : LanguageWindows())
        out += LanguagePaths(window);
    return out;
}

// A language file made for the original program on a Western Windows system:
// Windows-1252 bytes, CR LF line ends, component paths as the program names them.
const QByteArray kOriginalFile =
    "; Deutsch f\xFCr Kelsprint\r\n"
    "[Translations]\r\n"
    "frmConfig.Caption=Einstellungen\r\n"
    "frmConfig.File1.Caption=&Datei\r\n"
    "frmConfig.Exit1.Caption=&Beenden\r\n"
    "frmConfig.Program1.Caption=&Programm\r\n"
    "frmConfig.NewProgram1.Caption=&Neues Programm\r\n"
    "frmConfig.tabProgram.Caption=Programmdaten\r\n"
    "frmConfig.Label19.Caption=Lizenz:\r\n"
    "frmConfig.Label30.Caption=Einschr\xE4nkungen:\r\n"
    "frmConfig.cboLicense.Items=Zeitlich begrenzte Testversion;Funktionsbeschr\xE4nkte Demo;Freeware;Nagware;Adware\r\n"
    "frmConfig.cboInstall.Items=Keine;Installation;Installation und Deinstallation\r\n"
    "frmSites.Caption=Website-Auswahl\r\n"
    "frmSites.ToolButton3.Hint=Einreichungsseite \xF6" "ffnen\r\n"
    "frmSites.Navigate1.Caption=&Navigieren\r\n"
    "\r\n"
    "[Messages]\r\n"
    "Add program=Programm hinzuf\xFCgen\r\n"
    "Launch Error=Startfehler\r\n"
    "Could not start your Internet browser=Der Browser l\xE4\xDF" "t sich nicht starten\r\n";

// Enough of the configuration window and the site selector to translate.
struct TOriginalWindows
{
    TOriginalWindows()
    {
        config->setObjectName(u"frmConfig"_qs);
        config->setWindowTitle(u"Configuration"_qs);
        QMenu *file = config->menuBar()->addMenu(u"&File"_qs);
        file->setObjectName(u"File1"_qs);
        file->addAction(u"E&xit"_qs)->setObjectName(u"Exit1"_qs);
        QMenu *program = config->menuBar()->addMenu(u"&Program"_qs);
        program->setObjectName(u"Program1"_qs);
        program->addAction(u"&New Program"_qs)->setObjectName(u"NewProgram1"_qs);
        auto *pages = new QTabWidget;
        auto *page = new QWidget;
        page->setObjectName(u"tabProgram"_qs);
        pages->addTab(page, u"Program Details"_qs);
        config->setCentralWidget(pages);
        auto *layout = new QVBoxLayout(page);
        for (const auto &[name, text] : {std::pair{u"Label19"_qs, u"License:"_qs},
                                         std::pair{u"Label30"_qs, u"Limitations:"_qs}}) {
            auto *label = new QLabel(text);
            label->setObjectName(name);
            layout->addWidget(label);
        }
        license->setObjectName(u"cboLicense"_qs);
        license->setEditable(true);
        license->addItems({u"Time-limited trial"_qs, u"Feature-limited demo"_qs, u"Freeware"_qs,
                           u"Nagware"_qs, u"Adware"_qs});
        layout->addWidget(license);

        sites->setObjectName(u"frmSites"_qs);
        sites->setWindowTitle(u"Site selector"_qs);
        sites->menuBar()->addMenu(u"&Navigate"_qs)->setObjectName(u"Navigate1"_qs);
        submit->setObjectName(u"ToolButton3"_qs);
        submit->setToolTip(u"Visit site submit page"_qs);
        sites->addToolBar(u"Tools"_qs)->addWidget(submit);
    }

    std::unique_ptr<QMainWindow> config = std::make_unique<QMainWindow>();
    std::unique_ptr<QMainWindow> sites = std::make_unique<QMainWindow>();
    QComboBox *license = new QComboBox(config.get());
    QToolButton *submit = new QToolButton(sites.get());
};

} // namespace

class TstTranslations : public QObject
{
    Q_OBJECT

private slots:
    void pathLists();
    void shippedFiles_data();
    void shippedFiles();
    void originalLanguageFile();
};

void TstTranslations::pathLists()
{
    QCOMPARE(LanguageWindows(), (QStringList{u"Form1"_qs, u"frmConfig"_qs, u"frmData"_qs, u"frmSites"_qs,
                                              u"AboutBox"_qs}));
    const QList<int> sizes = {16, 60, 1, 23, 6};
    for (int i = 0; i < sizes.size(); ++i) {
        const QString window = LanguageWindows().at(i);
        QStringList paths = LanguagePaths(window);
        QCOMPARE(paths.size(), sizes.at(i));
        QCOMPARE(paths.first(), window + u".Caption"_qs);
        QCOMPARE(paths.removeDuplicates(), 0);
        for (const QString &p : paths)
            QVERIFY2(p.startsWith(window + u'.'), qPrintable(p));
    }
    const QStringList config = LanguagePaths(u"frmConfig"_qs);
    QCOMPARE(config.mid(11, 4), (QStringList{u"frmConfig.Label10.Caption"_qs, u"frmConfig.Label38.Caption"_qs,
                                             u"frmConfig.Label39.Caption"_qs, u"frmConfig.tabProgram.Caption"_qs}));
    QCOMPARE(config.mid(26, 3), (QStringList{u"frmConfig.Label22.Caption"_qs,
                                             u"frmConfig.dteTrialEndDate.Caption"_qs,
                                             u"frmConfig.Label23.Caption"_qs}));
    QCOMPARE(config.filter(u".Items"_qs), (QStringList{u"frmConfig.cboLicense.Items"_qs,
                                                      u"frmConfig.cboOS.Items"_qs,
                                                      u"frmConfig.cboInstall.Items"_qs}));
    QCOMPARE(config.last(), u"frmConfig.ConfiguringKelsprint1.Caption"_qs);
    QCOMPARE(LanguagePaths(u"frmSites"_qs).mid(7, 3),
             (QStringList{u"frmSites.ToolBar1.Caption"_qs, u"frmSites.ToolButton1.Hint"_qs,
                          u"frmSites.ToolButton1.Caption"_qs}));
    QVERIFY(LanguagePaths(u"frmconfig"_qs).isEmpty());
}

void TstTranslations::shippedFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("German") << "Deutsch.lng";
    QTest::newRow("French") << "Francais.lng";
    QTest::newRow("English, the way back") << "English.lng";
}

void TstTranslations::shippedFiles()
{
    QFETCH(QString, name);
    const QString path = qEnvironmentVariable("QS_APP_DIR") + u'/' + name;
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(f.readAll());
    QVERIFY2(!utf8.hasError(), "not UTF-8");

    // Each listed path and message key exactly once, and nothing else.
    const QMap<QString, QStringList> keys = keysBySection(text);
    QCOMPARE(keys.keys(), (QStringList{u"Messages"_qs, u"Translations"_qs}));
    const QStringList paths = allPaths();
    const QStringList translations = keys[u"Translations"_qs];
    const QStringList messages = keys[u"Messages"_qs];
    QCOMPARE(translations.size(), paths.size());
    QCOMPARE(messages.size(), kMessageKeys.size());
    QCOMPARE(QSet<QString>(translations.begin(), translations.end()), QSet<QString>(paths.begin(), paths.end()));
    QCOMPARE(QSet<QString>(messages.begin(), messages.end()),
             QSet<QString>(kMessageKeys.begin(), kMessageKeys.end()));

    // Read as the program reads them: every text present, lists as long as the English ones.
    const TIniFile ini(path);
    for (const QString &p : paths)
        QVERIFY2(!ini.readString(u"Translations"_qs, p, {}).isEmpty(), qPrintable(p));
    for (const QString &m : kMessageKeys)
        QVERIFY2(!ini.readString(u"Messages"_qs, m, {}).isEmpty(), qPrintable(m));
    const QList<std::pair<QString, int>> lists = {
        {u"frmConfig.cboLicense.Items"_qs, 5}, {u"frmConfig.cboOS.Items"_qs, 8}, {u"frmConfig.cboInstall.Items"_qs, 3}};
    for (const auto &[p, count] : lists)
        QCOMPARE(ini.readString(u"Translations"_qs, p, {}).split(u';').size(), count);
}

void TstTranslations::originalLanguageFile()
{
    TScratchDir dir;
    TScriptedDialogs dialogs;
    dir.write(u"Deutsch.lng"_qs, kOriginalFile);

    TOriginalWindows w;
    for (QMainWindow *window : {w.config.get(), w.sites.get()}) {
        auto *lang = new TLanguage(window);
        lang->setSeparator(u";"_qs);
        lang->Properties = LanguagePaths(window->objectName());
        lang->LanguageFile = AppDir() + u"Deutsch.lng"_qs;
        lang->ApplyLanguage();
    }

    QCOMPARE(w.config->windowTitle(), u"Einstellungen"_qs);
    QCOMPARE(w.config->findChild<QMenu *>(u"File1"_qs)->title(), u"&Datei"_qs);
    QCOMPARE(w.config->findChild<QAction *>(u"Exit1"_qs)->text(), u"&Beenden"_qs);
    QCOMPARE(w.config->findChild<QMenu *>(u"Program1"_qs)->title(), u"&Programm"_qs);
    QCOMPARE(w.config->findChild<QAction *>(u"NewProgram1"_qs)->text(), u"&Neues Programm"_qs);
    QCOMPARE(w.config->findChild<QTabWidget *>()->tabText(0), u"Programmdaten"_qs);
    QCOMPARE(w.config->findChild<QLabel *>(u"Label19"_qs)->text(), u"Lizenz:"_qs);
    QCOMPARE(w.config->findChild<QLabel *>(u"Label30"_qs)->text(), QString::fromUtf8("Einschränkungen:"));
    QCOMPARE(w.license->count(), 5);
    QCOMPARE(w.license->itemText(1), QString::fromUtf8("Funktionsbeschränkte Demo"));
    QCOMPARE(w.sites->windowTitle(), u"Website-Auswahl"_qs);
    QCOMPARE(w.sites->findChild<QMenu *>(u"Navigate1"_qs)->title(), u"&Navigieren"_qs);
    QCOMPARE(w.submit->toolTip(), QString::fromUtf8("Einreichungsseite öffnen"));

    // The main window's component answers TranslateMsg, unless the setting is exactly "English".
    auto *mainLang = w.config->findChild<TLanguage *>(u"Language1"_qs);
    setMessageLookup([mainLang](const QString &text) { return mainLang->Msg(text); });
    TConfig config;
    AppConfig = &config;
    config.Language = u"Deutsch"_qs;
    QCOMPARE(TranslateMsg(u"Add program"_qs), QString::fromUtf8("Programm hinzufügen"));
    QCOMPARE(TranslateMsg(u"Enter new program name:"_qs), u"Enter new program name:"_qs);
    QVERIFY(!LaunchUrl(QString(), false));
    QCOMPARE(dialogs.texts(), QStringList{QString::fromUtf8("Startfehler|Der Browser läßt sich nicht starten")});
    config.Language = u"english"_qs;
    QCOMPARE(TranslateMsg(u"Launch Error"_qs), u"Startfehler"_qs);
    config.Language = u"English"_qs;
    QCOMPARE(TranslateMsg(u"Launch Error"_qs), u"Launch Error"_qs);
    AppConfig = nullptr;
    setMessageLookup({});
}

QTEST_MAIN(TstTranslations)
#include "tst_translations.moc"
