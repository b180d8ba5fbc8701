#pragma once

#include <QString>
#include <QStringView>
#include <span>

// Delimited lines with double quotes as grouping marks, as the site catalogue
// writes them. A delimiter inside quotes belongs to the field; a doubled
// quote stands for one quote (a lone quote only switches quoting and is kept
// itself); quotes enclosing the whole field are removed, then the blanks
// (codes 0 to 32) around it. A field past the end of the line is empty.

// The first fields.size() fields of a line, in one pass. A field whose
// doubled quotes had to be undone is kept in the matching storage entry, so
// storage must be as long as fields.
void SplitFields(QStringView line, QChar delim, std::span<QStringView> fields, std::span<QString> storage);

// Field `index` of a line (0 is the first).
QString GetField(const QString &line, QChar delim, int index);
