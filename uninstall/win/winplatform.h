#pragma once

#include "platform.h"

// The uninstaller's system operations on Windows, through the Win32 calls in
// their 8-bit (ANSI) forms.
class TWinPlatform : public TUninstallPlatform
{
public:
    std::string ownPath() override;
    std::string findFile(const std::string &folder, const std::string &name) override;
    bool messageBox(const std::string &text, const std::string &caption, TButtons buttons) override;
    void shellDelete(const std::string &path) override;
    bool isProtectedFolder(const std::string &path) override;
    bool createProcess(const std::string &commandLine) override;
    bool copyFile(const std::string &from, const std::string &to) override;
    bool deleteFile(const std::string &path) override;
    bool fileExists(const std::string &path) override;
    std::string readFile(const std::string &path) override;
    void writeFile(const std::string &path, const std::string &data) override;
    std::string tempFolder() override;
    std::string windowsFolder() override;
    std::string defaultProgramsFolder() override;
    std::string shortPath(const std::string &path) override;
    int platformId() override;
    void deleteAtRestart(const std::string &path) override;

    bool regDeleteValue(THive hive, const std::string &key, const std::string &name) override;
    std::vector<std::string> regSubKeys(THive hive, const std::string &key) override;
    bool regDeleteKey(THive hive, const std::string &key) override;
    bool regCreateKey(THive hive, const std::string &key) override;
    std::optional<std::string> regReadValue(THive hive, const std::string &key, const std::string &name) override;

    std::string iniRead(const std::string &file, const std::string &section, const std::string &key,
                        const std::string &def) override;
    std::vector<std::string> iniKeyNames(const std::string &file, const std::string &section) override;
    bool iniWrite(const std::string &file, const std::string &section, const std::string &key,
                  const std::string &value) override;
    void iniFlush(const std::string &file) override;
};
