#include "profiletext.h"

#include "exini.h"
#include "wholefile.h"

#include <algorithm>

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trim(const std::string &s)
{
    const auto first = std::find_if_not(s.begin(), s.end(), IsBlank);
    const auto last = std::find_if_not(s.rbegin(), s.rend(), IsBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool SectionName(const std::string &line, std::string *name)
{
    const std::string t = Trim(line);
    const std::size_t close = t.find(']');
    if (t.empty() || t.front() != '[' || close == std::string::npos)
        return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

bool KeyLine(const std::string &line, std::string *key, std::string *value)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    *key = Trim(line.substr(0, eq));
    if (key->empty() || key->front() == '[')
        return false;
    if (value) {
        std::string v = Trim(line.substr(eq + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        *value = v.substr(0, TProfileText::MaxValue);
    }
    return true;
}

} // namespace

TProfileText::TProfileText(const std::string &text)
{
    if (text.find("\r\n") != std::string::npos)
        m_eol = "\r\n";
    m_lines = SplitLines(text);
}

TProfileText::Range TProfileText::findSection(const std::string &section) const
{
    Range r;
    std::string name;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (!SectionName(m_lines[i], &name))
            continue;
        if (r.header != std::string::npos) {
            r.end = i;
            return r;
        }
        if (SameText(name, section))
            r.header = i;
    }
    r.end = m_lines.size();
    return r;
}

std::size_t TProfileText::findKey(const Range &range, const std::string &key) const
{
    if (range.header == std::string::npos)
        return std::string::npos;
    std::string k;
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (KeyLine(m_lines[i], &k, nullptr) && SameText(k, key))
            return i;
    }
    return std::string::npos;
}

std::optional<std::string> TProfileText::value(const std::string &section, const std::string &key) const
{
    const std::size_t line = findKey(findSection(section), key);
    if (line == std::string::npos)
        return std::nullopt;
    std::string k, v;
    KeyLine(m_lines[line], &k, &v);
    return v;
}

std::vector<std::string> TProfileText::keyNames(const std::string &section) const
{
    std::vector<std::string> names;
    const Range r = findSection(section);
    if (r.header == std::string::npos)
        return names;
    std::size_t size = 0;
    std::string k;
    for (std::size_t i = r.header + 1; i < r.end; ++i) {
        if (!KeyLine(m_lines[i], &k, nullptr))
            continue;
        size += k.size() + 1;
        if (size >= MaxKeyNames)
            break;
        names.push_back(k);
    }
    return names;
}

void TProfileText::write(const std::string &section, const std::string &key, const std::string &value)
{
    const std::string line = key + '=' + value.substr(0, value.find_first_of("\r\n"));
    const Range r = findSection(section);
    if (r.header == std::string::npos) {
        if (!m_lines.empty() && !Trim(m_lines.back()).empty())
            m_lines.emplace_back();
        m_lines.push_back('[' + section + ']');
        m_lines.push_back(line);
        return;
    }
    if (const std::size_t existing = findKey(r, key); existing != std::string::npos) {
        m_lines[existing] = line;
        return;
    }
    // After the section's last non-blank line, so blank lines between
    // sections stay where they are.
    std::size_t at = r.end;
    while (at > r.header + 1 && Trim(m_lines[at - 1]).empty())
        --at;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), line);
}

std::string TProfileText::text() const
{
    std::string out;
    for (const std::string &line : m_lines)
        out += line + m_eol;
    return out;
}
