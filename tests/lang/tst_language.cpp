#include "errors.h"
#include "language.h"
#include "scratchdir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

// Stands in for the data module: a plain object owned by the application,
// with one property of each kind a language file can set.
class TTestModule : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Title MEMBER Title)
    Q_PROPERTY(QStringList Lines MEMBER Lines)

public:
    using QObject::QObject;
    QString Title = QStringLiteral("Module");
    QStringList Lines;
};

// A window with one object of every kind the language component maps.
class TTestWindow
{
public:
    TTestWindow()
    {
        form->setObjectName(u"TestForm"_qs);
        form->setWindowTitle(u"Test window"_qs);

        QMenu *file = form->menuBar()->addMenu(u"&File"_qs);
        file->setObjectName(u"File1"_qs);
        file->addAction(u"E&xit"_qs)->setObjectName(u"Exit1"_qs);
        auto *back = new QAction(u"Back"_qs, form.get());
        back->setObjectName(u"BackAction"_qs);

        auto *toolBar = form->addToolBar(u"Tools"_qs);
        toolBar->setObjectName(u"ToolBar1"_qs);
        auto *toolButton = new QToolButton;
        toolButton->setObjectName(u"ToolButton1"_qs);
        toolButton->setText(u"Home"_qs);
        toolButton->setToolTip(u"Visit site home page"_qs);
        toolBar->addWidget(toolButton);

        auto *tabs = new QTabWidget;
        tabs->setObjectName(u"PageControl1"_qs);
        auto *page = new QWidget;
        page->setObjectName(u"tabMain"_qs);
        tabs->addTab(page, u"Main"_qs);
        form->setCentralWidget(tabs);

        auto *layout = new QVBoxLayout(page);
        auto add = [layout](QWidget *w, const QString &name) {
            w->setObjectName(name);
            layout->addWidget(w);
        };
        add(new QLabel(u"Name:"_qs), u"Label1"_qs);
        add(new QLabel(u"umlaut"_qs), QString::fromUtf8("lbl\xC3\xA4")); // lblä
        add(new QPushButton(u"OK"_qs), u"btnOK"_qs);
        add(new QCheckBox(u"Site Effects"_qs), u"chkBox"_qs);
        auto *combo = new QComboBox;
        combo->setEditable(true);
        combo->addItems({u"None"_qs, u"Install"_qs});
        combo->setEditText(u"typed"_qs);
        add(combo, u"cboKind"_qs);
        add(new QSpinBox, u"spnCount"_qs);
        auto *group = new QGroupBox(u"Group"_qs);
        add(group, u"grpBox"_qs);
        auto *inner = new QLabel(u"Deep"_qs, group);
        inner->setObjectName(u"Label2"_qs);

        // A dialog opened over the window is not part of it.
        auto *dialog = new QDialog(form.get());
        dialog->setObjectName(u"AboutBox"_qs);
        auto *dialogLabel = new QLabel(u"About"_qs, dialog);
        dialogLabel->setObjectName(u"lblAbout"_qs);
    }

    // What a test reads back: a Qt property of a named object, the tab text of
    // a page, or a combo box's items joined by "|".
    QString read(const QString &object, const QString &what) const
    {
        QObject *o = object == form->objectName() ? form.get() : form->findChild<QObject *>(object);
        if (!o)
            o = module.get();
        if (what == u"tabText") {
            auto *tabs = form->findChild<QTabWidget *>();
            return tabs->tabText(tabs->indexOf(qobject_cast<QWidget *>(o)));
        }
        if (what == u"items") {
            auto *combo = qobject_cast<QComboBox *>(o);
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            return items.join(u'|');
        }
        const QVariant v = o->property(what.toLatin1().constData());
        return v.typeId() == QMetaType::QStringList ? v.toStringList().join(u'|') : v.toString();
    }

    QComboBox *combo() const { return form->findChild<QComboBox *>(u"cboKind"_qs); }

    std::unique_ptr<QMainWindow> form = std::make_unique<QMainWindow>();
    std::unique_ptr<TTestModule> module = [] {
        auto m = std::make_unique<TTestModule>(qApp);
        m->setObjectName(u"DM1"_qs);
        return m;
    }();
};

class TstLanguage : public QObject
{
    Q_OBJECT

private slots:
    void translateProperty_data();
    void translateProperty();
    void listValue_data();
    void listValue();
    void fixedListKeepsItsChoice();
    void separator_data();
    void separator();
    void applyLanguage();
    void missingFileChangesNothing();
    void integerErrorEndsTranslation();
    void msg_data();
    void msg();
    void msgReadsTheFileEachTime();
};

