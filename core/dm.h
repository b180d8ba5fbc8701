#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

class TSqlDatabase;
struct TTableDef;

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
    // shows that program's submission status.
    void LoadProgram(const QString &name);
    // Writes AppConfig's program record to the row of `name`, adding it with
    // AppConfig->ProgramName as its key when there is none.
    void SaveProgram(const QString &name);
    // Adds a row holding only the name. A name that exists is refused with an
    // EDatabaseError and nothing is kept of the attempt.
    void AddProgram(const QString &name);
    // Deletes the program's row; its status rows stay.
    void DeleteProgram(const QString &name);
    // Re-reads the tables: views of their rows read them again.
    void RefreshData();

    // Whether the table's file is open; a file that could not be opened for
    // a reason other than damage stays closed, and using it fails.
    bool isOpen(const TTableDef &table) const;
    // The program whose submission status is shown (set by LoadProgram).
    QString statusProgram() const { return m_statusProgram; }

signals:
    void dataRefreshed();

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

    QString m_folder;
    std::unique_ptr<TSqlDatabase> m_db;
    QSet<QString> m_open;
    QString m_statusProgram;
};

// The one data module; set from the moment it is allocated.
extern TDM1 *DM1;
