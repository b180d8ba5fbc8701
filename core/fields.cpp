#include "fields.h"

#include "errors.h"
#include "textfile.h"

#include <vector>

void SplitFields(QStringView line, QChar delim, std::span<QStringView> fields, std::span<QString> storage)
{
    if (storage.size() < fields.size())
        throw EListError(QStringLiteral("SplitFields: storage for %1 fields is too short").arg(fields.size()));
    const qsizetype n = line.size();
    qsizetype i = 0;
    bool more = true; // the previous field ended at a delimiter
    for (size_t f = 0; f < fields.size(); ++f) {
        if (!more) {
            fields[f] = QStringView();
            continue;
        }
        const qsizetype start = i;
        bool quoted = false;
        bool pairs = false;
        for (; i < n && !(line[i] == delim && !quoted); ++i) {
            if (line[i] != u'"')
                continue;
            if (i + 1 < n && line[i + 1] == u'"') {
                ++i;
                pairs = true;
            } else {
                quoted = !quoted;
            }
        }
        QStringView field = line.sliced(start, i - start);
        if (pairs) {
            storage[f] = field.toString().replace(QStringLiteral("\"\""), QStringLiteral("\""));
            field = storage[f];
        }
        if (!field.isEmpty() && field.front() == u'"' && field.back() == u'"')
            field = field.size() == 1 ? QStringView() : field.sliced(1, field.size() - 2);
        fields[f] = blankTrimmed(field);
        more = i < n;
        ++i;
    }
}

QString GetField(const QString &line, QChar delim, int index)
{
    // A line has at most one field more than it has characters.
    if (index < 0 || index > line.size())
        return {};
    std::vector<QStringView> fields(size_t(index) + 1);
    std::vector<QString> storage(fields.size());
    SplitFields(line, delim, fields, storage);
    return fields.back().toString();
}
