#pragma once

#include <QRect>
#include <QString>

class QWidget;
class TLanguage;

// What the two selector windows share: they stay on top of the program's
// other windows as tool windows, open at their own place, F1 shows their help
// page, and their texts are translated when they are created.
TLanguage *prepareSelector(QWidget *window, const QString &caption, const QRect &geometry);
