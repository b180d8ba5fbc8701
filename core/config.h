#pragma once

#include <QDate>
#include <QString>

// The program's settings: preferences, the company details, the current
// program record and some view state. One instance, AppConfig, is created,
// loaded and saved by the start-up sequence; every window reads and assigns
// its fields directly. The field order matters: the configuration window and
// the data selector walk the company details by position.
class TConfig
{
public:
    // Preferences
    QString LastPADPath;
    QString LastArcPath;
    QString Language;
    // Company details, in this order
    QString Company;
    QString WebSite;
    QString EMail;
    QString Contact;
    QString ContactEMail;
    QString TelNo;
    QString Addr1;
    QString Addr2;
    QString City;
    QString State;
    QString Country;
    QString Postal;
    // The current program record
    QString ProgramName;
    QString Version;
    QString ProgUrl;
    QString PurchaseUrl;
    QString Keywords;
    QString FileSize;
    QString FileSizeK;
    QString Price;
    QString License;
    QString OS;
    QString TrialPeriod;
    QString ScreenUrl;
    QString IconUrl;
    QString DLUrl1;
    QString DLUrl2;
    QString DLUrl3;
    QString DLUrl4;
    QString PADUrl;
    QString SysReq;
    QString Limitations;
    QString RevNotes;
    QString Desc45;
    QString Desc80;
    QString Desc250;
    QString Desc450;
    QString Desc800;
    QDate FileDate;
    QDate ExpireDate;
    QString Install;
    // View state, never stored
    int DataSelectorHeight = 0;
    int SiteSelectorHeight = 0;
    bool SiteEffects = false;
    // Version of the site catalogue last imported
    double SiteVer = 0;
    // Base address of an update server other than the maker's ("Options"/
    // "UpdateUrl", for mirrors and tests). Read when present, never written:
    // the key stays in the file as it was.
    QString UpdateUrl;

    // Reads "kelsprint.ini" in AppDir into the fields.
    void Load();
    // Writes the fields to "kelsprint.ini" in AppDir.
    void Save();
};

// The platform's date origin, which stands for "no date" in a program record.
inline const QDate ZeroDate{1899, 12, 30};

// The one settings object; nullptr before start-up creates it and after
// shutdown destroys it.
extern TConfig *AppConfig;
