#include "winplatform.h"

#include "wholefile.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace {

HKEY Root(THive hive)
{
    return hive == THive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool SamePath(const std::string &a, const std::string &b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// The absolute form of path with "." and ".." resolved, in long names where
// it exists (a short name is another spelling of the same folder), and no
// final separator (unless it is a drive's root); empty when that cannot be
// had.
std::string FullPath(const std::string &path)
{
    char buffer[MAX_PATH * 4];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer)
        return {};
    char longBuffer[MAX_PATH * 4];
    const DWORD longN = GetLongPathNameA(buffer, longBuffer, sizeof longBuffer);
    if (longN > 0 && longN < sizeof longBuffer) {
        std::copy(longBuffer, longBuffer + longN, buffer);
        n = longN;
    }
    std::string full(buffer, n);
    while (full.size() > 3 && (full.back() == '\\' || full.back() == '/'))
        full.pop_back();
    return full;
}

// The zero-terminated names of a buffer filled by the profile functions.
std::vector<std::string> SplitZeros(const char *buffer, DWORD size)
{
    std::vector<std::string> names;
    for (DWORD start = 0; start < size;) {
        const std::string name(buffer + start);
        if (name.empty())
            break;
        names.push_back(name);
        start += static_cast<DWORD>(name.size()) + 1;
    }
    return names;
}

class TRegKey
{
public:
    TRegKey(THive hive, const std::string &key, REGSAM access)
        : m_open(RegOpenKeyExA(Root(hive), key.c_str(), 0, access, &m_key) == ERROR_SUCCESS)
    {
    }
    ~TRegKey()
    {
        if (m_open)
            RegCloseKey(m_key);
    }
    TRegKey(const TRegKey &) = delete;
    TRegKey &operator=(const TRegKey &) = delete;

    explicit operator bool() const { return m_open; }
    HKEY handle() const { return m_key; }

private:
    HKEY m_key = nullptr;
    bool m_open;
};

} // namespace

std::string TWinPlatform::ownPath()
{
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size())
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::string TWinPlatform::findFile(const std::string &folder, const std::string &name)
{
    // The file system already matches names without regard to case.
    return fileExists(folder + name) ? folder + name : std::string();
}

bool TWinPlatform::messageBox(const std::string &text, const std::string &caption, TButtons buttons)
{
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), buttons == TButtons::YesNo ? MB_YESNO : MB_OK)
           == IDYES;
}

void TWinPlatform::shellDelete(const std::string &path)
{
    std::string from = path;
    from.append(2, '\0');
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION;
    SHFileOperationA(&op);
}

bool TWinPlatform::isProtectedFolder(const std::string &path)
{
    // "C:" alone is the current folder of drive C, whatever that is.
    if (path.size() == 2 && path[1] == ':')
        return true;
    const std::string full = FullPath(path);
    if (full.empty())
        return true;
    char volume[MAX_PATH + 1];
    if (GetVolumePathNameA(full.c_str(), volume, sizeof volume) && SamePath(FullPath(volume), full))
        return true;

    char home[MAX_PATH + 1] = {};
    SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, 0, home);
    for (const std::string &kept : {FullPath(home), FullPath(tempFolder())}) {
        // The folder itself or one that holds it.
        if (kept.size() >= full.size() && SamePath(kept.substr(0, full.size()), full)
            && (kept.size() == full.size() || kept[full.size()] == '\\' || full.back() == '\\'))
            return true;
    }
    return false;
}

bool TWinPlatform::createProcess(const std::string &commandLine)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

bool TWinPlatform::copyFile(const std::string &from, const std::string &to)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE);
}

bool TWinPlatform::deleteFile(const std::string &path)
{
    return DeleteFileA(path.c_str());
}

bool TWinPlatform::fileExists(const std::string &path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TWinPlatform::readFile(const std::string &path)
{
    return ReadWholeFile(path);
}

void TWinPlatform::writeFile(const std::string &path, const std::string &data)
{
    WriteWholeFile(path, data);
}

std::string TWinPlatform::tempFolder()
{
    char buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string TWinPlatform::windowsFolder()
{
    char buffer[MAX_PATH + 1];
    const UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string TWinPlatform::defaultProgramsFolder()
{
    // Windows always names the Start menu in the registry.
    return {};
}

std::string TWinPlatform::shortPath(const std::string &path)
{
    char buffer[MAX_PATH];
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

int TWinPlatform::platformId()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return static_cast<int>(version.dwPlatformId);
}

void TWinPlatform::deleteAtRestart(const std::string &path)
{
    MoveFileExA(path.c_str(), nullptr, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
}

bool TWinPlatform::regDeleteValue(THive hive, const std::string &key, const std::string &name)
{
    const TRegKey k(hive, key, KEY_ALL_ACCESS);
    return k && RegDeleteValueA(k.handle(), name.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> TWinPlatform::regSubKeys(THive hive, const std::string &key)
{
    std::vector<std::string> names;
    const TRegKey k(hive, key, KEY_READ);
    if (!k)
        return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(k.handle(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return names;
        names.emplace_back(name, size);
    }
}

bool TWinPlatform::regDeleteKey(THive hive, const std::string &key)
{
    return RegDeleteKeyA(Root(hive), key.c_str()) == ERROR_SUCCESS;
}

bool TWinPlatform::regCreateKey(THive hive, const std::string &key)
{
    HKEY k = nullptr;
    if (RegCreateKeyExA(Root(hive), key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr)
        != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

std::optional<std::string> TWinPlatform::regReadValue(THive hive, const std::string &key, const std::string &name)
{
    const TRegKey k(hive, key, KEY_READ);
    DWORD type = 0;
    DWORD size = 0;
    if (!k || RegQueryValueExA(k.handle(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS
        || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(k.handle(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    // Up to the first zero: a stored value need not end in one.
    return std::string(data.data());
}

std::string TWinPlatform::iniRead(const std::string &file, const std::string &section, const std::string &key,
                                  const std::string &def)
{
    char buffer[2048];
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer, sizeof buffer,
                                             file.c_str());
    return std::string(buffer, n);
}

std::vector<std::string> TWinPlatform::iniKeyNames(const std::string &file, const std::string &section)
{
    std::vector<char> buffer(16 * 1024);
    const DWORD n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                             static_cast<DWORD>(buffer.size()), file.c_str());
    return SplitZeros(buffer.data(), n);
}

bool TWinPlatform::iniWrite(const std::string &file, const std::string &section, const std::string &key,
                            const std::string &value)
{
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

void TWinPlatform::iniFlush(const std::string &file)
{
    // With all three names missing the call writes the cached file to disk.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}
