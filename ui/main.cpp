#include "application.h"
#include "qtdialogs.h"
#include "startup.h"

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    TQtDialogs dialogs;
    setDialogs(&dialogs);
    return runProgram(app, QCoreApplication::applicationDirPath());
}
