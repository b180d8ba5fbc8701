// Starts the program as usual, in a scratch copy of its folder, and saves a
// picture of each window into the folder named on the command line.
#include "aboutbox.h"
#include "application.h"
#include "fmain.h"
#include "helpwindow.h"
#include "qtdialogs.h"
#include "startup.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <cstdio>

namespace {

const char kPage[] = R"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>Submit your software</title>
<style>body{font-family:sans-serif;margin:16px;background:#f6f8fb}h1{font-size:18px;color:#1f4e8c}
label{display:block;margin-top:6px;font-size:12px}input{width:95%}</style></head><body>
<h1>Submit your software</h1>
<label>Program name<input value="Quorvane Submit"></label>
<label>Version<input value="1.0"></label>
<label>Download address<input value="http://www.quorvane.example/download/setup.zip"></label>
</body></html>)";

bool copyBeside(const QString &from, const QString &to)
{
    const QDir src(from);
    bool ok = true;
    for (const QString &lng : src.entryList({QStringLiteral("*.lng")}, QDir::Files))
        ok = QFile::copy(src.filePath(lng), to + u'/' + lng) && ok;
    QDir().mkpath(to + QStringLiteral("/help"));
    const QDir help(src.filePath(QStringLiteral("help")));
    for (const QString &page : help.entryList(QDir::Files))
        ok = QFile::copy(help.filePath(page), to + QStringLiteral("/help/") + page) && ok;
    return ok;
}

bool save(QWidget *window, const QString &file)
{
    const bool ok = window->grab().save(file);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(file));
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);
    QTemporaryDir scratch;
    if (!scratch.isValid() || !copyBeside(QCoreApplication::applicationDirPath(), scratch.path()))
        return 1;
    QDir::setCurrent(scratch.path());
    QFile page(scratch.filePath(QStringLiteral("submit.html")));
    if (!page.open(QIODevice::WriteOnly) || page.write(kPage) < 0)
        return 1;
    page.close();

    TQtDialogs dialogs;
    setDialogs(&dialogs);
    bool ok = true;
    QTimer::singleShot(0, [&] {
        QObject::connect(Form1->WebBrowser1, &QWebEngineView::loadFinished, Form1, [&] {
            // Give the page a moment to be painted.
            QTimer::singleShot(1500, [&] {
                ok = save(Form1, out + QStringLiteral("/main-window.png")) && ok;
                {
                    TAboutBox about;
                    about.show();
                    ok = save(&about, out + QStringLiteral("/about-box.png")) && ok;
                }
                THelpWindow *help = HelpWindow();
                help->showContents();
                ok = save(help, out + QStringLiteral("/help-window.png")) && ok;
                help->close();
                Form1->close();
            });
        }, Qt::SingleShotConnection);
        Form1->resize(640, 480);
        Form1->cboUrl->setEditText(QUrl::fromLocalFile(page.fileName()).toString());
        Form1->FindAddress();
    });
    const int code = runProgram(app, scratch.path());
    return ok ? code : 1;
}
