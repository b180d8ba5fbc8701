#pragma once

#include <QByteArray>
#include <QString>

// Text files the program reads (settings, language files, catalogue, PAD
// files) are UTF-8 when they are valid UTF-8, otherwise Windows-1252, the
// code page of files made on Western Windows systems. A UTF-8 byte order
// mark is dropped.
QString decodeText(const QByteArray &bytes);

// Reads and decodes a whole file; throws EFileError with the path when it
// cannot be opened or read.
QString readTextFile(const QString &path);

// The blanks of the INI and language rules: the space and the control
// characters, codes 0 to 32.
inline bool isBlank(QChar c)
{
    return c.unicode() <= 32;
}

// The text without the blanks at either end.
QString trimBlanks(QStringView s);
QStringView blankTrimmed(QStringView s);
