#pragma once

#include <QString>

// The maker's web site, which is also the update server: the Help menu and
// the about box open its pages, and the update check fetches from it unless
// the settings name a mirror.
inline QString MakerSite()
{
    return QStringLiteral("http://www.quorvane.example");
}
