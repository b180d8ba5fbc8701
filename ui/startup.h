#pragma once

#include <QString>

class TApplication;

// The program's start-up and shutdown: sets AppDir to appDir, creates and
// loads AppConfig, creates Form1, DM1, frmData and frmSites, runs the loop
// until the main window closes (SIGTERM and SIGINT close it too), then saves
// the settings once and destroys what it created. A settings file that could
// not be read is reported and never overwritten. Returns the exit code.
int runProgram(TApplication &app, const QString &appDir);
