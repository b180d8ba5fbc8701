#include "posix/posixplatform.h"
#include "uninstall.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TPosixPlatform platform;
    return TUninstaller(platform).Run();
}
