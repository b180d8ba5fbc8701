#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

// The help pages beside the program: their titles (contents order, taken
// from the links of index.html) and their keywords (from each page's
// <meta name="keywords"> list, separated by ';').
class THelpIndex
{
public:
    struct Page
    {
        QString file;
        QString title;
        QStringList keywords;
    };

    explicit THelpIndex(const QString &folder);

    const QString &folder() const { return m_folder; }
    const QList<Page> &pages() const { return m_pages; }
    // Every keyword with the page it leads to, sorted without regard to case.
    QList<QPair<QString, QString>> keywords() const;
    // The page that a help context number opens; empty for an unknown one.
    static QString pageForContext(int context);

private:
    QString m_folder;
    QList<Page> m_pages;
};

// The help window: contents and a searchable keyword index beside the page.
class THelpWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit THelpWindow(const QString &folder, QWidget *parent = nullptr);

    void showContents();
    void showKeywordSearch(const QString &keyword);
    void showContext(int context);
    void showPage(const QString &file);

    QTextBrowser *browser() const { return m_browser; }
    QListWidget *keywordList() const { return m_keywordList; }
    QLineEdit *keywordEdit() const { return m_keywordEdit; }

private:
    void filterKeywords(const QString &text);

    THelpIndex m_index;
    QTabWidget *m_tabs;
    QListWidget *m_contents;
    QLineEdit *m_keywordEdit;
    QListWidget *m_keywordList;
    QTextBrowser *m_browser;
};

// The program's one help window, created on first use; its pages are in
// AppDir + "help/".
THelpWindow *HelpWindow();
