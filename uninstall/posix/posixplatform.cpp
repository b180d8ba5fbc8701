#include "posixplatform.h"

#include "posix/profiletext.h"
#include "wholefile.h"

#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

namespace {

// The absolute form of path with links, "." and ".." resolved and no final
// separator (unless it is "/"); empty when that cannot be had.
fs::path Resolved(const std::string &path)
{
    std::error_code ec;
    fs::path full = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (ec)
        return {};
    if (!full.has_filename() && full != full.root_path())
        full = full.parent_path();
    return full;
}

bool IsMountPoint(const fs::path &folder)
{
    struct stat self = {};
    struct stat parent = {};
    if (::stat(folder.c_str(), &self) != 0 || ::stat((folder / "..").c_str(), &parent) != 0)
        return false;
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

std::string IniText(const std::string &file)
{
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return {};
    try {
        return ReadWholeFile(file);
    } catch (const std::exception &) {
        return {};
    }
}

} // namespace

TPosixPlatform::TPosixPlatform()
    : m_registry(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString()
                 + "/quorvane-registry")
{
    std::error_code ec;
    m_ownPath = fs::read_symlink("/proc/self/exe", ec).string();
}

std::string TPosixPlatform::ownPath()
{
    return m_ownPath;
}

std::string TPosixPlatform::findFile(const std::string &folder, const std::string &name)
{
    std::error_code ec;
    if (fs::is_regular_file(folder + name, ec))
        return folder + name;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder, ec)) {
        const std::string entryName = entry.path().filename().string();
        if (SameName(entryName, name) && entry.is_regular_file(ec))
            return folder + entryName;
    }
    return {};
}

bool TPosixPlatform::messageBox(const std::string &text, const std::string &caption, TButtons buttons)
{
    QMessageBox box;
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    box.setStandardButtons(buttons == TButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    return box.exec() == QMessageBox::Yes;
}

void TPosixPlatform::shellDelete(const std::string &path)
{
    // A final "/" would lead through a link to what it names; without it the
    // link itself goes.
    std::string target = path;
    while (target.size() > 1 && target.back() == '/')
        target.pop_back();
    std::error_code ec;
    fs::remove_all(target, ec);
}

bool TPosixPlatform::isProtectedFolder(const std::string &path)
{
    const fs::path full = Resolved(path);
    if (full.empty() || full == full.root_path() || IsMountPoint(full))
        return true;
    for (const QString &kept : {QDir::homePath(), QDir::tempPath()}) {
        // The folder itself or one that holds it.
        const fs::path keptFull = Resolved(kept.toStdString());
        if (std::mismatch(full.begin(), full.end(), keptFull.begin(), keptFull.end()).first == full.end())
            return true;
    }
    return false;
}

bool TPosixPlatform::createProcess(const std::string &commandLine)
{
    // There is no command-line parsing here: the line names the program.
    pid_t pid = 0;
    std::string program = commandLine;
    char *const argv[] = {program.data(), nullptr};
    return ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) == 0;
}

bool TPosixPlatform::copyFile(const std::string &from, const std::string &to)
{
    std::error_code ec;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

bool TPosixPlatform::deleteFile(const std::string &path)
{
    return ::unlink(path.c_str()) == 0;
}

bool TPosixPlatform::fileExists(const std::string &path)
{
    std::error_code ec;
    return fs::exists(path, ec) && !fs::is_directory(path, ec);
}

std::string TPosixPlatform::readFile(const std::string &path)
{
    return ReadWholeFile(path);
}

void TPosixPlatform::writeFile(const std::string &path, const std::string &data)
{
    WriteWholeFile(path, data);
}

std::string TPosixPlatform::tempFolder()
{
    return QDir::tempPath().toStdString() + '/';
}

std::string TPosixPlatform::windowsFolder()
{
    return {};
}

std::string TPosixPlatform::defaultProgramsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation).toStdString();
}

std::string TPosixPlatform::shortPath(const std::string &path)
{
    // Linux has no short names: an existing path is its own short form.
    std::error_code ec;
    return fs::exists(path, ec) ? path : std::string();
}

int TPosixPlatform::platformId()
{
    return 2;
}

void TPosixPlatform::deleteAtRestart(const std::string &path)
{
    // Linux removes a running program's file at once; the program runs on.
    ::unlink(path.c_str());
}

bool TPosixPlatform::regDeleteValue(THive hive, const std::string &key, const std::string &name)
{
    return m_registry.deleteValue(hive, key, name);
}

std::vector<std::string> TPosixPlatform::regSubKeys(THive hive, const std::string &key)
{
    return m_registry.subKeys(hive, key);
}

bool TPosixPlatform::regDeleteKey(THive hive, const std::string &key)
{
    return m_registry.deleteKey(hive, key);
}

bool TPosixPlatform::regCreateKey(THive hive, const std::string &key)
{
    return m_registry.createKey(hive, key);
}

std::optional<std::string> TPosixPlatform::regReadValue(THive hive, const std::string &key, const std::string &name)
{
    return m_registry.readValue(hive, key, name);
}

std::string TPosixPlatform::iniRead(const std::string &file, const std::string &section, const std::string &key,
                                    const std::string &def)
{
    return TProfileText(IniText(file)).value(section, key).value_or(def);
}

std::vector<std::string> TPosixPlatform::iniKeyNames(const std::string &file, const std::string &section)
{
    return TProfileText(IniText(file)).keyNames(section);
}

bool TPosixPlatform::iniWrite(const std::string &file, const std::string &section, const std::string &key,
                              const std::string &value)
{
    try {
        std::error_code ec;
        TProfileText ini(fs::exists(file, ec) ? ReadWholeFile(file) : std::string());
        ini.write(section, key, value);
        ReplaceWholeFile(file, ini.text());
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

void TPosixPlatform::iniFlush(const std::string &)
{
    // Each write above has already replaced the file's contents.
}
