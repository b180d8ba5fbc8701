#include "helpwindow.h"

#include "appdir.h"
#include "textfile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kIndexPage = QStringLiteral("index.html");

QString readPage(const QString &path)
{
    try {
        return readTextFile(path);
    } catch (const std::exception &) {
        return {}; // a missing page simply has no title or keywords
    }
}

THelpIndex::Page pageInfo(const QString &file, const QString &html)
{
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption
                                              | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression keywords(
        QStringLiteral("<meta\\s+name=\"keywords\"\\s+content=\"([^\"]*)\""),
        QRegularExpression::CaseInsensitiveOption);
    THelpIndex::Page page{file, title.match(html).captured(1).trimmed(), {}};
    for (const QString &k : keywords.match(html).captured(1).split(u';', Qt::SkipEmptyParts))
        page.keywords << k.trimmed();
    if (page.title.isEmpty())
        page.title = file;
    return page;
}

} // namespace

THelpIndex::THelpIndex(const QString &folder)
    : m_folder(folder)
{
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+\\.html)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    const QDir dir(folder);
    const QString index = readPage(dir.filePath(kIndexPage));
    m_pages << pageInfo(kIndexPage, index);
    for (auto it = link.globalMatch(index); it.hasNext();) {
        const QString file = it.next().captured(1);
        const bool known = std::any_of(m_pages.cbegin(), m_pages.cend(),
                                       [&file](const Page &p) { return p.file == file; });
        if (!known)
            m_pages << pageInfo(file, readPage(dir.filePath(file)));
    }
}

QList<QPair<QString, QString>> THelpIndex::keywords() const
{
    QList<QPair<QString, QString>> out;
    for (const Page &p : m_pages) {
        for (const QString &k : p.keywords)
            out.append({k, p.file});
    }
    std::stable_sort(out.begin(), out.end(), [](const auto &a, const auto &b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
    return out;
}

QString THelpIndex::pageForContext(int context)
{
    switch (context) {
    case 30:
        return QStringLiteral("selectors.html");
    case 40:
        return QStringLiteral("configuration.html");
    default:
        return {};
    }
}

THelpWindow::THelpWindow(const QString &folder, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_index(folder)
    , m_tabs(new QTabWidget)
    , m_contents(new QListWidget)
    , m_keywordEdit(new QLineEdit)
    , m_keywordList(new QListWidget)
    , m_browser(new QTextBrowser)
{
    setObjectName(QStringLiteral("HelpWindow"));
    // Closing the main window ends the program, also while help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Quorvane Submit Help"));
    resize(760, 520);

    for (const THelpIndex::Page &p : m_index.pages()) {
        auto *item = new QListWidgetItem(p.title, m_contents);
        item->setData(Qt::UserRole, p.file);
    }
    for (const auto &[keyword, file] : m_index.keywords()) {
        auto *item = new QListWidgetItem(keyword, m_keywordList);
        item->setData(Qt::UserRole, file);
    }

    auto *indexPage = new QWidget;
    auto *indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    m_keywordEdit->setPlaceholderText(QStringLiteral("Type a keyword"));
    indexLayout->addWidget(m_keywordEdit);
    indexLayout->addWidget(m_keywordList);
    m_tabs->addTab(m_contents, QStringLiteral("Contents"));
    m_tabs->addTab(indexPage, QStringLiteral("Index"));

    m_browser->setSearchPaths({folder});
    m_browser->setOpenExternalLinks(true);

    auto *split = new QSplitter;
    split->addWidget(m_tabs);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 3);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(split);

    auto open = [this](QListWidgetItem *item) {
        if (item)
            showPage(item->data(Qt::UserRole).toString());
    };
    connect(m_contents, &QListWidget::itemClicked, this, open);
    connect(m_keywordList, &QListWidget::itemClicked, this, open);
    connect(m_keywordList, &QListWidget::itemActivated, this, open);
    connect(m_keywordEdit, &QLineEdit::textChanged, this, &THelpWindow::filterKeywords);
    connect(m_keywordEdit, &QLineEdit::returnPressed, this, [this, open] {
        for (int i = 0; i < m_keywordList->count(); ++i) {
            if (!m_keywordList->item(i)->isHidden())
                return open(m_keywordList->item(i));
        }
    });
}

void THelpWindow::filterKeywords(const QString &text)
{
    QListWidgetItem *first = nullptr;
    for (int i = 0; i < m_keywordList->count(); ++i) {
        QListWidgetItem *item = m_keywordList->item(i);
        const bool match = item->text().contains(text.trimmed(), Qt::CaseInsensitive);
        item->setHidden(!match);
        if (match && !first)
            first = item;
    }
    m_keywordList->setCurrentItem(first);
}

void THelpWindow::showPage(const QString &file)
{
    m_browser->setSource(QUrl::fromLocalFile(QDir(m_index.folder()).filePath(file)));
    show();
    raise();
    activateWindow();
}

void THelpWindow::showContents()
{
    m_tabs->setCurrentIndex(0);
    showPage(kIndexPage);
}

void THelpWindow::showKeywordSearch(const QString &keyword)
{
    m_tabs->setCurrentIndex(1);
    m_keywordEdit->setText(keyword);
    filterKeywords(keyword);
    show();
    raise();
    m_keywordEdit->setFocus();
}

void THelpWindow::showContext(int context)
{
    const QString page = THelpIndex::pageForContext(context);
    if (page.isEmpty())
        showContents();
    else
        showPage(page);
}

THelpWindow *HelpWindow()
{
    static QPointer<THelpWindow> window;
    if (!window) {
        window = new THelpWindow(AppDir() + QStringLiteral("help/"));
        // Gone with the loop, before the windows' owner data is torn down.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [] { delete window; });
    }
    return window;
}
