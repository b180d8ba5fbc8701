#pragma once

#include <QIcon>

// The navigation bar's five images, 30 by 20: 0 Back, 1 Forward, 2 Stop,
// 3 Refresh, 4 Stop while a page loads. Each icon carries the normal image
// and, as its active mode, the brighter hot-tracking one.
QIcon NavigatorImage(int index);