void TstLanguage::translateProperty_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("expected");

    QTest::newRow("window title") << "TestForm.Caption" << "Fenster" << "TestForm" << "windowTitle" << "Fenster";
    QTest::newRow("letter case of names") << "tESTfORM.label1.CAPTION" << "Name" << "Label1" << "text" << "Name";
    QTest::newRow("blanks around names")
        << " \tTestForm . Label1 .\tCaption  " << "Name" << "Label1" << "text" << "Name";
    QTest::newRow("menu") << "TestForm.File1.Caption" << "&Datei" << "File1" << "title" << "&Datei";
    QTest::newRow("menu item") << "TestForm.Exit1.Caption" << "&Beenden" << "Exit1" << "text" << "&Beenden";
    QTest::newRow("action") << "TestForm.BackAction.Caption" << "Zurück" << "BackAction" << "text" << "Zurück";
    QTest::newRow("action hint") << "TestForm.BackAction.Hint" << "Zurück" << "BackAction" << "toolTip" << "Zurück";
    QTest::newRow("push button") << "TestForm.btnOK.Caption" << "Gut" << "btnOK" << "text" << "Gut";
    QTest::newRow("check box") << "TestForm.chkBox.Caption" << "Effekte" << "chkBox" << "text" << "Effekte";
    QTest::newRow("tab page") << "TestForm.tabMain.Caption" << "Haupt" << "tabMain" << "tabText" << "Haupt";
    QTest::newRow("group box") << "TestForm.grpBox.Caption" << "Gruppe" << "grpBox" << "title" << "Gruppe";
    QTest::newRow("nested deeper") << "TestForm.Label2.Caption" << "Tief" << "Label2" << "text" << "Tief";
    QTest::newRow("tool bar") << "TestForm.ToolBar1.Caption" << "Leiste" << "ToolBar1" << "windowTitle" << "Leiste";
    QTest::newRow("tool button hint")
        << "TestForm.ToolButton1.Hint" << "Startseite" << "ToolButton1" << "toolTip" << "Startseite";
    QTest::newRow("tool button caption")
        << "TestForm.ToolButton1.Caption" << "Start" << "ToolButton1" << "text" << "Start";
    QTest::newRow("qt text property") << "TestForm.Label1.TOOLTIP" << "Tipp" << "Label1" << "toolTip" << "Tipp";
    QTest::newRow("qt integer property") << "TestForm.spnCount.maximum" << "250" << "spnCount" << "maximum" << "250";
    QTest::newRow("data module") << "DM1.Title" << "Modul" << "DM1" << "Title" << "Modul";
    QTest::newRow("qt string-list property") << "dm1.lines" << "a; b" << "DM1" << "Lines" << "a|b";

    QTest::newRow("missing window") << "NoSuchForm.Caption" << "x" << "TestForm" << "windowTitle" << "Test window";
    QTest::newRow("missing component")
        << "TestForm.NoSuch.Caption" << "x" << "TestForm" << "windowTitle" << "Test window";
    QTest::newRow("missing stays missing")
        << "NoSuch.TestForm.Caption" << "x" << "TestForm" << "windowTitle" << "Test window";
    QTest::newRow("empty name") << "TestForm..Caption" << "x" << "TestForm" << "windowTitle" << "Test window";
    QTest::newRow("window opened over it is no part of it")
        << "TestForm.lblAbout.Caption" << "x" << "lblAbout" << "text" << "About";
    QTest::newRow("but is a window of the application")
        << "AboutBox.lblAbout.Caption" << "Info" << "lblAbout" << "text" << "Info";
    QTest::newRow("unknown property") << "TestForm.Label1.Colour" << "x" << "Label1" << "text" << "Name:";
    QTest::newRow("empty value") << "TestForm.Caption" << "" << "TestForm" << "windowTitle" << "Test window";
    QTest::newRow("only A-Z fold case")
        << QString::fromUtf8("TestForm.LBL\xC3\x84.Caption") << "x" << QString::fromUtf8("lbl\xC3\xA4") << "text"
        << "umlaut";
}

void TstLanguage::translateProperty()
{
    QFETCH(QString, path);
    QFETCH(QString, value);
    QFETCH(QString, object);
    QFETCH(QString, what);
    QFETCH(QString, expected);

    TTestWindow w;
    TLanguage lang(w.form.get());
    lang.setSeparator(u";"_qs);
    lang.TranslateProperty(path, value);
    QCOMPARE(w.read(object, what), expected);
}

