// The Win32 platform on a real (wine's) registry and file system.

#include "check.h"
#include "exini.h"
#include "uninstall.h"
#include "win/winplatform.h"

#include <windows.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// A fresh folder C:\qstest-<name>\ for one group.
std::string Scratch(const std::string &name)
{
    const std::string folder = "C:\\qstest-" + name + "\\";
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void WriteText(const std::string &path, const std::string &text)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HKEY Root(THive hive)
{
    return hive == THive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

void SetValue(THive hive, const std::string &key, const std::string &name, const std::string &value)
{
    HKEY k = nullptr;
    RegCreateKeyExA(Root(hive), key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
}

bool KeyExists(THive hive, const std::string &key)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(Root(hive), key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

bool ValueExists(THive hive, const std::string &key, const std::string &name)
{
    return RegGetValueA(Root(hive), key.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr)
           == ERROR_SUCCESS;
}

// The files the system will delete or move at the next restart.
std::string PendingRenames()
{
    const char *key = "System\\CurrentControlSet\\Control\\Session Manager";
    DWORD size = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, nullptr,
                     &size)
        != ERROR_SUCCESS)
        return {};
    std::string data(size, '\0');
    RegGetValueA(HKEY_LOCAL_MACHINE, key, "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, data.data(),
                 &size);
    return data;
}

bool SamePath(const std::string &a, const std::string &b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// The real platform with its own path and its message boxes scripted.
class TAnsweredPlatform : public TWinPlatform
{
public:
    std::string own;
    std::deque<bool> answers;
    std::vector<std::string> boxes;

    std::string ownPath() override { return own; }
    bool messageBox(const std::string &text, const std::string &caption, TButtons) override
    {
        boxes.push_back(caption + ": " + text);
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        return yes;
    }
};

void Registry()
{
    TWinPlatform p;
    const std::string vendor = "Software\\QsTest\\Vendor";
    SetValue(THive::CurrentUser, vendor, "Path", "C:\\App");
    SetValue(THive::CurrentUser, vendor, "Other", "kept");

    CHECK(p.regDeleteValue(THive::CurrentUser, vendor, "Path"));
    CHECK(!ValueExists(THive::CurrentUser, vendor, "Path"));
    CHECK(ValueExists(THive::CurrentUser, vendor, "Other"));
    CHECK(!p.regDeleteValue(THive::CurrentUser, vendor, "Path"));
    // A missing key is not created by the attempt.
    CHECK(!p.regDeleteValue(THive::LocalMachine, "Software\\QsTest\\Missing", "Path"));
    CHECK(!KeyExists(THive::LocalMachine, "Software\\QsTest\\Missing"));

    CHECK_EQ(p.regReadValue(THive::CurrentUser, vendor, "Other").value_or("<none>"), "kept");
    CHECK(!p.regReadValue(THive::CurrentUser, vendor, "Path"));
    CHECK(!p.regReadValue(THive::CurrentUser, "Software\\QsTest\\Missing", "Other"));

    // The whole tree of a key, and nothing beside it.
    const std::string tree = "Software\\QsTest\\Uninstall\\App";
    SetValue(THive::CurrentUser, tree, "DisplayName", "App");
    SetValue(THive::CurrentUser, tree + "\\b\\Deep\\Deeper", "x", "1");
    SetValue(THive::CurrentUser, tree + "\\A", "x", "1");
    SetValue(THive::CurrentUser, tree + "\\c", "x", "1");
    SetValue(THive::CurrentUser, "Software\\QsTest\\Uninstall\\Other", "DisplayName", "Other");
    CHECK_EQ(p.regSubKeys(THive::CurrentUser, tree), std::vector<std::string>({"A", "b", "c"}));
    CHECK(!p.regDeleteKey(THive::CurrentUser, tree));
    CHECK(KeyExists(THive::CurrentUser, tree));
    TUninstaller(p).DeleteKeyTree(THive::CurrentUser, tree);
    CHECK(!KeyExists(THive::CurrentUser, tree));
    CHECK(KeyExists(THive::CurrentUser, "Software\\QsTest\\Uninstall\\Other"));

    CHECK(p.regCreateKey(THive::CurrentUser, "Software\\QsTest\\New\\Deep"));
    CHECK(KeyExists(THive::CurrentUser, "Software\\QsTest\\New\\Deep"));
    TUninstaller(p).DeleteKeyTree(THive::CurrentUser, "Software\\QsTest");
    CHECK(!KeyExists(THive::CurrentUser, "Software\\QsTest"));
}

void Files()
{
    TWinPlatform p;
    TUninstaller u(p);
    const std::string dir = Scratch("files");

    WriteText(dir + "tree\\a.txt", "a");
    WriteText(dir + "tree\\sub\\deeper\\b.txt", "b");
    WriteText(dir + "tree2\\c.txt", "c");
    WriteText(dir + "single.txt", "s");
    u.DeleteFolder(dir + "tree\\");
    CHECK(!Exists(dir + "tree"));
    CHECK(Exists(dir + "tree2\\c.txt"));
    u.DeleteFolder(dir + "single.txt");
    CHECK(!Exists(dir + "single.txt"));

    // Roots, the home folder, the temporary folder and what holds them. Z: is
    // wine's view of the host's root, so it is only ever asked about.
    const std::string temp = p.tempFolder();
    char home[MAX_PATH] = {};
    GetEnvironmentVariableA("USERPROFILE", home, sizeof home);
    for (const std::string &kept : {std::string("C:\\"), std::string("c:"), std::string("C:\\."), std::string("Z:\\"),
                                    std::string(home), std::string(home) + "\\", std::string(home) + "\\..",
                                    temp, temp + "..\\" + fs::path(temp).parent_path().filename().string()}) {
        if (!p.isProtectedFolder(kept))
            check::Fail(__FILE__, __LINE__, "not protected: " + kept);
    }
    CHECK(!p.isProtectedFolder(dir + "tree2"));
    CHECK(!p.isProtectedFolder(temp + "QsApp"));
    WriteText(temp + "qstest-canary.txt", "x");
    u.DeleteFolder(temp);
    CHECK(Exists(temp + "qstest-canary.txt"));
    fs::remove(temp + "qstest-canary.txt");

    // A protected folder named by its short (8.3) name is still protected.
    const std::string longTemp = dir + "A long temporary folder\\";
    WriteText(longTemp + "canary.txt", "x");
    char oldTmp[MAX_PATH] = {};
    const DWORD hadTmp = GetEnvironmentVariableA("TMP", oldTmp, sizeof oldTmp);
    SetEnvironmentVariableA("TMP", longTemp.c_str());
    CHECK_EQ(p.tempFolder(), longTemp);
    const std::string shortTemp = u.GetShortName(longTemp);
    CHECK(!shortTemp.empty() && shortTemp != longTemp);
    CHECK(p.isProtectedFolder(shortTemp));
    CHECK(p.isProtectedFolder(u.GetShortName(dir)));
    u.DeleteFolder(shortTemp);
    SetEnvironmentVariableA("TMP", hadTmp ? oldTmp : nullptr);
    CHECK(Exists(longTemp + "canary.txt"));

    WriteText(dir + "new.txt", "new");
    WriteText(dir + "old.txt", "old");
    CHECK(p.copyFile(dir + "new.txt", dir + "old.txt"));
    CHECK_EQ(ReadText(dir + "old.txt"), "new");
    CHECK(!p.copyFile(dir + "missing.txt", dir + "old.txt"));

    CHECK(p.fileExists(dir + "old.txt"));
    CHECK(!p.fileExists(dir + "tree2"));
    CHECK(!p.fileExists(dir + "missing.txt"));
    CHECK(p.deleteFile(dir + "old.txt"));
    CHECK(!Exists(dir + "old.txt"));
    CHECK(!p.deleteFile(dir + "old.txt"));
    CHECK(!p.deleteFile(dir + "tree2"));

    WriteText(dir + "uninstall.cfg", "");
    CHECK(!p.findFile(dir, "UNINSTALL.CFG").empty());
    CHECK(p.findFile(dir, "install.cfg").empty());

    // Short names.
    WriteText(dir + "A long folder name\\A long file name.text", "x");
    const std::string longName = dir + "A long folder name\\A long file name.text";
    const std::string shortName = u.GetShortName(longName);
    CHECK(!shortName.empty() && shortName != longName);
    char back[MAX_PATH] = {};
    GetLongPathNameA(shortName.c_str(), back, sizeof back);
    CHECK_EQ(std::string(back), longName);
    CHECK_EQ(u.GetShortName(dir + "missing.txt"), "");

    // The running program's file goes at the next restart.
    WriteText(dir + "self.exe", "x");
    p.deleteAtRestart(dir + "self.exe");
    CHECK(Exists(dir + "self.exe"));
    CHECK(Contains(PendingRenames(), "\\??\\" + dir + "self.exe"));

    const std::string windows = u.GetWindowsFolder();
    CHECK(windows.size() > 1 && windows.back() == '\\' && windows != "\\");
    CHECK(fs::is_directory(windows + "system32"));
    CHECK(!temp.empty() && temp.back() == '\\' && fs::is_directory(temp));
    CHECK_EQ(u.GetPlatformId(), 2);

    // The running program's own path, and its folder with the separator.
    const std::string own = p.ownPath();
    CHECK(own.size() > 22 && SamePath(own.substr(own.size() - 22), "\\tst_uninstall_win.exe"));
    CHECK_EQ(u.AppDir(), own.substr(0, own.size() - 21));

    CHECK(p.createProcess("cmd.exe /c exit 0"));
    CHECK(!p.createProcess(dir + "missing.exe"));
}

void Ini()
{
    TWinPlatform p;
    const std::string dir = Scratch("ini");
    const std::string file = dir + "install.cfg";
    WriteText(file, "[Settings]\r\nAppName = \"Quoted App\" \r\ninstalltype='Full'\r\nAppPath=C:\\old\r\n"
                    "[FullIcons]\r\nb=G;b.exe\r\na=\r\nB=G;other.exe\r\nc=G;\"x;y.exe\";z\r\n");
    TExInifile ini(p, file);
    CHECK_EQ(ini.ReadString("SETTINGS", "appname", "def"), "Quoted App");
    CHECK_EQ(ini.ReadString("Settings", "InstallType", "def"), "Full");
    CHECK_EQ(ini.ReadString("Settings", "Missing", "def"), "def");
    CHECK_EQ(ini.ReadString("Missing", "AppName", "def"), "def");

    std::vector<std::string> icons{"a=stale"};
    ini.ReadSectionValues("fullicons", icons);
    CHECK_EQ(icons, std::vector<std::string>({"B=G;b.exe", "c=G;\"x;y.exe\";z"}));
    CHECK_EQ(ExtractField(icons[1].substr(2), ';', 1), "x;y.exe");

    ini.WriteString("settings", "AppPath", "C:\\Program Files\\App");
    ini.WriteString("UnRegistry", "RootKey", "HKEY_CURRENT_USER");
    ini.Flush();
    // A copy taken at once holds both values.
    CHECK(p.copyFile(file, dir + "uninstall.cfg"));
    const TExInifile copy(p, dir + "uninstall.cfg");
    CHECK_EQ(copy.ReadString("Settings", "AppPath", ""), "C:\\Program Files\\App");
    CHECK_EQ(copy.ReadString("UnRegistry", "RootKey", ""), "HKEY_CURRENT_USER");
    CHECK_EQ(copy.ReadString("Settings", "AppName", ""), "Quoted App");

    // Values with blanks or quotes at their ends read back as written.
    for (const std::string &value : {std::string("C:\\App "), std::string(" C:\\App"), std::string("\"C:\\App\""),
                                     std::string("'App'")}) {
        ini.WriteString("Settings", "AppPath", value);
        CHECK_EQ(ini.ReadString("Settings", "AppPath", ""), value);
    }

    TExInifile nowhere(p, dir + "missing\\install.cfg");
    std::string error;
    try {
        nowhere.WriteString("Settings", "AppPath", "C:\\App");
    } catch (const std::runtime_error &e) {
        error = e.what();
    }
    CHECK_EQ(error, "Unable to write to " + dir + "missing\\install.cfg");
}

// A whole second stage as the copy in the temporary folder runs it, once for
// each answer.
void SecondStage()
{
    const std::string dir = Scratch("stage2");
    TWinPlatform real;
    const std::string programs = real.regReadValue(THive::CurrentUser,
                                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                                   "Programs")
                                     .value_or("");
    CHECK(!programs.empty());

    for (const bool yes : {false, true}) {
        const std::string name = yes ? "Qs Test Yes" : "Qs Test No";
        const std::string app = dir + "Program Files\\" + name;
        for (const char *file : {"app.exe", "help.txt", "data.db", "uninstall.exe", "install.cfg"})
            WriteText(app + "\\" + file, "x");
        const std::string temp = dir + "Temp " + name + "\\";
        WriteText(temp + "uninstall.exe", "x");
        WriteText(temp + "uninstall.cfg",
                  "[Settings]\r\nAppName=" + name + "\r\nInstallType=Full\r\nAppPath=" + app + "\r\n"
                  "[FullInstall]\r\nproggroup=" + name + "\r\n"
                  "[FullIcons]\r\n1=Group;app.exe;App\r\n2=Group;\"help.txt\";Help\r\n3=Group;..\\outside.txt\r\n"
                  "[UnRegistry]\r\nRootKey=HKEY_CURRENT_USER\r\nOpenKey=Software\\QsTestVendor\\" + name
                  + "\r\nKeyValue=Path\r\n");
        WriteText(dir + "Program Files\\outside.txt", "x");
        WriteText(programs + "\\" + name + "\\" + name + ".lnk", "x");
        WriteText(programs + "\\" + name + " Other\\Other.lnk", "x");
        SetValue(THive::LocalMachine, UninstallKey + name, "DisplayName", name);
        SetValue(THive::LocalMachine, UninstallKey + name + "\\Sub\\Deep", "x", "1");
        SetValue(THive::CurrentUser, "Software\\QsTestVendor\\" + name, "Path", app);
        SetValue(THive::CurrentUser, "Software\\QsTestVendor\\" + name, "Other", "kept");

        TAnsweredPlatform p;
        p.own = temp + "uninstall.exe";
        p.answers = {yes};
        CHECK_EQ(TUninstaller(p).Run(), 0);

        CHECK_EQ(p.boxes, std::vector<std::string>(
                              {"Uninstall: Do you wish to completely uninstall the application in " + app
                                   + " including any user-created data?",
                               "Finished: " + name + " has been Uninstalled."}));
        CHECK(!ValueExists(THive::CurrentUser, "Software\\QsTestVendor\\" + name, "Path"));
        CHECK(ValueExists(THive::CurrentUser, "Software\\QsTestVendor\\" + name, "Other"));
        CHECK(!KeyExists(THive::LocalMachine, UninstallKey + name));
        CHECK(!Exists(programs + "\\" + name));
        CHECK(Exists(programs + "\\" + name + " Other\\Other.lnk"));
        CHECK(!Exists(temp + "uninstall.cfg"));
        CHECK(Exists(temp + "uninstall.exe"));
        CHECK(Contains(PendingRenames(), "\\??\\" + temp + "uninstall.exe"));
        CHECK(Exists(dir + "Program Files\\outside.txt"));
        if (yes) {
            CHECK(!Exists(app));
        } else {
            CHECK(!Exists(app + "\\app.exe"));
            CHECK(!Exists(app + "\\help.txt"));
            CHECK(Exists(app + "\\data.db"));
            CHECK(Exists(app + "\\uninstall.exe"));
            CHECK(Exists(app + "\\install.cfg"));
        }
        fs::remove_all(programs + "\\" + name + " Other");
    }
    TUninstaller(real).DeleteKeyTree(THive::CurrentUser, "Software\\QsTestVendor");

    // Group names that Windows shortens to the programs folder itself: the
    // other groups in it stay.
    WriteText(programs + "\\Qs Canary\\Canary.lnk", "x");
    for (const std::string group : {"...", "\". .\"", "Qs Canary\\.."}) {
        WriteText(dir + "Temp\\uninstall.exe", "x");
        WriteText(dir + "Temp\\uninstall.cfg", "[Settings]\r\nAppName=Dots\r\n[Install]\r\nproggroup=" + group + "\r\n");
        TAnsweredPlatform p;
        p.own = dir + "Temp\\uninstall.exe";
        CHECK_EQ(TUninstaller(p).Run(), 0);
        CHECK_EQ(p.boxes, std::vector<std::string>({"Finished: Dots has been Uninstalled."}));
        if (!Exists(programs + "\\Qs Canary\\Canary.lnk"))
            check::Fail(__FILE__, __LINE__, "programs folder deleted for the group " + group);
        WriteText(programs + "\\Qs Canary\\Canary.lnk", "x");
    }
    fs::remove_all(programs + "\\Qs Canary");

    // An installation folder with a part of dots names another folder: no
    // question, and nothing deleted in or around it.
    for (const std::string &appPath : {dir + "Program Files\\Qs Kept\\..", dir + "Program Files\\Qs Kept\\..."}) {
        WriteText(dir + "Program Files\\Qs Kept\\kept.txt", "x");
        WriteText(dir + "Temp\\uninstall.exe", "x");
        WriteText(dir + "Temp\\uninstall.cfg", "[Settings]\r\nAppName=Up\r\nAppPath=" + appPath
                                                 + "\r\n[Install]\r\nproggroup=\r\n[Icons]\r\n1=G;Qs Kept\\kept.txt\r\n"
                                                   "2=G;kept.txt\r\n");
        TAnsweredPlatform p;
        p.own = dir + "Temp\\uninstall.exe";
        p.answers = {true};
        CHECK_EQ(TUninstaller(p).Run(), 0);
        CHECK_EQ(p.boxes, std::vector<std::string>({"Finished: Up has been Uninstalled."}));
        if (!Exists(dir + "Program Files\\Qs Kept\\kept.txt"))
            check::Fail(__FILE__, __LINE__, "deleted with AppPath " + appPath);
    }
}

} // namespace

int main(int argc, char **argv)
{
    return check::Run(argc, argv,
                      {{"registry", Registry}, {"files", Files}, {"ini", Ini}, {"secondstage", SecondStage}});
}
