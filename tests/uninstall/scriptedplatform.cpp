#include "scriptedplatform.h"

#include "exini.h"
#include "posix/profiletext.h"

#include <algorithm>
#include <stdexcept>

namespace {

std::string KeyPath(THive hive, const std::string &key)
{
    return (hive == THive::LocalMachine ? "HKLM\\" : "HKCU\\") + key;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return s;
}

} // namespace

bool TScriptedPlatform::TNoCase::operator()(const std::string &a, const std::string &b) const
{
    return Lower(a) < Lower(b);
}

void TScriptedPlatform::setRegistryValue(const std::string &key, const std::string &name, const std::string &value)
{
    registry[key][name] = value;
    // Parents exist too.
    for (std::size_t sep = key.rfind('\\'); sep != std::string::npos && sep > 4; sep = key.rfind('\\', sep - 1))
        registry[key.substr(0, sep)];
}

std::string TScriptedPlatform::contents(const std::string &file) const
{
    const auto found = files.find(file);
    return found == files.end() ? std::string() : found->second;
}

std::string TScriptedPlatform::ownPath()
{
    return own;
}

std::string TScriptedPlatform::findFile(const std::string &folder, const std::string &name)
{
    for (const auto &[path, contents] : files) {
        if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0
            && SameText(path.substr(folder.size()), name))
            return path;
    }
    return {};
}

bool TScriptedPlatform::messageBox(const std::string &text, const std::string &caption, TButtons buttons)
{
    if (buttons == TButtons::Ok) {
        log.push_back("box " + caption + ": " + text);
        return false;
    }
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty())
        answers.pop_front();
    log.push_back("ask " + caption + ": " + text + (yes ? " -> Yes" : " -> No"));
    return yes;
}

void TScriptedPlatform::shellDelete(const std::string &path)
{
    log.push_back("shellDelete " + path);
    std::erase_if(files, [&path](const auto &file) {
        return file.first == path || file.first.compare(0, path.size() + 1, path + PathSep) == 0;
    });
}

bool TScriptedPlatform::isProtectedFolder(const std::string &path)
{
    return protectedFolders.count(path) > 0;
}

bool TScriptedPlatform::createProcess(const std::string &commandLine)
{
    if (!canStart)
        return false;
    log.push_back("createProcess " + commandLine);
    return true;
}

bool TScriptedPlatform::copyFile(const std::string &from, const std::string &to)
{
    if (!files.count(from) || locked.count(to))
        return false;
    log.push_back("copyFile " + from + " -> " + to);
    files[to] = files[from];
    return true;
}

bool TScriptedPlatform::deleteFile(const std::string &path)
{
    if (!files.count(path) || locked.count(path))
        return false;
    log.push_back("deleteFile " + path);
    files.erase(path);
    return true;
}

bool TScriptedPlatform::fileExists(const std::string &path)
{
    return files.count(path) > 0;
}

std::string TScriptedPlatform::readFile(const std::string &path)
{
    if (!files.count(path) || locked.count(path))
        throw std::runtime_error("Cannot open file \"" + path + "\"");
    return files[path];
}

void TScriptedPlatform::writeFile(const std::string &path, const std::string &data)
{
    if (locked.count(path))
        throw std::runtime_error("Cannot create file \"" + path + "\"");
    log.push_back("writeFile " + path);
    files[path] = data;
}

std::string TScriptedPlatform::tempFolder()
{
    return temp;
}

std::string TScriptedPlatform::windowsFolder()
{
    return windows;
}

std::string TScriptedPlatform::defaultProgramsFolder()
{
    return programsDefault;
}

std::string TScriptedPlatform::shortPath(const std::string &path)
{
    const auto name = shortNames.find(path);
    return name == shortNames.end() ? std::string() : name->second;
}

int TScriptedPlatform::platformId()
{
    return platform;
}

void TScriptedPlatform::deleteAtRestart(const std::string &path)
{
    log.push_back("deleteAtRestart " + path);
}

bool TScriptedPlatform::regDeleteValue(THive hive, const std::string &key, const std::string &name)
{
    const auto k = registry.find(KeyPath(hive, key));
    if (k == registry.end() || !k->second.erase(name))
        return false;
    log.push_back("regDeleteValue " + KeyPath(hive, key) + " " + name);
    return true;
}

std::vector<std::string> TScriptedPlatform::regSubKeys(THive hive, const std::string &key)
{
    const std::string prefix = Lower(KeyPath(hive, key)) + '\\';
    std::vector<std::string> names;
    for (const auto &[path, values] : registry) {
        const std::string rest = path.substr(std::min(path.size(), prefix.size()));
        if (Lower(path).compare(0, prefix.size(), prefix) == 0 && rest.find('\\') == std::string::npos)
            names.push_back(rest);
    }
    return names;
}

bool TScriptedPlatform::regDeleteKey(THive hive, const std::string &key)
{
    if (!registry.count(KeyPath(hive, key)) || !regSubKeys(hive, key).empty())
        return false;
    log.push_back("regDeleteKey " + KeyPath(hive, key));
    registry.erase(KeyPath(hive, key));
    return true;
}

bool TScriptedPlatform::regCreateKey(THive hive, const std::string &key)
{
    if (!registry.count(KeyPath(hive, key))) {
        log.push_back("regCreateKey " + KeyPath(hive, key));
        registry[KeyPath(hive, key)];
    }
    return true;
}

std::optional<std::string> TScriptedPlatform::regReadValue(THive hive, const std::string &key,
                                                           const std::string &name)
{
    const auto k = registry.find(KeyPath(hive, key));
    if (k == registry.end() || !k->second.count(name))
        return std::nullopt;
    return k->second.at(name);
}

std::string TScriptedPlatform::iniRead(const std::string &file, const std::string &section, const std::string &key,
                                       const std::string &def)
{
    return TProfileText(contents(file)).value(section, key).value_or(def);
}

std::vector<std::string> TScriptedPlatform::iniKeyNames(const std::string &file, const std::string &section)
{
    return TProfileText(contents(file)).keyNames(section);
}

bool TScriptedPlatform::iniWrite(const std::string &file, const std::string &section, const std::string &key,
                                 const std::string &value)
{
    if (locked.count(file))
        return false;
    log.push_back("iniWrite " + file + " [" + section + "] " + key + "=" + value);
    TProfileText ini(contents(file));
    ini.write(section, key, value);
    files[file] = ini.text();
    return true;
}

void TScriptedPlatform::iniFlush(const std::string &file)
{
    log.push_back("iniFlush " + file);
}
