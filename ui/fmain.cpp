#include "fmain.h"

#include "aboutbox.h"
#include "animate.h"
#include "config.h"
#include "dm.h"
#include "fdatasel.h"
#include "fconfig.h"
#include "fsites.h"
#include "helpwindow.h"
#include "include.h"
#include "language.h"
#include "maker.h"
#include "navimages.h"
#include "pathlists.h"
#include "updatecheck.h"
#include "webpage.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineView>

TForm1 *Form1 = nullptr;

namespace {

// The selectors exist from start-up; showing one brings it up.
void showWindow(QWidget *window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
{
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quorvane Submit"));
    resize(503, 370);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    buildBars();
    buildMenus();

    Language1 = new TLanguage(this);
    Language1->setSeparator(QStringLiteral(";"));
    Language1->Properties = LanguagePaths(objectName());
    Language1->LanguageFile = AppDir() + AppConfig->Language + QStringLiteral(".lng");
    if (AppConfig->Language != QLatin1String("English"))
        Language1->ApplyLanguage();
    setMessageLookup([this](const QString &text) { return Language1->Msg(text); });

    fillLanguageMenu();
    updateNavState();

    m_update = std::make_unique<TUpdateCheck>(TUpdateCheck::Hooks{
        [this](const QString &text) { setStatusText(text); },
        [](bool busy) {
            if (busy)
                QApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QApplication::restoreOverrideCursor();
        },
        [this](bool enabled) {
            if (QAction *item = findChild<QAction *>(QStringLiteral("Checkforupdates1")))
                item->setEnabled(enabled);
        },
        [] { return DM1 && DM1->UpdateSites(); },
    });
}

TForm1::~TForm1()
{
    setMessageLookup({});
    if (Form1 == this)
        Form1 = nullptr;
}

QAction *TForm1::addItem(QMenu *menu, const char *name, const QString &caption,
                         const QKeySequence &shortcut)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    menu->addAction(action);
    return action;
}

// A menu item that stands for an action: it carries its own name (language
// files address it) and follows the action's state.
QAction *TForm1::mirror(QMenu *menu, const char *name, QAction *action)
{
    QAction *item = addItem(menu, name, action->text());
    item->setIcon(action->icon());
    item->setEnabled(action->isEnabled());
    connect(action, &QAction::changed, item, [item, action] { item->setEnabled(action->isEnabled()); });
    connect(item, &QAction::triggered, action, &QAction::trigger);
    return item;
}

void TForm1::buildBars()
{
    BackAction = new QAction(NavigatorImage(0), QStringLiteral("Back"), this);
    BackAction->setObjectName(QStringLiteral("BackAction"));
    ForwardAction = new QAction(NavigatorImage(1), QStringLiteral("Forward"), this);
    ForwardAction->setObjectName(QStringLiteral("ForwardAction"));
    StopAction = new QAction(NavigatorImage(2), QStringLiteral("Stop"), this);
    StopAction->setObjectName(QStringLiteral("StopAction"));
    RefreshAction = new QAction(NavigatorImage(3), QString(), this);
    RefreshAction->setObjectName(QStringLiteral("RefreshAction"));
    connect(BackAction, &QAction::triggered, this, &TForm1::BackClick);
    connect(ForwardAction, &QAction::triggered, this, &TForm1::ForwardClick);
    connect(StopAction, &QAction::triggered, this, &TForm1::StopClick);
    connect(RefreshAction, &QAction::triggered, this, &TForm1::RefreshClick);

    CoolBar1 = new QWidget;
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    auto *bands = new QVBoxLayout(CoolBar1);
    bands->setContentsMargins(2, 2, 2, 2);
    bands->setSpacing(2);

    auto *row = new QHBoxLayout;
    ToolBar1 = new QToolBar;
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolBar1->setIconSize(QSize(30, 20));
    ToolBar1->setMinimumHeight(26);
    ToolBar1->setFloatable(false);
    ToolBar1->setMovable(false);
    const std::pair<const char *, QAction *> buttons[] = {
        {"BackBtn", BackAction}, {"ForwardBtn", ForwardAction},
        {"StopBtn", StopAction}, {"RefreshBtn", RefreshAction}};
    for (const auto &[name, action] : buttons) {
        auto *button = new QToolButton;
        button->setObjectName(QString::fromLatin1(name));
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setMinimumSize(90, 26);
        ToolBar1->addWidget(button);
    }
    BackBtn = ToolBar1->findChild<QToolButton *>(QStringLiteral("BackBtn"));
    ForwardBtn = ToolBar1->findChild<QToolButton *>(QStringLiteral("ForwardBtn"));
    StopBtn = ToolBar1->findChild<QToolButton *>(QStringLiteral("StopBtn"));
    RefreshBtn = ToolBar1->findChild<QToolButton *>(QStringLiteral("RefreshBtn"));
    row->addWidget(ToolBar1, 1);
    Animate1 = new TAnimate;
    Animate1->setObjectName(QStringLiteral("Animate1"));
    row->addWidget(Animate1);
    bands->addLayout(row);

    auto *addressRow = new QHBoxLayout;
    auto *addressLabel = new QLabel(QStringLiteral("Address"));
    addressLabel->setObjectName(QStringLiteral("AddressBand"));
    cboUrl = new QComboBox;
    cboUrl->setObjectName(QStringLiteral("cboUrl"));
    cboUrl->setEditable(true);
    cboUrl->setInsertPolicy(QComboBox::NoInsert);
    cboUrl->setMinimumHeight(24);
    cboUrl->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    cboUrl->completer()->setCompletionMode(QCompleter::InlineCompletion);
    cboUrl->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    addressLabel->setBuddy(cboUrl);
    // Enter opens the text; picking from the list opens the item at once.
    cboUrl->lineEdit()->installEventFilter(this);
    connect(cboUrl, &QComboBox::activated, this, [this](int index) {
        cboUrl->setEditText(cboUrl->itemText(index));
        FindAddress();
    });
    addressRow->addWidget(addressLabel);
    addressRow->addWidget(cboUrl, 1);
    bands->addLayout(addressRow);

    WebBrowser1 = new QWebEngineView;
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    m_page = new TWebPage(WebBrowser1);
    WebBrowser1->setPage(m_page);
    connect(m_page, &TWebPage::beforeNavigate, this,
            [this](const QUrl &url) { beforeNavigate(url.toString()); });
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { loading(true); });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this] { loading(false); });
    connect(m_page, &QWebEnginePage::linkHovered, this, &TForm1::setStatusText);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CoolBar1);
    layout->addWidget(WebBrowser1, 1);
    setCentralWidget(central);

    StatusBar1 = new QStatusBar;
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    m_panel0 = new QLabel;
    m_panel0->setObjectName(QStringLiteral("Panel0"));
    StatusBar1->addWidget(m_panel0, 1);
    setStatusBar(StatusBar1);
}