void TstLanguage::listValue_data()
{
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("final separator") << ";" << "DOS;Linux;" << QStringList{u"DOS"_qs, u"Linux"_qs};
    QTest::newRow("empty item between") << ";" << "DOS;;Linux" << QStringList{u"DOS"_qs, {}, u"Linux"_qs};
    QTest::newRow("only a separator") << ";" << " ; " << QStringList{QString()};
    QTest::newRow("blanks around items")
        << ";" << "one; two;;three;" << QStringList{u"one"_qs, u"two"_qs, {}, u"three"_qs};
    QTest::newRow("separator of three characters")
        << " ; " << "a ; b;c" << QStringList{u"a"_qs, u"b;c"_qs};
    QTest::newRow("one item") << ";" << "  alone  " << QStringList{u"alone"_qs};
}

void TstLanguage::listValue()
{
    QFETCH(QString, separator);
    QFETCH(QString, value);
    QFETCH(QStringList, items);

    TTestWindow w;
    TLanguage lang(w.form.get());
    lang.setSeparator(separator);
    QSignalSpy changes(w.combo(), &QComboBox::currentTextChanged);
    lang.TranslateProperty(u"TestForm.cboKind.Items"_qs, value);
    QCOMPARE(w.read(u"cboKind"_qs, u"items"_qs), items.join(u'|'));
    // The text typed into the box stays, and no change is reported.
    QCOMPARE(w.combo()->currentText(), u"typed"_qs);
    QCOMPARE(changes.count(), 0);
}

void TstLanguage::fixedListKeepsItsChoice()
{
    TTestWindow w;
    TLanguage lang(w.form.get());
    lang.setSeparator(u";"_qs);
    w.combo()->setEditable(false);
    w.combo()->setCurrentIndex(1);
    lang.TranslateProperty(u"TestForm.cboKind.Items"_qs, u"Keine;Installieren"_qs);
    QCOMPARE(w.combo()->currentText(), u"Installieren"_qs);
    // A choice past the end of the new list is no choice.
    lang.TranslateProperty(u"TestForm.cboKind.Items"_qs, u"Keine"_qs);
    QCOMPARE(w.combo()->currentIndex(), -1);
}

void TstLanguage::separator_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << "" << ",";
    QTest::newRow("blanks") << " \t " << ",";
    QTest::newRow("semicolon") << ";" << ";";
    QTest::newRow("blanks kept around text") << " ; " << " ; ";
}

void TstLanguage::separator()
{
    QFETCH(QString, set);
    QFETCH(QString, stored);
    TLanguage lang(nullptr);
    QCOMPARE(lang.Separator(), QString());
    lang.setSeparator(set);
    QCOMPARE(lang.Separator(), stored);
}

void TstLanguage::applyLanguage()
{
    TScratchDir dir;
    dir.write(u"Test.lng"_qs,
              "[translations]\n"
              "TESTFORM.CAPTION=Fenster\n"
              "TestForm.Label1.Caption=\n"
              "TestForm.btnOK.Caption=\"  Gut  \"\n"
              "TestForm.NoSuch.Caption=egal\n"
              "TestForm.Label1.Colour=rot\n"
              "TestForm.cboKind.Items=Keine;Installieren\n"
              "TestForm.Caption=second key of the same name\n");
    TTestWindow w;
    TLanguage lang(w.form.get());
    lang.LanguageFile = dir.file(u"Test.lng"_qs);
    lang.setSeparator(u";"_qs);
    lang.Properties = QStringList{u"TestForm.Caption"_qs, u""_qs, u"  "_qs, u"TestForm.Label1.Caption"_qs,
                                  u"TestForm.btnOK.Caption"_qs, u"TestForm.chkBox.Caption"_qs,
                                  u"TestForm.NoSuch.Caption"_qs, u"TestForm.Label1.Colour"_qs,
                                  u"testform.cboKind.items"_qs};
    QStringList log;
    lang.OnBeforeTranslation = [&](QObject *sender) { log << u"before"_qs; QCOMPARE(sender, &lang); };
    lang.OnAfterTranslation = [&](QObject *sender) { log << u"after"_qs; QCOMPARE(sender, &lang); };
    lang.OnTranslate = [&](QObject *sender, QObject *component, const QString &property,
                           const QString &oldValue, QString &newValue) {
        QCOMPARE(sender, &lang);
        log << component->objectName() + u'.' + property + u'|' + oldValue + u'|' + newValue;
        if (component->objectName() == u"btnOK")
            newValue += u'!';
    };

    lang.ApplyLanguage();

    QCOMPARE(log, (QStringList{u"before"_qs, u"TestForm.Caption|Test window|Fenster"_qs,
                               u"btnOK.Caption|OK|  Gut  "_qs, u"Label1.Colour||rot"_qs,
                               u"cboKind.items||Keine;Installieren"_qs, u"after"_qs}));
    QCOMPARE(w.form->windowTitle(), u"Fenster"_qs);
    QCOMPARE(w.read(u"Label1"_qs, u"text"_qs), u"Name:"_qs);
    QCOMPARE(w.read(u"btnOK"_qs, u"text"_qs), u"  Gut  !"_qs);
    QCOMPARE(w.read(u"chkBox"_qs, u"text"_qs), u"Site Effects"_qs);
    QCOMPARE(w.read(u"cboKind"_qs, u"items"_qs), u"Keine|Installieren"_qs);
}

