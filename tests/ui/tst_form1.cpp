#include "aboutbox.h"
#include "application.h"
#include "config.h"
#include "datafixture.h"
#include "dm.h"
#include "fdatasel.h"
#include "fmain.h"
#include "fsites.h"
#include "helpwindow.h"
#include "httptestserver.h"
#include "inifile.h"
#include "language.h"
#include "pathlists.h"
#include "scratchdir.h"
#include "scripteddialogs.h"
#include "translatemsg.h"
#include "updatecheck.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QWebEngineView>
#include <memory>

namespace {

QString shippedFile(const QString &name)
{
    return qEnvironmentVariable("QS_APP_DIR") + u'/' + name;
}

// A page with a link "next" to another address.
QByteArray page(const QString &title, const QString &next)
{
    return THttpTestServer::ok(QStringLiteral("<html><head><title>%1</title></head><body>"
                                              "<a id=\"next\" href=\"%2\">next</a></body></html>")
                                   .arg(title, next)
                                   .toUtf8());
}

} // namespace

class TstForm1 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typedAddressesHistoryAndBackForward();
    void linksMoveInHistoryButStayOutOfTheAddressList();
    void pickingFromTheListOpensAtOnce();
    void unannouncedNavigationFilesTheNextOne();
    void languageMenuTranslatesAndSaves();
    void languageMenuLeadsBackToEnglish();
    void languageMenuListsOnlyFilesItCanOpen();
    void accessKeysDistinctInEveryLanguage_data();
    void accessKeysDistinctInEveryLanguage();
    void aboutBox_data();
    void aboutBox();
    void barsShowAndHide();
    void selectorsTranslatedAtCreation();
    void helpHasContentsAndKeywords();
    void checkForSiteUpdatesImportsTheCatalogue();
    void destroyedWhileAPageLoads();
    void closingDuringACheckEndsIt_data();
    void closingDuringACheckEndsIt();

private:
    // Types an address into the box, presses Enter and waits for the page.
    void open(const QString &address);
    void clickLink();
    QString url(const char *path) const { return m_server->url() + QLatin1String(path); }

    std::unique_ptr<TScratchDir> m_dir;
    std::unique_ptr<TScriptedDialogs> m_dialogs;
    std::unique_ptr<THttpTestServer> m_server;
    TForm1 *m_form = nullptr;
};

void TstForm1::init()
{
    QLocale::setDefault(QLocale::c());
    m_dir = std::make_unique<TScratchDir>();
    m_dialogs = std::make_unique<TScriptedDialogs>();
    m_server = std::make_unique<THttpTestServer>();
    for (const char *name : {"a", "b", "c", "d"}) {
        const QByteArray path = QByteArray("/") + name;
        m_server->setReply(path, {page(QString::fromLatin1(name), url("/b")), true});
    }
    QVERIFY(QFile::copy(shippedFile(u"Deutsch.lng"_qs), m_dir->file(u"Deutsch.lng"_qs)));
    AppConfig = new TConfig;
    AppConfig->Load();
    m_form = new TForm1;
    m_form->show();
}

void TstForm1::cleanup()
{
    delete m_form;
    m_form = nullptr;
    delete AppConfig;
    AppConfig = nullptr;
    m_server.reset();
    m_dialogs.reset();
    m_dir.reset();
    QLocale::setDefault(QLocale::c());
}

void TstForm1::open(const QString &address)
{
    QSignalSpy loaded(m_form->WebBrowser1, &QWebEngineView::loadFinished);
    m_form->cboUrl->setEditText(address);
    QTest::keyClick(m_form->cboUrl->lineEdit(), Qt::Key_Return);
    QVERIFY(loaded.wait(20000));
    QCOMPARE(m_form->cboUrl->currentText(), address);
}

void TstForm1::clickLink()
{
    QSignalSpy loaded(m_form->WebBrowser1, &QWebEngineView::loadFinished);
    m_form->WebBrowser1->page()->runJavaScript(QStringLiteral("document.getElementById('next').click()"));
    QVERIFY(loaded.wait(20000));
}