void TForm1::buildMenus()
{
    auto menu = [this](const char *name, const QString &title) {
        QMenu *m = menuBar()->addMenu(title);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };

    QMenu *file = menu("File1", QStringLiteral("&File"));
    connect(addItem(file, "Refreshdata1", QStringLiteral("&Refresh data")), &QAction::triggered, this,
            [] {
                if (DM1)
                    DM1->RefreshData();
            });
    Language2 = file->addMenu(QStringLiteral("&Language"));
    Language2->setObjectName(QStringLiteral("Language2"));
    connect(addItem(file, "Checkforupdates1", QStringLiteral("Check for site &updates")),
            &QAction::triggered, this, &TForm1::Checkforupdates1Click);
    file->addSeparator();
    connect(addItem(file, "Exit1", QStringLiteral("E&xit")), &QAction::triggered, this, &QWidget::close);

    QMenu *view = menu("View1", QStringLiteral("&View"));
    connect(addItem(view, "Dataselector1", QStringLiteral("&Data selector"), QKeySequence(Qt::CTRL | Qt::Key_D)),
            &QAction::triggered, this, [] { showWindow(frmData); });
    connect(addItem(view, "Sites1", QStringLiteral("&Sites"), QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, [] { showWindow(frmSites); });
    connect(addItem(view, "Configuration1", QStringLiteral("&Configuration"), QKeySequence(Qt::ALT | Qt::Key_C)),
            &QAction::triggered, this, [] {
                TfrmConfig config;
                config.exec();
            });
    view->addSeparator();
    QAction *toolbar = addItem(view, "Toolbar3", QStringLiteral("&Toolbar"));
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::toggled, CoolBar1, &QWidget::setVisible);
    QAction *status = addItem(view, "Statusbar2", QStringLiteral("Status &Bar"));
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, StatusBar1, &QWidget::setVisible);
    view->addSeparator();
    mirror(view, "Stop1", StopAction);
    mirror(view, "Refresh1", RefreshAction)->setText(QStringLiteral("Refresh"));

    QMenu *go = menu("Go1", QStringLiteral("&Go"));
    mirror(go, "Back1", BackAction);
    mirror(go, "Forward1", ForwardAction);

    QMenu *help = menu("Help1", QStringLiteral("&Help"));
    connect(addItem(help, "Index1", QStringLiteral("&Index"), QKeySequence(Qt::Key_F1)), &QAction::triggered,
            this, [] { HelpWindow()->showContents(); });
    connect(addItem(help, "Keywordsearch1", QStringLiteral("Keyword search")), &QAction::triggered, this,
            [] { HelpWindow()->showKeywordSearch(QString()); });
    help->addSeparator();
    connect(addItem(help, "VRAhomepage1", QStringLiteral("VRA home page")), &QAction::triggered, this,
            [] { LaunchUrl(MakerSite() + QStringLiteral("/"), false); });
    connect(addItem(help, "Kelsprintwebsite1", QStringLiteral("Kelsprint web site")), &QAction::triggered,
            this, [] { LaunchUrl(MakerSite() + QStringLiteral("/kelsprint.html"), false); });
    help->addSeparator();
    connect(addItem(help, "About1", QStringLiteral("&About...")), &QAction::triggered, this, [] {
        TAboutBox about;
        about.exec();
    });
}

