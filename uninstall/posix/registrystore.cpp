#include "registrystore.h"

#include "wholefile.h"

#include <QString>

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const char ValuesFile[] = "values";

// A real folder, not a link to one: a link could lead out of the store or
// round in a circle.
bool IsKeyFolder(const fs::directory_entry &entry)
{
    std::error_code ec;
    return entry.symlink_status(ec).type() == fs::file_type::directory;
}

// The subfolders of folder named name, the exact spelling first, then the
// others that differ in case only.
std::vector<fs::path> Children(const fs::path &folder, const std::string &name)
{
    std::error_code ec;
    std::vector<fs::path> found;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder, ec)) {
        const std::string entryName = entry.path().filename().string();
        if (IsKeyFolder(entry) && SameName(entryName, name))
            found.insert(entryName == name ? found.begin() : found.end(), entry.path());
    }
    return found;
}

// The folder below folder that the names lead to. Folders whose names differ
// in case only are one key, so each of them is tried.
std::optional<fs::path> Resolve(const fs::path &folder, const std::vector<std::string> &names, std::size_t from)
{
    if (from == names.size())
        return folder;
    for (const fs::path &child : Children(folder, names[from])) {
        if (std::optional<fs::path> found = Resolve(child, names, from + 1))
            return found;
    }
    return std::nullopt;
}

std::vector<std::string> SplitKey(const std::string &key)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('\\', start);
        if (end == std::string::npos)
            end = key.size();
        if (end > start)
            parts.push_back(key.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

struct TValueLines
{
    std::vector<std::string> lines;

    explicit TValueLines(const fs::path &file)
    {
        std::error_code ec;
        if (!fs::is_regular_file(file, ec))
            return;
        lines = SplitLines(ReadWholeFile(file.string()));
    }

    std::vector<std::string>::iterator find(const std::string &name)
    {
        return std::find_if(lines.begin(), lines.end(), [&name](const std::string &line) {
            const std::size_t eq = line.find('=');
            return eq != std::string::npos && SameName(line.substr(0, eq), name);
        });
    }
};

// Registry failures are silent: a file-system error is the failure result.
template <typename F, typename R>
R Quietly(F work, R failed)
{
    try {
        return work();
    } catch (const std::exception &) {
        return failed;
    }
}

} // namespace

bool SameName(const std::string &a, const std::string &b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

TRegistryStore::TRegistryStore(fs::path root)
    : m_root(std::move(root))
{
}

std::optional<fs::path> TRegistryStore::keyFolder(THive hive, const std::string &key, bool create) const
{
    std::vector<std::string> names = SplitKey(key);
    if (std::any_of(names.begin(), names.end(), [](const std::string &name) {
            return name == "." || name == ".." || name.find('/') != std::string::npos;
        }))
        return std::nullopt;
    names.insert(names.begin(), hive == THive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER");
    if (std::optional<fs::path> found = Resolve(m_root, names, 0); found || !create)
        return found;

    std::error_code ec;
    fs::create_directories(m_root, ec);
    fs::path folder = m_root;
    for (const std::string &name : names) {
        const std::vector<fs::path> existing = Children(folder, name);
        folder = existing.empty() ? folder / name : existing.front();
        if (existing.empty() && !fs::create_directory(folder, ec))
            return std::nullopt;
    }
    return folder;
}

bool TRegistryStore::deleteValue(THive hive, const std::string &key, const std::string &name)
{
    return Quietly([&] {
        const std::optional<fs::path> folder = keyFolder(hive, key, false);
        if (!folder)
            return false;
        TValueLines values(*folder / ValuesFile);
        const auto line = values.find(name);
        if (line == values.lines.end())
            return false;
        values.lines.erase(line);
        std::string text;
        for (const std::string &l : values.lines)
            text += l + '\n';
        ReplaceWholeFile((*folder / ValuesFile).string(), text);
        return true;
    }, false);
}

std::vector<std::string> TRegistryStore::subKeys(THive hive, const std::string &key)
{
    return Quietly([&] {
        std::vector<std::string> names;
        const std::optional<fs::path> folder = keyFolder(hive, key, false);
        if (!folder)
            return names;
        for (const fs::directory_entry &entry : fs::directory_iterator(*folder)) {
            // A key name never holds a backslash: a folder named so would stand for
            // this key itself or another one.
            std::string name = entry.path().filename().string();
            if (IsKeyFolder(entry) && name.find('\\') == std::string::npos)
                names.push_back(std::move(name));
        }
        std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
            return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
        });
        return names;
    }, std::vector<std::string>());
}

bool TRegistryStore::deleteKey(THive hive, const std::string &key)
{
    return Quietly([&] {
        const std::optional<fs::path> folder = keyFolder(hive, key, false);
        if (!folder || SplitKey(key).empty())
            return false;
        // Only a key without subkeys goes, and nothing but its values file
        // goes with its folder.
        for (const fs::directory_entry &entry : fs::directory_iterator(*folder)) {
            if (entry.path().filename() != ValuesFile || IsKeyFolder(entry))
                return false;
        }
        fs::remove(*folder / ValuesFile);
        return fs::remove(*folder);
    }, false);
}

bool TRegistryStore::createKey(THive hive, const std::string &key)
{
    return Quietly([&] { return keyFolder(hive, key, true).has_value(); }, false);
}

std::optional<std::string> TRegistryStore::readValue(THive hive, const std::string &key, const std::string &name)
{
    return Quietly([&]() -> std::optional<std::string> {
        const std::optional<fs::path> folder = keyFolder(hive, key, false);
        if (!folder)
            return std::nullopt;
        TValueLines values(*folder / ValuesFile);
        const auto line = values.find(name);
        if (line == values.lines.end())
            return std::nullopt;
        return line->substr(line->find('=') + 1);
    }, std::optional<std::string>());
}
