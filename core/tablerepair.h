#pragma once

#include <QString>

struct TTableDef;

// Repairs a damaged table file: every row that can still be read is copied
// into a new file of the current layout, which then takes the damaged file's
// place. The damaged file is kept beside it first, as "<file>.damaged" (or
// "<file>.damaged.2", ... when that name is taken), and its name returned.
// A file whose 100-byte header was overwritten gets a rebuilt header, so its
// rows come back; rows on damaged pages are skipped. Throws EDatabaseError,
// leaving the file as it was, when not even the table can be found in it.
QString repairTableFile(const QString &path, const TTableDef &table);
