#include "selectorwindow.h"

#include "config.h"
#include "helpwindow.h"
#include "include.h"
#include "language.h"
#include "pathlists.h"

#include <QAction>
#include <QWidget>

TLanguage *prepareSelector(QWidget *window, const QString &caption, const QRect &geometry)
{
    window->setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    window->setWindowTitle(caption);
    window->setGeometry(geometry);

    auto *help = new QAction(window);
    help->setShortcut(Qt::Key_F1);
    help->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(help, &QAction::triggered, window, [] { HelpWindow()->showContext(30); });
    window->addAction(help);

    auto *language = new TLanguage(window);
    language->setSeparator(QStringLiteral(";"));
    language->Properties = LanguagePaths(window->objectName());
    if (AppConfig && AppConfig->Language != QLatin1String("English")) {
        language->LanguageFile = AppDir() + AppConfig->Language + QStringLiteral(".lng");
        language->ApplyLanguage();
    }
    return language;
}
