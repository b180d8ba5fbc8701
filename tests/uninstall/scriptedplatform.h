#pragma once

#include "platform.h"

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

// A platform that keeps files and registry in memory, answers questions from
// a script and writes every change it makes, and every message box, to a log.
class TScriptedPlatform : public TUninstallPlatform
{
public:
    struct TNoCase
    {
        bool operator()(const std::string &a, const std::string &b) const;
    };
    using TValues = std::map<std::string, std::string, TNoCase>;

    std::string own = "/tmp/uninstall.exe";
    std::string temp = "/tmp/";
    std::string windows = "/windows";
    std::string programsDefault;
    int platform = 2;
    bool canStart = true;
    std::map<std::string, std::string> files;            // path -> contents
    std::set<std::string> locked;                        // files that cannot be deleted, read or written
    std::set<std::string> protectedFolders;
    std::map<std::string, std::string> shortNames;       // path -> short form
    std::map<std::string, TValues, TNoCase> registry;    // "HKLM\key" or "HKCU\key" -> values
    std::deque<bool> answers;                            // for Yes/No questions, in order; No when used up

    std::vector<std::string> log;

    void setRegistryValue(const std::string &key, const std::string &name, const std::string &value);
    // A file's contents, "" for a missing file.
    std::string contents(const std::string &file) const;

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
