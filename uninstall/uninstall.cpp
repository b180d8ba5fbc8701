#include "uninstall.h"

#include "exini.h"
#include "wholefile.h"

#include <exception>
#include <stdexcept>
#include <vector>

namespace {

const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string ExplorerKey = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";

bool IsSep(char c)
{
    return c == PathSep || c == '/';
}

// Either separator, whichever system a name was written for.
bool IsAnySep(char c)
{
    return c == '\\' || c == '/';
}

// A name part that Windows shortens to nothing, "." or "..": it drops the
// dots and blanks that end a name, so "..." or " " name the folder itself.
bool IsDotsAndBlanks(const std::string &part)
{
    return part.find_first_not_of(". ") == std::string::npos;
}

// folder + separator + name, without doubling a separator that folder ends in.
std::string Join(const std::string &folder, const std::string &name)
{
    return !folder.empty() && IsSep(folder.back()) ? folder + name : folder + PathSep + name;
}

} // namespace

bool IsNameInside(const std::string &name)
{
    if (name.empty() || IsAnySep(name.front()) || (name.size() > 1 && name[1] == ':'))
        return false;
    bool named = false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsAnySep(name[end]))
            ++end;
        const std::string part = name.substr(start, end - start);
        if (part != "." && !part.empty() && IsDotsAndBlanks(part))
            return false;
        if (!part.empty() && part != ".")
            named = true;
        start = end + 1;
    }
    return named;
}

