#include "config.h"

#include "appdir.h"
#include "errors.h"
#include "inifile.h"
#include "localeformat.h"

TConfig *AppConfig = nullptr;

namespace {

const QString kConfig = QStringLiteral("Config");
const QString kCompany = QStringLiteral("Company");
const QString kProgram = QStringLiteral("LastProgram");
const QString kOptions = QStringLiteral("Options");

QString settingsPath()
{
    return AppDir() + QStringLiteral("kelsprint.ini");
}

// The company details in file order, shared by Load and Save.
struct StringKey
{
    const char16_t *key;
    QString TConfig::*field;
};
const StringKey kCompanyKeys[] = {
    {u"Company", &TConfig::Company}, {u"WebSite", &TConfig::WebSite},
    {u"EMail", &TConfig::EMail},     {u"Contact", &TConfig::Contact},
    {u"ContactEMail", &TConfig::ContactEMail}, {u"TelNo", &TConfig::TelNo},
    {u"Addr1", &TConfig::Addr1},     {u"Addr2", &TConfig::Addr2},
    {u"City", &TConfig::City},       {u"State", &TConfig::State},
    {u"Country", &TConfig::Country}, {u"Postal", &TConfig::Postal},
};

// "LastProgram" keys from "ProgramName" to "Keywords", read before FileSize.
const StringKey kProgramHead[] = {
    {u"ProgramName", &TConfig::ProgramName},
    {u"Version", &TConfig::Version},
    {u"ProgUrl", &TConfig::ProgUrl},
    {u"Keywords", &TConfig::Keywords},
};

// "LastProgram" keys after FileSize, up to the dates.
const StringKey kProgramTail[] = {
    {u"Price", &TConfig::Price},
    {u"License", &TConfig::License},
    {u"OS", &TConfig::OS},
    {u"Install", &TConfig::Install},
    {u"TrialPeriod", &TConfig::TrialPeriod},
    {u"ScreenUrl", &TConfig::ScreenUrl},
    {u"IconUrl", &TConfig::IconUrl},
    {u"DLUrl1", &TConfig::DLUrl1},
    {u"DLUrl2", &TConfig::DLUrl2},
    {u"DLUrl3", &TConfig::DLUrl3},
    {u"DLUrl4", &TConfig::DLUrl4},
    {u"PADUrl", &TConfig::PADUrl},
    {u"SysReq", &TConfig::SysReq},
    {u"Limitations", &TConfig::Limitations},
    {u"RevNotes", &TConfig::RevNotes},
    {u"Desc45", &TConfig::Desc45},
    {u"Desc80", &TConfig::Desc80},
    {u"Desc250", &TConfig::Desc250},
    {u"Desc450", &TConfig::Desc450},
    {u"Desc800", &TConfig::Desc800},
};

QString key(const char16_t *k)
{
    return QString::fromUtf16(k);
}

// The settings file; a file that exists but cannot be read is an error.
TIniFile readSettings()
{
    TIniFile ini(settingsPath());
    if (!ini.readError().isEmpty())
        throw EFileError(QStringLiteral("Cannot read the settings file \"%1\": %2")
                             .arg(ini.fileName(), ini.readError()));
    return ini;
}

QDate readDate(const TIniFile &ini, const QString &k)
{
    const QDate d = parseShortDate(ini.readString(kProgram, k, QString()));
    return d.isValid() ? d : QDate::currentDate();
}

} // namespace

void TConfig::Load()
{
    const TIniFile ini = readSettings();

    LastPADPath = ini.readString(kConfig, QStringLiteral("LastPADPath"), AppDir());
    LastArcPath = ini.readString(kConfig, QStringLiteral("LastArcPath"), AppDir());
    Language = ini.readString(kConfig, QStringLiteral("Language"), QStringLiteral("English"));
    for (const auto &c : kCompanyKeys)
        this->*c.field = ini.readString(kCompany, key(c.key), QString());
    for (const auto &c : kProgramHead)
        this->*c.field = ini.readString(kProgram, key(c.key), QString());

    // A size that is not a whole number reads as 0, and the rest of the file
    // is read as usual.
    FileSize = ini.readString(kProgram, QStringLiteral("FileSize"), QStringLiteral("0"));
    bool ok = false;
    const qlonglong size = FileSize.toLongLong(&ok);
    if (!ok) {
        FileSize = QStringLiteral("0");
        FileSizeK = QStringLiteral("0");
    } else {
        FileSizeK = QString::number(size / 1024); // C++ division rounds toward zero
    }

    for (const auto &c : kProgramTail) {
        const QString def = c.field == &TConfig::Install ? QStringLiteral("None") : QString();
        this->*c.field = ini.readString(kProgram, key(c.key), def);
    }
    FileDate = readDate(ini, QStringLiteral("dteFile"));
    ExpireDate = readDate(ini, QStringLiteral("dteExpire"));
    SiteEffects = true;
    SiteVer = parseLocaleNumber(ini.readString(kOptions, QStringLiteral("SiteVer"), QString()), 1);
    UpdateUrl = ini.readString(kOptions, QStringLiteral("UpdateUrl"), QString());
}

void TConfig::Save()
{
    // Writing over a file that could not be read would drop every key of it
    // that we do not know.
    TIniFile ini = readSettings();
    ini.writeString(kConfig, QStringLiteral("LastPADPath"), LastPADPath);
    ini.writeString(kConfig, QStringLiteral("LastArcPath"), LastArcPath);
    ini.writeString(kConfig, QStringLiteral("Language"), Language);
    for (const auto &c : kCompanyKeys)
        ini.writeString(kCompany, key(c.key), this->*c.field);
    for (const auto &c : kProgramHead)
        ini.writeString(kProgram, key(c.key), this->*c.field);
    ini.writeString(kProgram, QStringLiteral("FileSize"), FileSize);
    for (const auto &c : kProgramTail)
        ini.writeString(kProgram, key(c.key), this->*c.field);
    ini.writeString(kProgram, QStringLiteral("dteFile"), formatShortDate(FileDate));
    ini.writeString(kProgram, QStringLiteral("dteExpire"), formatShortDate(ExpireDate));
    ini.writeString(kOptions, QStringLiteral("SiteVer"), formatLocaleNumber(SiteVer));
    ini.save();
}
