#pragma once

#include "platform.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The registry on Linux, kept in files that installers can write: below the
// store's folder one folder per hive ("HKEY_LOCAL_MACHINE",
// "HKEY_CURRENT_USER"), below that one folder per key, and the key's values as
// name=value lines in the file "values" in the key's folder. Names match
// without regard to case; folders whose names differ in case only are taken
// as one key. A key name "." or "..", or one holding "/", names no
// key, so no key path leads out of the store; a folder whose name holds a
// backslash is no key.
// True when two names are the same apart from letter case, as the store and
// the file names of Windows compare them.
bool SameName(const std::string &a, const std::string &b);

class TRegistryStore
{
public:
    explicit TRegistryStore(std::filesystem::path root);

    bool deleteValue(THive hive, const std::string &key, const std::string &name);
    std::vector<std::string> subKeys(THive hive, const std::string &key);
    bool deleteKey(THive hive, const std::string &key);
    bool createKey(THive hive, const std::string &key);
    std::optional<std::string> readValue(THive hive, const std::string &key, const std::string &name);

private:
    // The folder of an existing key; with create, missing keys on the way are made.
    std::optional<std::filesystem::path> keyFolder(THive hive, const std::string &key, bool create) const;

    std::filesystem::path m_root;
};