bool IsFullPath(const std::string &path)
{
    std::size_t start = 0;
#ifdef _WIN32
    const bool drive = path.size() >= 3 && path[1] == ':' && IsAnySep(path[2])
                       && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const bool share = path.size() >= 2 && IsAnySep(path[0]) && IsAnySep(path[1]);
    if (!drive && !share)
        return false;
    start = drive ? 3 : 2;
#else
    if (path.empty() || path.front() != '/')
        return false;
    start = 1;
#endif
    while (start < path.size()) {
        std::size_t end = start;
        while (end < path.size() && !IsAnySep(path[end]))
            ++end;
        if (end > start && IsDotsAndBlanks(path.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

TUninstaller::TUninstaller(TUninstallPlatform &platform)
    : m_platform(platform)
{
    const std::string own = m_platform.ownPath();
    std::size_t sep = own.size();
    while (sep > 0 && !IsSep(own[sep - 1]))
        --sep;
    m_appDir = own.substr(0, sep);
}

int TUninstaller::Run()
{
    try {
        // An empty folder would be the current one, whose files are not ours.
        if (m_appDir.empty())
            throw std::runtime_error("The program's own folder is unknown.");
        if (const std::string cfg = m_platform.findFile(m_appDir, "uninstall.cfg"); !cfg.empty())
            SecondStage(cfg);
        else if (const std::string installCfg = m_platform.findFile(m_appDir, "install.cfg"); !installCfg.empty())
            FirstStage(installCfg);
        else
            m_platform.messageBox("This file may be deleted", "OK To Delete", TButtons::Ok);
        return 0;
    } catch (const std::exception &e) {
        m_platform.messageBox(e.what(), "Application Error", TButtons::Ok);
        return 1;
    }
}

void TUninstaller::FirstStage(const std::string &configFile)
{
    // The installation folder without its final separator; a root keeps it.
    std::string appPath = m_appDir;
    if (appPath.size() > 1 && appPath[appPath.size() - 2] != ':')
        appPath.pop_back();
    TExInifile ini(m_platform, configFile);
    ini.WriteString("Settings", "AppPath", appPath);
    // The copy below must hold the new value.
    ini.Flush();

    std::string temp = m_platform.tempFolder();
    if (temp.empty() || !IsSep(temp.back()))
        temp += PathSep;
    m_platform.copyFile(m_platform.ownPath(), temp + "uninstall.exe");
    m_platform.copyFile(configFile, temp + "uninstall.cfg");
    RunProgram(temp + "uninstall.exe");
}

void TUninstaller::SecondStage(const std::string &configFile)
{
    const TExInifile ini(m_platform, configFile);
    const std::string appName = ini.ReadString("Settings", "AppName", {});
    const std::string installType = ini.ReadString("Settings", "InstallType", {});
    m_groupName = ini.ReadString(installType + "Install", "proggroup", appName);
    // The first stage writes a full path; any other one would lead to the
    // current folder or out of the installation, so it counts as empty.
    std::string appPath = ini.ReadString("Settings", "AppPath", {});
    if (!IsFullPath(appPath))
        appPath.clear();
    const std::string rootKey = ini.ReadString("UnRegistry", "RootKey", {});
    const std::string openKey = ini.ReadString("UnRegistry", "OpenKey", {});
    const std::string keyValue = ini.ReadString("UnRegistry", "KeyValue", {});

    if (!rootKey.empty() && !openKey.empty() && !keyValue.empty()) {
        const THive hive = rootKey == "HKEY_LOCAL_MACHINE" ? THive::LocalMachine : THive::CurrentUser;
        m_platform.regDeleteValue(hive, openKey, keyValue);
    }

    // A group name like "\" or ".." would name the whole list of installed
    // programs.
    if (IsNameInside(m_groupName))
        DeleteKeyTree(THive::LocalMachine, UninstallKey + m_groupName);
    if (!m_groupName.empty())
        DeleteProgramGroup();

    // A root, the home folder or the temporary folder is never deleted as a
    // whole, so for those only the listed files go, without asking.
    bool wholeFolder = false;
    if (!appPath.empty() && !m_platform.isProtectedFolder(appPath)
        && m_platform.messageBox("Do you wish to completely uninstall the application in " + appPath
                                     + " including any user-created data?",
                                 "Uninstall", TButtons::YesNo)) {
        DeleteFolder(appPath);
        wholeFolder = true;
    }
    if (!wholeFolder) {
        std::vector<std::string> icons;
        ini.ReadSectionValues(installType + "Icons", icons);
        for (const std::string &line : icons) {
            const std::string fileName = ExtractField(line.substr(line.find('=') + 1), ';', 1);
            if (appPath.empty() || !IsNameInside(fileName))
                continue;
            const std::string file = Join(appPath, fileName);
            if (m_platform.fileExists(file) && !m_platform.deleteFile(file))
                m_platform.messageBox(file + " could not be not deleted", "Error", TButtons::Ok);
        }
    }

    if (!m_platform.deleteFile(configFile))
        m_platform.messageBox(configFile + " could not be not deleted", "Error", TButtons::Ok);
    RemoveSelf();
    m_platform.messageBox(appName + " has been Uninstalled.", "Finished", TButtons::Ok);
}

void TUninstaller::RemoveSelf()
{
    const std::string own = m_platform.ownPath();
    if (GetPlatformId() == 2) {
        m_platform.deleteAtRestart(own);
        return;
    }
    // Windows 95, 98 and Me delete the files named in WININIT.INI's
    // "[rename]" section at the next start.
    const std::string wininit = GetWindowsFolder() + "WININIT.INI";
    std::vector<std::string> lines{"[rename]"};
    if (m_platform.fileExists(wininit))
        lines = SplitLines(m_platform.readFile(wininit));
    lines.push_back("NUL=" + GetShortName(own));
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    m_platform.writeFile(wininit, text);
}

void TUninstaller::DeleteFolder(std::string path)
{
    if (!path.empty() && IsSep(path.back()))
        path.pop_back();
    if (path.empty() || m_platform.isProtectedFolder(path))
        return;
    m_platform.shellDelete(path);
}

void TUninstaller::DeleteProgramGroup()
{
    m_platform.regCreateKey(THive::CurrentUser, ExplorerKey);
    std::string programs = m_platform.regReadValue(THive::CurrentUser, ExplorerKey + "\\Shell Folders", "Programs")
                               .value_or(std::string());
    if (programs.empty())
        programs = m_platform.defaultProgramsFolder();
    // Only a folder inside the Start-menu programs folder is deleted.
    if (!IsFullPath(programs) || !IsNameInside(m_groupName))
        return;
    DeleteFolder(Join(programs, m_groupName));
}

void TUninstaller::DeleteKeyTree(THive hive, const std::string &key)
{
    const std::vector<std::string> subKeys = m_platform.regSubKeys(hive, key);
    for (auto sub = subKeys.rbegin(); sub != subKeys.rend(); ++sub)
        DeleteKeyTree(hive, key + '\\' + *sub);
    m_platform.regDeleteKey(hive, key);
}

bool TUninstaller::RunProgram(const std::string &commandLine)
{
    if (m_platform.createProcess(commandLine))
        return true;
    m_platform.messageBox("Failed to execute program.", "Error", TButtons::Ok);
    return false;
}

std::string TUninstaller::GetWindowsFolder()
{
    std::string folder = m_platform.windowsFolder();
    if (!folder.empty() && !IsSep(folder.back()))
        folder += PathSep;
    return folder;
}

std::string TUninstaller::GetShortName(const std::string &path)
{
    return m_platform.shortPath(path);
}

int TUninstaller::GetPlatformId()
{
    return m_platform.platformId();
}