void TstForm1::typedAddressesHistoryAndBackForward()
{
    QVERIFY(!m_form->BackAction->isEnabled());
    QVERIFY(!m_form->ForwardAction->isEnabled());
    open(url("/a"));
    open(url("/b"));
    open(url("/c"));
    QVERIFY(m_form->BackAction->isEnabled());
    QVERIFY(!m_form->ForwardAction->isEnabled());

    QSignalSpy loaded(m_form->WebBrowser1, &QWebEngineView::loadFinished);
    m_form->BackBtn->click();
    QVERIFY(loaded.wait(20000));
    QCOMPARE(m_form->cboUrl->currentText(), url("/b"));
    QCOMPARE(m_form->Browse().HistoryIndex(), 1);
    QVERIFY(m_form->ForwardAction->isEnabled());

    open(url("/d"));
    QCOMPARE(m_form->Browse().History(), (QStringList{url("/a"), url("/b"), url("/d")}));
    QVERIFY(!m_form->ForwardAction->isEnabled());
    m_form->BackBtn->click();
    QVERIFY(loaded.wait(20000));
    QCOMPARE(m_form->cboUrl->currentText(), url("/b"));

    // Back and Forward open through the address box, so their addresses
    // move to the top of the list; each address is listed once.
    QStringList items;
    for (int i = 0; i < m_form->cboUrl->count(); ++i)
        items << m_form->cboUrl->itemText(i);
    QCOMPARE(items, (QStringList{url("/b"), url("/d"), url("/c"), url("/a")}));
}

void TstForm1::linksMoveInHistoryButStayOutOfTheAddressList()
{
    m_server->setReply("/a", {page(u"a"_qs, url("/c")), true});
    m_server->setReply("/c", {page(u"c"_qs, QStringLiteral("HTTP://127.0.0.1:%1/a").arg(QUrl(m_server->url()).port())), true});
    open(url("/a"));
    clickLink(); // to c
    QCOMPARE(m_form->Browse().History(), (QStringList{url("/a"), url("/c")}));
    QCOMPARE(m_form->cboUrl->currentText(), url("/c"));
    QCOMPARE(m_form->cboUrl->count(), 1);

    clickLink(); // back to a, written in capitals
    QCOMPARE(m_form->Browse().History().size(), 2);
    QCOMPARE(m_form->Browse().HistoryIndex(), 0);
    QVERIFY(m_form->ForwardAction->isEnabled());
    QVERIFY(!m_form->BackAction->isEnabled());
}

void TstForm1::pickingFromTheListOpensAtOnce()
{
    open(url("/a"));
    open(url("/b"));
    QSignalSpy loaded(m_form->WebBrowser1, &QWebEngineView::loadFinished);
    m_form->cboUrl->showPopup();
    QAbstractItemView *view = m_form->cboUrl->view();
    const QModelIndex second = view->model()->index(1, 0);
    QTRY_VERIFY(view->isVisible());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(second).center());
    QVERIFY(loaded.wait(20000));
    QCOMPARE(m_form->cboUrl->currentText(), url("/a"));
    QCOMPARE(m_form->Browse().HistoryIndex(), 0);
    QCOMPARE(m_form->cboUrl->itemText(0), url("/a"));
}

void TstForm1::unannouncedNavigationFilesTheNextOne()
{
    open(url("/a"));
    m_form->cboUrl->setEditText(QString()); // nothing to open: no navigation is announced
    m_form->FindAddress();
    QVERIFY(m_form->Browse().FromAddressBox());
    clickLink(); // the link to b
    QCOMPARE(m_form->cboUrl->itemText(0), url("/b"));
    QVERIFY(!m_form->Browse().FromAddressBox());
}

