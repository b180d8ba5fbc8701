#pragma once

#include <optional>
#include <string>
#include <vector>

// The separator between folder and file names.
#ifdef _WIN32
inline constexpr char PathSep = '\\';
#else
inline constexpr char PathSep = '/';
#endif

enum class THive
{
    LocalMachine,
    CurrentUser,
};

enum class TButtons
{
    Ok,
    YesNo,
};

// Every system operation the uninstaller uses. Strings are in the system's
// 8-bit code page (UTF-8 on Linux); registry key paths use "\" between names.
class TUninstallPlatform
{
public:
    virtual ~TUninstallPlatform() = default;

    /// Full path of the running program file.
    virtual std::string ownPath() = 0;
    /// Path of the file (not folder) in folder whose name equals name without regard to case, or "".
    virtual std::string findFile(const std::string &folder, const std::string &name) = 0;
    /// Shows a message box without owner window and icon; true when the answer is Yes.
    virtual bool messageBox(const std::string &text, const std::string &caption, TButtons buttons) = 0;
    /// Deletes a folder with all its contents, or a file, permanently; reports nothing.
    virtual void shellDelete(const std::string &path) = 0;
    /// True when deleting path would remove a file-system root, the home or the temporary folder.
    virtual bool isProtectedFolder(const std::string &path) = 0;
    /// Starts the program named by the command line without waiting; false if it could not start.
    virtual bool createProcess(const std::string &commandLine) = 0;
    /// Copies a file, replacing the target; false on failure.
    virtual bool copyFile(const std::string &from, const std::string &to) = 0;
    /// Deletes a file; false on failure.
    virtual bool deleteFile(const std::string &path) = 0;
    /// True when path names an existing file that is not a folder.
    virtual bool fileExists(const std::string &path) = 0;
    /// Reads a whole file; throws std::runtime_error naming the file when it cannot.
    virtual std::string readFile(const std::string &path) = 0;
    /// Writes a whole file, replacing it; throws std::runtime_error naming the file when it cannot.
    virtual void writeFile(const std::string &path, const std::string &data) = 0;
    /// The system's temporary folder, ending in a separator.
    virtual std::string tempFolder() = 0;
    /// The Windows folder without final separator; "" where the system has none.
    virtual std::string windowsFolder() = 0;
    /// Folder of the Start-menu groups when the registry names none; "" for none.
    virtual std::string defaultProgramsFolder() = 0;
    /// Short (8.3) form of an existing path, at most 260 characters; "" when there is none.
    virtual std::string shortPath(const std::string &path) = 0;
    /// 2 for the Windows NT family and Linux, 1 for Windows 95, 98 and Me.
    virtual int platformId() = 0;
    /// Deletes the file at the next restart, or at once where the system allows that.
    virtual void deleteAtRestart(const std::string &path) = 0;

    /// Opens an existing key for full access and deletes one of its values; false on failure.
    virtual bool regDeleteValue(THive hive, const std::string &key, const std::string &name) = 0;
    /// Names of the direct subkeys of an existing key, in the registry's order; empty on failure.
    virtual std::vector<std::string> regSubKeys(THive hive, const std::string &key) = 0;
    /// Deletes a key that has no subkeys, with its values; false on failure.
    virtual bool regDeleteKey(THive hive, const std::string &key) = 0;
    /// Opens a key, creating it and its parents when missing; false on failure.
    virtual bool regCreateKey(THive hive, const std::string &key) = 0;
    /// A text value of an existing key; nothing when the key or value is missing.
    virtual std::optional<std::string> regReadValue(THive hive, const std::string &key, const std::string &name) = 0;

    /// A value of an INI file, at most 2047 characters, or def when the section or key is missing.
    virtual std::string iniRead(const std::string &file, const std::string &section, const std::string &key,
                                const std::string &def) = 0;
    /// Names of the keys of an INI section in file order, at most 16 KB of them in all.
    virtual std::vector<std::string> iniKeyNames(const std::string &file, const std::string &section) = 0;
    /// Writes or replaces a key of an INI file, creating file and section as needed; false on failure.
    virtual bool iniWrite(const std::string &file, const std::string &section, const std::string &key,
                          const std::string &value) = 0;
    /// Writes cached changes of an INI file to disk at once.
    virtual void iniFlush(const std::string &file) = 0;
};
