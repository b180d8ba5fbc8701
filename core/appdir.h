#pragma once

#include <QString>

// Folder of the running program file, ending in '/'. Set once at start-up;
// the settings, language files, help pages and downloads live there.
QString AppDir();
void setAppDir(const QString &dir);
