#include "uninstall.h"
#include "win/winplatform.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    TWinPlatform platform;
    return TUninstaller(platform).Run();
}
