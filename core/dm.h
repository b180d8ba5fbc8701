#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

class TSqlDatabase;
class TSqlStatement;
struct TTableDef;

// A row of the Sites table.
struct TSite
{
    QString SiteName;
    QString HomeUrl;
    QString SearchUrl;
    QString SubmitUrl;
    QString UpdateUrl;
    QString Notes;
    QString UserNotes;
    QString Username;
    QString Password;
    bool QuorvaneFriendly = false;
    bool Pad = false;
    bool AntiFreeSpeech = false;
    QString CountryCode;
    int Rating = 0; // an empty rating reads as 0
    bool Dead = false;
};

// The submission status of a program on a site. An empty field (no value
// stored) reads as false or as the empty text.
struct TProgSite
{
    bool exists = false; // a row is stored, or about to be
    std::optional<bool> Submitted;
    std::optional<bool> Published;
    std::optional<bool> OldVersion;
    std::optional<QString> FileID;
};

// The data module: one connection to the three table files "Programs.DAT",
// "Sites.DAT" and "ProgSite.DAT" of the working folder, each attached to it,
// and the operations that move the current program record between
// AppConfig and the Programs table.
//
// Several-line fields hold their lines joined by '\n' in AppConfig and by
// CR LF in the table. A date field is NULL for "no date", which AppConfig
// holds as ZeroDate.
class TDM1 : public QObject
{
    Q_OBJECT

public:
    // Sets DM1 to the new object at once, opens the connection in the
    // working folder and runs DataModuleCreate. An error inside
    // DataModuleCreate is shown once in the standard error box, and the data
    // module stays as far as it got.
    explicit TDM1(QObject *parent = nullptr);
    ~TDM1() override;

    // Replaces the list's items with the names of all programs, in key order.
    void LoadPrograms(QStringList &list);
    // Makes the named program current: fills AppConfig's program record from
    // its row (or empties it, with ZeroDate dates, when there is none) and
    // shows that program's submission status, after writing pending edits.
    void LoadProgram(const QString &name);
    // Writes AppConfig's program record to the row of `name`, adding it with
    // AppConfig->ProgramName as its key when there is none.
    void SaveProgram(const QString &name);
    // Adds a row holding only the name. A name that exists is refused with an
    // EDatabaseError and nothing is kept of the attempt.
    void AddProgram(const QString &name);
    // Deletes the program's row; its status rows stay.
    void DeleteProgram(const QString &name);
    // Writes pending edits and re-reads the tables: views of their rows read
    // them again.
    void RefreshData();

    // Imports the site catalogue "sites.zip" downloaded into AppDir; true
    // when it was merged and committed.
    bool UpdateSites();

    // The live sites (Dead false or empty) in key order: the site selector's
    // rows.
    const QStringList &SiteNames() const { return m_siteNames; }
    // A live site's row, with the pending edits of the current site.
    TSite Site(int index);
    // Index of the current site in SiteNames(); -1 when there are no sites.
    int CurrentSite() const { return m_currentSite; }
    // Makes another site current, writing the pending edits of the current
    // one and of its status row first.
    void SetCurrentSite(int index);
    // The address of one page of the current site ("search", "update",
    // "submit", "home", letter case counting), with fall-backs for pages the
    // site does not list; result stays as it was for another kind.
    void GetNavLink(const QString &kind, QString &result);
    // Flag "Submitted", "Published" or "OldVersion" (letter case ignored) of
    // the current program on the current site as stored; false when there is
    // no row or for another name. Pending edits are not seen. The grid calls
    // this for every row it draws, so the program's status rows are read
    // once, in one keyed read, and kept until the data module writes them or
    // re-reads the tables.
    bool GetProgSiteFlag(const QString &name);

    // The status of the program LoadProgram chose on the current site, with
    // its pending edits.
    TProgSite ProgSite();
    // Edits that status: a flag "Submitted", "Published", "OldVersion", or
    // the file identifier (cut to 10 characters). When there is no row a new
    // one is started (tblProgSiteAfterInsert names the program). The edit is
    // written when another site becomes current, on RefreshData and when the
    // data module goes.
    void SetProgSiteFlag(const QString &field, bool value);
    void SetProgSiteFileID(const QString &value);
    // Edits "Username", "Password", "UserNotes" or "Notes" of the current
    // site, written like the status.
    void SetSiteText(const QString &field, const QString &value);
    // Writes the pending edits now.
    void Post();

    // Whether the table's file is open; a file that could not be opened for
    // a reason other than damage stays closed, and using it fails.
    bool isOpen(const TTableDef &table) const;
    // The program whose submission status is shown (set by LoadProgram).
    QString statusProgram() const { return m_statusProgram; }

signals:
    void dataRefreshed();
    // The list of live sites changed (import, refresh).
    void sitesChanged();
    // Another site became current, or the current program changed.
    void currentSiteChanged();

private:
    void DataModuleCreate();
    void DBUpdates();
    void OpenTable(const TTableDef &table);

    void upgradeTable(const TTableDef &table);
    void openFile(const TTableDef &table);
    void attach(const TTableDef &table);
    void detach(const TTableDef &table);
    void clearMakerAccounts();
    QString filePath(const TTableDef &table) const;

    void loadSiteNames();
    void tblProgSiteAfterInsert();
    TProgSite readProgSite(const QString &program, const QString &site);
    void startProgSiteEdit();
    QString currentSiteName() const;

    QString m_folder;
    std::unique_ptr<TSqlDatabase> m_db;
    QSet<QString> m_open;
    QString m_statusProgram;

    QStringList m_siteNames;
    int m_currentSite = -1;
    // The edited status row of the current site, when there is one.
    struct TProgSiteEdit
    {
        QString program;
        QString site;
        TProgSite row;
    };
    std::optional<TProgSiteEdit> m_progSiteEdit;
    // Edited fields of the current site (field name, text).
    QString m_siteEditName;
    QList<std::pair<QString, QString>> m_siteEdits;

    std::unique_ptr<TSqlStatement> m_siteQuery; // prepared once: the grid reads row by row
    // Stored flags (Submitted, Published, OldVersion) of one program by site.
    struct TStoredFlags
    {
        bool valid = false;
        QString program;
        QHash<QString, std::array<bool, 3>> sites;
    };
    TStoredFlags m_storedFlags;
};

// The one data module; set from the moment it is allocated.
extern TDM1 *DM1;
