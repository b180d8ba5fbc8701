#include "exini.h"

#include <algorithm>
#include <stdexcept>

TExInifile::TExInifile(TUninstallPlatform &platform, std::string fileName)
    : m_platform(platform)
    , m_fileName(std::move(fileName))
{
}

std::string TExInifile::ReadString(const std::string &section, const std::string &key, const std::string &def) const
{
    return m_platform.iniRead(m_fileName, section, key, def);
}

void TExInifile::WriteString(const std::string &section, const std::string &key, const std::string &value)
{
    // A read trims blanks and removes quotes around a value and stops at the
    // line's end and after 2047 characters. Read back otherwise than written,
    // "AppPath" would name another folder, so such a value is quoted, or
    // refused when quotes cannot help.
    const bool blankEnd = !value.empty()
                          && (static_cast<unsigned char>(value.front()) <= ' '
                              || static_cast<unsigned char>(value.back()) <= ' ');
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
                        && value.back() == value.front();
    const bool unreadable = value.size() > MaxValue || value.find_first_of("\r\n") != std::string::npos;
    if (unreadable
        || !m_platform.iniWrite(m_fileName, section, key, blankEnd || quoted ? '"' + value + '"' : value))
        throw std::runtime_error("Unable to write to " + m_fileName);
}

void TExInifile::ReadSectionValues(const std::string &section, std::vector<std::string> &list) const
{
    for (const std::string &key : m_platform.iniKeyNames(m_fileName, section)) {
        const std::string value = ReadString(section, key, {});
        const auto line = std::find_if(list.begin(), list.end(), [&key](const std::string &l) {
            return SameText(l.substr(0, l.find('=')), key);
        });
        if (value.empty()) {
            if (line != list.end())
                list.erase(line);
        } else if (line != list.end()) {
            *line = key + '=' + value;
        } else {
            list.push_back(key + '=' + value);
        }
    }
}

void TExInifile::Flush()
{
    m_platform.iniFlush(m_fileName);
}

std::string ExtractField(const std::string &text, char sep, int index)
{
    std::size_t i = 0;
    bool quoted = false;
    for (int seps = 0; seps < index && i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == sep && !quoted)
            ++seps;
    }

    std::string field;
    quoted = false;
    for (; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == sep && !quoted)
            break;
        field += text[i];
    }

    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(field.begin(), field.end(), blank);
    const auto last = std::find_if_not(field.rbegin(), field.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool SameText(const std::string &a, const std::string &b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&lower](char x, char y) { return lower(x) == lower(y); });
}