void TstForm1::languageMenuTranslatesAndSaves()
{
    QStringList languages;
    for (QAction *a : m_form->Language2->actions())
        languages << a->text();
    QCOMPARE(languages, QStringList{u"Deutsch"_qs});

    const TIniFile german(m_dir->file(u"Deutsch.lng"_qs));
    const QString tr = u"Translations"_qs;
    m_form->Language2->actions().first()->trigger();

    QCOMPARE(m_form->findChild<QMenu *>(u"File1"_qs)->title(), german.readString(tr, u"Form1.File1.Caption"_qs, {}));
    QCOMPARE(m_form->findChild<QAction *>(u"Exit1"_qs)->text(), german.readString(tr, u"Form1.Exit1.Caption"_qs, {}));
    const TIniFile settings(m_dir->file(u"kelsprint.ini"_qs));
    QCOMPARE(settings.readString(u"Config"_qs, u"Language"_qs, {}), QStringLiteral("Deutsch"));
    QCOMPARE(TranslateMsg(u"Failed"_qs), german.readString(u"Messages"_qs, u"Failed"_qs, {}));
    QVERIFY(TranslateMsg(u"Failed"_qs) != QStringLiteral("Failed"));
}

// The texts of the main window that its language list names, by path.
QMap<QString, QString> translatedTexts(TForm1 *form)
{
    QMap<QString, QString> out;
    for (const QString &path : LanguagePaths(u"Form1"_qs)) {
        const QString name = path.section(u'.', 1, 1);
        if (name == QLatin1String("Caption"))
            out[path] = form->windowTitle();
        else if (auto *menu = form->findChild<QMenu *>(name))
            out[path] = menu->title();
        else if (auto *item = form->findChild<QAction *>(name))
            out[path] = item->text();
    }
    return out;
}

void TstForm1::languageMenuLeadsBackToEnglish()
{
    QVERIFY(QFile::copy(shippedFile(u"English.lng"_qs), m_dir->file(u"English.lng"_qs)));
    delete m_form;
    m_form = new TForm1;
    const QMap<QString, QString> english = translatedTexts(m_form);
    QCOMPARE(english.size(), LanguagePaths(u"Form1"_qs).size());

    QMap<QString, QAction *> items;
    for (QAction *a : m_form->Language2->actions())
        items[a->text()] = a;
    QCOMPARE(items.keys(), (QStringList{u"Deutsch"_qs, u"English"_qs}));
    items[u"Deutsch"_qs]->trigger();
    QVERIFY(translatedTexts(m_form) != english);

    items[u"English"_qs]->trigger();
    QCOMPARE(translatedTexts(m_form), english);
    QCOMPARE(AppConfig->Language, u"English"_qs);
    QCOMPARE(TIniFile(m_dir->file(u"kelsprint.ini"_qs)).readString(u"Config"_qs, u"Language"_qs, {}), u"English"_qs);
    QCOMPARE(TranslateMsg(u"Failed"_qs), u"Failed"_qs);
}

void TstForm1::languageMenuListsOnlyFilesItCanOpen()
{
    // The language is opened as AppDir + name + ".lng"; on a file system that
    // tells letter case apart, a file ending in ".LNG" is not found that way.
    m_dir->write(u"Klingon.LNG"_qs, "[Translations]\r\nForm1.Caption=Klingon\r\n");
    delete m_form;
    m_form = new TForm1;
    QStringList languages;
    for (QAction *a : m_form->Language2->actions())
        languages << a->text();
    QStringList expected{u"Deutsch"_qs};
    if (QFile::exists(m_dir->file(u"Klingon.lng"_qs)))
        expected << u"Klingon"_qs; // letter case ignored here
    QCOMPARE(languages, expected);
}

// The access key of a caption: the character after a single "&".
QChar accessKey(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1].toLower();
        ++i;
    }
    return {};
}

void TstForm1::accessKeysDistinctInEveryLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "";
    for (const char *name : {"Deutsch", "Francais", "English"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TstForm1::accessKeysDistinctInEveryLanguage()
{
    QFETCH(QString, language);
    if (!language.isEmpty()) {
        QFile::remove(m_dir->file(language + u".lng"_qs));
        QVERIFY(QFile::copy(shippedFile(language + u".lng"_qs), m_dir->file(language + u".lng"_qs)));
        m_form->LangExec(language);
    }
    // The menu bar and each menu, translated items and untranslated ones together.
    QList<QPair<QString, QList<QAction *>>> menus{{u"menu bar"_qs, m_form->menuBar()->actions()}};
    for (QMenu *menu : m_form->findChildren<QMenu *>())
        menus.append({menu->objectName(), menu->actions()});
    for (const auto &[name, actions] : menus) {
        QMap<QChar, QString> used;
        for (QAction *a : actions) {
            const QChar key = accessKey(a->text());
            if (key.isNull())
                continue;
            QVERIFY2(!used.contains(key), qPrintable(name + u": "_qs + used.value(key) + u" / "_qs + a->text()));
            used.insert(key, a->text());
        }
    }
}

void TstForm1::aboutBox_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("version");
    QTest::newRow("English") << "English" << "en_US" << "Version 1.00";
    QTest::newRow("German") << "Deutsch" << "de_DE" << "Version 1,00";
}

void TstForm1::aboutBox()
{
    QFETCH(QString, language);
    QFETCH(QString, locale);
    QFETCH(QString, version);
    QLocale::setDefault(QLocale(locale));
    AppConfig->Language = language;
    TAboutBox box;
    QCOMPARE(box.Version->text(), version);
    QCOMPARE(box.lblBuild->text(), TranslateMsg(u"Build"_qs) + QStringLiteral(" 1.000"));
    QVERIFY(box.Label1->text().endsWith(QChar(0x2122)));
    QVERIFY(box.OKButton->isDefault());
    QCOMPARE(box.Label2->toolTip(), box.Label2->text());
    if (language == QLatin1String("English")) {
        QCOMPARE(box.windowTitle(), QStringLiteral("About Quorvane Submit"));
    } else {
        const TIniFile german(m_dir->file(u"Deutsch.lng"_qs));
        QCOMPARE(box.windowTitle(), german.readString(u"Translations"_qs, u"AboutBox.Caption"_qs, {}));
        QCOMPARE(box.OKButton->text(), german.readString(u"Translations"_qs, u"AboutBox.OKButton.Caption"_qs, {}));
    }
    // Escape closes the box like OK.
    box.show();
    QTest::keyClick(&box, Qt::Key_Escape);
    QVERIFY(!box.isVisible());
}

void TstForm1::barsShowAndHide()
{
    QAction *toolbar = m_form->findChild<QAction *>(u"Toolbar3"_qs);
    QAction *status = m_form->findChild<QAction *>(u"Statusbar2"_qs);
    QVERIFY(toolbar->isChecked() && status->isChecked());
    QVERIFY(m_form->CoolBar1->isVisible() && m_form->StatusBar1->isVisible());
    toolbar->trigger();
    status->trigger();
    QVERIFY(!toolbar->isChecked() && !m_form->CoolBar1->isVisible());
    QVERIFY(!status->isChecked() && !m_form->StatusBar1->isVisible());
    toolbar->trigger();
    QVERIFY(m_form->CoolBar1->isVisible());
}

void TstForm1::selectorsTranslatedAtCreation()
{
    const TIniFile german(m_dir->file(u"Deutsch.lng"_qs));
    AppConfig->Language = QStringLiteral("Deutsch");
    TfrmData data;
    TfrmSites sites;
    QCOMPARE(data.windowTitle(), german.readString(u"Translations"_qs, u"frmData.Caption"_qs, {}));
    QCOMPARE(sites.windowTitle(), german.readString(u"Translations"_qs, u"frmSites.Caption"_qs, {}));
    QVERIFY(data.windowFlags() & Qt::WindowStaysOnTopHint);
    AppConfig->Language = QStringLiteral("English");
    TfrmData english;
    QCOMPARE(english.windowTitle(), QStringLiteral("Data selector"));
}

void TstForm1::helpHasContentsAndKeywords()
{
    THelpWindow help(shippedFile(u"help"_qs));
    help.showContents();
    QVERIFY(help.browser()->toPlainText().contains(QStringLiteral("Contents")));
    help.showContext(40);
    QVERIFY(help.browser()->source().toString().endsWith(QStringLiteral("configuration.html")));
    help.showContext(30);
    QVERIFY(help.browser()->source().toString().endsWith(QStringLiteral("selectors.html")));
    help.showKeywordSearch(u"pad"_qs);
    int shown = 0;
    for (int i = 0; i < help.keywordList()->count(); ++i)
        shown += help.keywordList()->item(i)->isHidden() ? 0 : 1;
    QVERIFY(shown >= 1);
    QVERIFY(shown < help.keywordList()->count());
    QTest::keyClick(help.keywordEdit(), Qt::Key_Return);
    QVERIFY(help.browser()->toPlainText().contains(QStringLiteral("PAD")));
}

void TstForm1::checkForSiteUpdatesImportsTheCatalogue()
{
    m_dir->write(u"sites.csv"_qs, "Alpha Downloads,http://alpha.example/,,Fine,True,False,False,US,4,False\r\n"
                                  "\"Beta, Inc\",http://beta.example/,http://beta.example/submit,,False,True,False,DE,,False\r\n");
    QProcess zip;
    zip.setWorkingDirectory(m_dir->path());
    zip.start(u"zip"_qs, {u"-q"_qs, u"served.zip"_qs, u"sites.csv"_qs});
    QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
    QFile::remove(m_dir->file(u"sites.csv"_qs));
    m_server->setFile("/download/kpver.ini", "[Versions]\r\nKelsprintVer=1.0\r\nSiteVer=3\r\n");
    m_server->setFile("/download/sites.zip", m_dir->read(u"served.zip"_qs));
    AppConfig->UpdateUrl = m_server->url();

    TDM1 dm(qApp);
    m_form->findChild<QAction *>(u"Checkforupdates1"_qs)->trigger();

    QCOMPARE(m_dialogs->texts(), QStringList{u"Quorvane Submit|Site data updated"_qs});
    QCOMPARE(AppConfig->SiteVer, 3.0);
    QCOMPARE(sqlColumn(u"Sites.DAT"_qs, u"SELECT SiteName FROM Sites ORDER BY SiteName"_qs),
             (QStringList{u"Alpha Downloads"_qs, u"Beta, Inc"_qs}));
    QVERIFY(m_form->StatusText().startsWith(u"Received "_qs));
    QVERIFY(m_form->findChild<QAction *>(u"Checkforupdates1"_qs)->isEnabled());
    QVERIFY(!QFile::exists(m_dir->file(u"sites.zip"_qs)));
}

void TstForm1::destroyedWhileAPageLoads()
{
    m_server->setReply("/slow", {"", false}); // accepts and never answers
    QSignalSpy started(m_form->WebBrowser1, &QWebEngineView::loadStarted);
    m_form->cboUrl->setEditText(url("/slow"));
    m_form->FindAddress();
    QVERIFY(started.wait(20000));
    QTRY_VERIFY(m_server->paths.contains("/slow"));
    QCOMPARE(m_form->Browse().History(), QStringList{url("/slow")});
    m_form->close();
    delete m_form; // the page goes while it still loads
    m_form = nullptr;
}

void TstForm1::closingDuringACheckEndsIt_data()
{
    QTest::addColumn<QByteArray>("silent");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("while the version file loads") << QByteArray("/download/kpver.ini") << QStringList();
    QTest::newRow("while the catalogue loads")
        << QByteArray("/download/sites.zip") << QStringList{u"Quorvane Submit|Kelsprint version 1.1 is now available."_qs};
}

void TstForm1::closingDuringACheckEndsIt()
{
    QFETCH(QByteArray, silent);
    QFETCH(QStringList, shown);
    m_server->setFile("/download/kpver.ini", "[Versions]\r\nKelsprintVer=1.1\r\nSiteVer=3\r\n");
    m_server->setReply(silent, {"", false}); // accepts and never answers
    AppConfig->UpdateUrl = m_server->url();
    TDM1 dm(qApp);

    // The window closes once the server has the request that it leaves unanswered.
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!m_server->paths.isEmpty() && m_server->paths.constLast() == silent) {
            watch.stop();
            m_form->close();
        }
    });
    watch.start(0);
    m_form->findChild<QAction *>(u"Checkforupdates1"_qs)->trigger();

    // Nothing more is fetched, imported or shown after the window has gone.
    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_server->paths.constLast(), silent);
    QCOMPARE(m_dialogs->texts(), shown);
    QCOMPARE(AppConfig->SiteVer, 1.0);
    QVERIFY(!m_form->UpdateCheck().running());
}

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TApplication app(argc, argv);
    TstForm1 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form1.moc"
