#pragma once

#include <QString>
#include <QStringList>

// An INI file with the Windows rules: section and key names match without
// regard to case; a value is the text after the first '=' with the blanks
// (codes 0 to 32) around it removed, then one pair of matching single or
// double quotes around it removed; at most 2047 characters of a value are
// read; of two keys with the same name the first counts. Writing a key that
// exists replaces its line, a new key goes at the end of its section and a new
// section at the end of the file. Every other line is kept as it was.
class TIniFile
{
public:
    static constexpr int MaxValueLength = 2047;

    // Reads the file. A missing file is an empty one; a file that exists but
    // cannot be read is empty too, and readError() says why.
    explicit TIniFile(const QString &path);

    const QString &fileName() const { return m_path; }
    const QString &readError() const { return m_readError; }

    QString readString(const QString &section, const QString &key, const QString &def) const;
    bool valueExists(const QString &section, const QString &key) const;
    bool sectionExists(const QString &section) const;

    // Changes the text in memory; save() writes it. A value is cut at its
    // first line break, since a line break would end it in the file and let
    // the rest become keys or sections of their own.
    void writeString(const QString &section, const QString &key, const QString &value);

    // Writes the whole file at once (it is replaced only when complete);
    // throws EFileError naming the file when it cannot be written.
    void save() const;

private:
    struct Range
    {
        qsizetype header = -1; // line of "[section]"
        qsizetype end = 0;     // one past the section's last line
    };
    Range findSection(const QString &section) const;
    qsizetype findKey(const Range &r, const QString &key) const;
    static bool parseKeyLine(const QString &line, QString *key, QString *value);

    QString m_path;
    QString m_readError;
    QStringList m_lines;
    QString m_eol;
};
