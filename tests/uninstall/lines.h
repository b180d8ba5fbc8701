#pragma once

#include <QStringList>

#include <string>
#include <vector>

// Lines of the uninstaller's 8-bit text as a QStringList, which QCOMPARE shows
// in full when a test fails.
inline QStringList Lines(const std::vector<std::string> &lines)
{
    QStringList list;
    for (const std::string &line : lines)
        list << QString::fromStdString(line);
    return list;
}
