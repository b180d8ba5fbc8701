#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The text of an INI file under the rules of the Windows profile functions:
// section and key names match without regard to case; a value is the text
// after the first "=" with the blanks around it removed, then one pair of
// matching single or double quotes removed, and at most 2047 characters of it
// are read; of two keys with the same name the first counts. Writing replaces
// the key's line or adds one at the end of the section, or the section at the
// end of the text; every other line stays as it was.
class TProfileText
{
public:
    static constexpr std::size_t MaxValue = 2047;
    static constexpr std::size_t MaxKeyNames = 16 * 1024;

    explicit TProfileText(const std::string &text);

    std::optional<std::string> value(const std::string &section, const std::string &key) const;
    // Key names in file order; names that would pass MaxKeyNames bytes in all
    // (each with a terminating zero, as the system counts them) are left out.
    std::vector<std::string> keyNames(const std::string &section) const;
    // A value is cut at its first line break, which would otherwise end it
    // and turn the rest into keys or sections of their own.
    void write(const std::string &section, const std::string &key, const std::string &value);
    std::string text() const;

private:
    struct Range
    {
        std::size_t header = std::string::npos;
        std::size_t end = 0;
    };
    Range findSection(const std::string &section) const;
    std::size_t findKey(const Range &range, const std::string &key) const;

    std::vector<std::string> m_lines;
    std::string m_eol = "\n";
};
