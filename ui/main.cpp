#include "application.h"
#include "qtdialogs.h"
#include "startup.h"

int main(int argc, char *argv[])
{
    // The browser shares its drawing contexts with the windows.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TApplication app(argc, argv);
    TQtDialogs dialogs;
    setDialogs(&dialogs);
    return runProgram(app, QCoreApplication::applicationDirPath());
}
