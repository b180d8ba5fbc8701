#pragma once

#include "platform.h"

#include <string>
#include <vector>

// The uninstaller's configuration file, read and written through the system's
// INI-file functions; every call opens the file anew.
class TExInifile
{
public:
    TExInifile(TUninstallPlatform &platform, std::string fileName);

    const std::string &FileName() const { return m_fileName; }

    std::string ReadString(const std::string &section, const std::string &key, const std::string &def) const;
    // The most characters of a value that a read returns.
    static constexpr std::size_t MaxValue = 2047;

    // Throws std::runtime_error "Unable to write to <file>" when the system
    // refuses, or when the value could not be read back as it is (a line
    // break, more than MaxValue characters). A value with blanks or quotes at
    // its ends is written in double quotes, which a read removes.
    void WriteString(const std::string &section, const std::string &key, const std::string &value);
    // Merges the section's entries into list as key=value lines: a key with a
    // value replaces the line of the same key (case ignored) or is added, a
    // key with an empty value removes it.
    void ReadSectionValues(const std::string &section, std::vector<std::string> &list) const;
    void Flush();

private:
    TUninstallPlatform &m_platform;
    std::string m_fileName;
};

// Field number index (from 0) of text, fields separated by sep; a sep inside
// double quotes belongs to the field, quotes around the whole field and blanks
// around it are removed.
std::string ExtractField(const std::string &text, char sep, int index);

// True when a and b are equal apart from the letter case of A to Z.
bool SameText(const std::string &a, const std::string &b);
