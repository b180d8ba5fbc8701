#pragma once

#include "browsehistory.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class QWebEngineView;
class TAnimate;
class TLanguage;
class TUpdateCheck;
class TWebPage;

// The main window: a small web browser with a back and forward history and
// an address list, whose menus open the other windows, refresh the data,
// switch the language, check for site updates and open the help.
class TForm1 final : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The address box; its text is what FindAddress opens.
    QComboBox *cboUrl = nullptr;
    QWebEngineView *WebBrowser1 = nullptr;
    TLanguage *Language1 = nullptr;
    TAnimate *Animate1 = nullptr;
    QWidget *CoolBar1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QAction *BackAction = nullptr;
    QAction *ForwardAction = nullptr;
    QAction *StopAction = nullptr;
    QAction *RefreshAction = nullptr;
    QToolButton *BackBtn = nullptr;
    QToolButton *ForwardBtn = nullptr;
    QToolButton *StopBtn = nullptr;
    QToolButton *RefreshBtn = nullptr;
    QMenu *Language2 = nullptr;

    // Opens the address in the address box.
    void FindAddress();
    const TBrowseHistory &Browse() const { return m_history; }
    // Text of status panel 0.
    QString StatusText() const;
    void setStatusText(const QString &text);

    TUpdateCheck &UpdateCheck() { return *m_update; }

    // Menu handlers.
    void BackClick();
    void ForwardClick();
    void StopClick();
    void RefreshClick();
    void LangExec(const QString &name);
    void Checkforupdates1Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *addItem(QMenu *menu, const char *name, const QString &caption,
                     const QKeySequence &shortcut = {});
    QAction *mirror(QMenu *menu, const char *name, QAction *action);
    void buildMenus();
    void buildBars();
    void fillLanguageMenu();
    void beforeNavigate(const QString &address);
    void updateNavState();
    void syncAddressList();
    void loading(bool busy);

    TBrowseHistory m_history;
    TWebPage *m_page = nullptr;
    QLabel *m_panel0 = nullptr;
    std::unique_ptr<TUpdateCheck> m_update;
};

extern TForm1 *Form1;