void TstLanguage::missingFileChangesNothing()
{
    TScratchDir dir;
    TTestWindow w;
    TLanguage lang(w.form.get());
    lang.LanguageFile = dir.file(u"Missing.lng"_qs);
    lang.Properties = QStringList{u"TestForm.Caption"_qs};
    int events = 0;
    lang.OnBeforeTranslation = [&](QObject *) { ++events; };
    lang.OnAfterTranslation = [&](QObject *) { ++events; };
    lang.OnTranslate = [&](QObject *, QObject *, const QString &, const QString &, QString &) { events += 100; };
    lang.ApplyLanguage();
    QCOMPARE(events, 2);
    QCOMPARE(w.form->windowTitle(), u"Test window"_qs);
    QCOMPARE(lang.Msg(u"Launch Error"_qs), u"Launch Error"_qs);
}

void TstLanguage::integerErrorEndsTranslation()
{
    TScratchDir dir;
    dir.write(u"Test.lng"_qs,
              "[Translations]\n"
              "TestForm.Caption=Fenster\n"
              "TestForm.spnCount.Maximum=zehn\n"
              "TestForm.Label1.Caption=Name\n");
    TTestWindow w;
    TLanguage lang(w.form.get());
    lang.LanguageFile = dir.file(u"Test.lng"_qs);
    lang.Properties = QStringList{u"TestForm.Caption"_qs, u"TestForm.spnCount.Maximum"_qs,
                                  u"TestForm.Label1.Caption"_qs};
    bool after = false;
    lang.OnAfterTranslation = [&](QObject *) { after = true; };
    try {
        lang.ApplyLanguage();
        QFAIL("no exception");
    } catch (const EConvertError &e) {
        QCOMPARE(e.message(), u"'zehn' is not a valid integer value"_qs);
    }
    QCOMPARE(w.form->windowTitle(), u"Fenster"_qs);
    QCOMPARE(w.read(u"Label1"_qs, u"text"_qs), u"Name:"_qs);
    QVERIFY(!after);
}

void TstLanguage::msg_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("present") << "Launch Error" << "Startfehler";
    QTest::newRow("key in other letter case") << "LAUNCH error" << "Startfehler";
    QTest::newRow("absent comes back letter for letter") << "Launch  Error?" << "Launch  Error?";
    QTest::newRow("empty value") << "Failed" << "";
    QTest::newRow("quotes removed") << "bytes" << " Bytes ";
    QTest::newRow("key of the other section") << "TestForm.Caption" << "TestForm.Caption";
    QTest::newRow("first of two keys") << "Loading" << "Lade";
    QTest::newRow("punctuation in the key") << "PAD Files|*.Xml|All Files|*.*" << "PAD-Dateien|*.Xml|Alle|*.*";
}

void TstLanguage::msg()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    TScratchDir dir;
    dir.write(u"Test.lng"_qs,
              "[Translations]\n"
              "TestForm.Caption=Fenster\n"
              "[Messages]\n"
              "Launch Error=Startfehler\n"
              "Failed=\n"
              "bytes=\" Bytes \"\n"
              "Loading=Lade\n"
              "loading=wird geladen\n"
              "PAD Files|*.Xml|All Files|*.*=PAD-Dateien|*.Xml|Alle|*.*\n");
    TLanguage lang(nullptr);
    lang.LanguageFile = dir.file(u"Test.lng"_qs);
    QCOMPARE(lang.Msg(text), expected);
}

void TstLanguage::msgReadsTheFileEachTime()
{
    TScratchDir dir;
    TLanguage lang(nullptr);
    lang.LanguageFile = dir.file(u"Test.lng"_qs);
    dir.write(u"Test.lng"_qs, "[Messages]\nFailed=Fehler\n");
    QCOMPARE(lang.Msg(u"Failed"_qs), u"Fehler"_qs);
    dir.write(u"Test.lng"_qs, "[Messages]\nFailed=Fehlgeschlagen\n");
    QCOMPARE(lang.Msg(u"Failed"_qs), u"Fehlgeschlagen"_qs);
    QVERIFY(QFile::remove(lang.LanguageFile));
    QCOMPARE(lang.Msg(u"Failed"_qs), u"Failed"_qs);
}

QTEST_MAIN(TstLanguage)
#include "tst_language.moc"
