#pragma once

#include <QString>
#include <QStringList>

// The property paths each window's language component translates, in order,
// window name first ("frmConfig.cboLicense.Items"). Language files name
// these paths, so the lists are part of the program's outside interface.
// Empty for a name that is not one of the windows.
QStringList LanguagePaths(const QString &windowName);

// The windows that carry a path list: Form1, frmConfig, frmData, frmSites, AboutBox.
QStringList LanguageWindows();
