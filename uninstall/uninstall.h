#pragma once

#include "platform.h"

#include <string>

// The uninstaller. Started from the installation folder next to
// "install.cfg", it hands over to a copy of itself in the temporary folder
// (first stage); that copy, next to "uninstall.cfg", removes the registry
// entries, the Start-menu group and the installed files, and last itself
// (second stage).
class TUninstaller
{
public:
    explicit TUninstaller(TUninstallPlatform &platform);

    // Runs the stage that the configuration file next to the program asks
    // for. An error that ends the run is shown in a message box; returns the
    // process's exit code.
    int Run();

    void FirstStage(const std::string &configFile);
    void SecondStage(const std::string &configFile);

    void DeleteFolder(std::string path);
    void DeleteProgramGroup();
    bool RunProgram(const std::string &commandLine);
    std::string GetWindowsFolder();
    std::string GetShortName(const std::string &path);
    int GetPlatformId();

    // Deletes a registry key with all its subkeys, the last subkey first.
    void DeleteKeyTree(THive hive, const std::string &key);

    // The folder of the running program file, ending in a separator.
    const std::string &AppDir() const { return m_appDir; }

private:
    void RemoveSelf();

    TUninstallPlatform &m_platform;
    std::string m_appDir;
    // The Start-menu group's name, read at the start of the second stage.
    std::string m_groupName;
};

// True when name is a non-empty relative path that stays inside the folder it
// is appended to: not absolute, no drive, no ".." part nor one of dots and
// blanks only.
bool IsNameInside(const std::string &name);

// True when path is a full path as the first stage writes one: it begins at a
// root (on Windows a drive's or a network share's) and has no part of dots and
// blanks only, such as "." or "..".
bool IsFullPath(const std::string &path);
