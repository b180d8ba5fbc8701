#include "inifile.h"

#include "errors.h"
#include "textfile.h"

#include <QFile>
#include <QSaveFile>

namespace {

bool sectionName(const QString &line, QString *name)
{
    const QString t = trimBlanks(line);
    if (!t.startsWith(u'['))
        return false;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return false;
    *name = trimBlanks(QStringView(t).mid(1, close - 1));
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

TIniFile::TIniFile(const QString &path)
    : m_path(path)
{
#ifdef Q_OS_WIN
    m_eol = QStringLiteral("\r\n");
#else
    m_eol = QStringLiteral("\n");
#endif
    QFile f(path);
    if (!f.exists())
        return;
    if (!f.open(QIODevice::ReadOnly)) {
        m_readError = f.errorString();
        return;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        m_readError = f.errorString();
        return;
    }
    if (bytes.contains("\r\n"))
        m_eol = QStringLiteral("\r\n");
    QString text = decodeText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    m_lines = text.split(u'\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

bool TIniFile::parseKeyLine(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return false;
    QString k = trimBlanks(QStringView(line).left(eq));
    if (k.isEmpty() || k.startsWith(u'['))
        return false;
    *key = k;
    if (value) {
        QString v = trimBlanks(QStringView(line).mid(eq + 1));
        if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        *value = v.left(MaxValueLength);
    }
    return true;
}

TIniFile::Range TIniFile::findSection(const QString &section) const
{
    Range r;
    QString name;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (!sectionName(m_lines[i], &name))
            continue;
        if (r.header >= 0) {
            r.end = i;
            return r;
        }
        if (sameName(name, section))
            r.header = i;
    }
    r.end = m_lines.size();
    return r;
}

qsizetype TIniFile::findKey(const Range &r, const QString &key) const
{
    if (r.header < 0)
        return -1;
    QString k;
    for (qsizetype i = r.header + 1; i < r.end; ++i) {
        if (parseKeyLine(m_lines[i], &k, nullptr) && sameName(k, key))
            return i;
    }
    return -1;
}

QString TIniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const qsizetype line = findKey(findSection(section), key);
    if (line < 0)
        return def;
    QString k, v;
    parseKeyLine(m_lines[line], &k, &v);
    return v;
}

bool TIniFile::valueExists(const QString &section, const QString &key) const
{
    return findKey(findSection(section), key) >= 0;
}

bool TIniFile::sectionExists(const QString &section) const
{
    return findSection(section).header >= 0;
}

void TIniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QString v = value;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'\r' || v[i] == u'\n') {
            v.truncate(i);
            break;
        }
    }
    const QString line = key + u'=' + v;

    const Range r = findSection(section);
    if (r.header < 0) {
        if (!m_lines.isEmpty() && !trimBlanks(m_lines.last()).isEmpty())
            m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(line);
        return;
    }
    const qsizetype existing = findKey(r, key);
    if (existing >= 0) {
        m_lines[existing] = line;
        return;
    }
    // After the section's last non-blank line, so blank lines between
    // sections stay where they are.
    qsizetype at = r.end;
    while (at > r.header + 1 && trimBlanks(m_lines[at - 1]).isEmpty())
        --at;
    m_lines.insert(at, line);
}

void TIniFile::save() const
{
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        throw EFileError(QStringLiteral("Cannot write \"%1\": %2").arg(m_path, f.errorString()));
    QByteArray out;
    for (const QString &l : m_lines) {
        out += l.toUtf8();
        out += m_eol.toLatin1();
    }
    if (f.write(out) != out.size() || !f.commit())
        throw EFileError(QStringLiteral("Cannot write \"%1\": %2").arg(m_path, f.errorString()));
}