void TForm1::fillLanguageMenu()
{
    const QStringList files = QDir(AppDir()).entryList({QStringLiteral("*.lng")}, QDir::Files | QDir::Hidden);
    for (const QString &file : files) {
        const QString name = FileNameNoExt(file);
        // Every window opens the language as AppDir + name + ".lng"; a file
        // that this name does not reach (".LNG" where letter case counts)
        // would be listed but never applied.
        if (!QFileInfo::exists(AppDir() + name + QStringLiteral(".lng")))
            continue;
        auto *item = new QAction(QString(name).replace(u'&', QLatin1String("&&")), this);
        item->setObjectName(QStringLiteral("Language_") + name);
        connect(item, &QAction::triggered, this, [this, name] { LangExec(name); });
        Language2->addAction(item);
    }
}

void TForm1::LangExec(const QString &name)
{
    Language1->LanguageFile = AppDir() + name + QStringLiteral(".lng");
    Language1->ApplyLanguage();
    AppConfig->Language = name;
    AppConfig->Save();
}

void TForm1::FindAddress()
{
    m_history.FindAddress();
    WebBrowser1->setUrl(QUrl::fromUserInput(cboUrl->currentText()));
}

void TForm1::beforeNavigate(const QString &address)
{
    m_history.BeforeNavigate(address);
    syncAddressList();
    cboUrl->setEditText(address);
    setStatusText(address);
    updateNavState();
}

void TForm1::syncAddressList()
{
    const QStringList &list = m_history.AddressList();
    QStringList shown;
    for (int i = 0; i < cboUrl->count(); ++i)
        shown << cboUrl->itemText(i);
    if (shown == list)
        return;
    const QString text = cboUrl->currentText();
    const QSignalBlocker block(cboUrl);
    cboUrl->clear();
    cboUrl->addItems(list);
    cboUrl->setEditText(text);
}

void TForm1::updateNavState()
{
    BackAction->setEnabled(m_history.CanGoBack());
    ForwardAction->setEnabled(m_history.CanGoForward());
}

void TForm1::BackClick()
{
    cboUrl->setEditText(m_history.BackAddress());
    FindAddress();
}

void TForm1::ForwardClick()
{
    cboUrl->setEditText(m_history.ForwardAddress());
    FindAddress();
}

void TForm1::StopClick()
{
    WebBrowser1->stop();
}

void TForm1::RefreshClick()
{
    FindAddress();
}

void TForm1::loading(bool busy)
{
    StopAction->setIcon(NavigatorImage(busy ? 4 : 2));
    Animate1->setActive(busy);
}

QString TForm1::StatusText() const
{
    return m_panel0->text();
}

void TForm1::setStatusText(const QString &text)
{
    m_panel0->setText(text);
}

void TForm1::Checkforupdates1Click()
{
    m_update->Check();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // A running check ends at once rather than at its time-out, and shows or
    // imports nothing once the window has gone.
    m_update->Cancel();
    QMainWindow::closeEvent(event);
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    const auto mods = event->modifiers() & (Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier);
    if (mods == Qt::AltModifier) {
        if (event->key() == Qt::Key_Right && ForwardAction->isEnabled()) {
            ForwardBtn->click();
            return;
        }
        if (event->key() == Qt::Key_Left && BackAction->isEnabled()) {
            BackBtn->click();
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cboUrl->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            FindAddress();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
