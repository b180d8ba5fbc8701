#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh folder that serves as both AppDir and the working folder (where the
// tables live) while the object lives; the previous ones come back after.
class TScratchDir
{
public:
    TScratchDir();
    ~TScratchDir();
    TScratchDir(const TScratchDir &) = delete;
    TScratchDir &operator=(const TScratchDir &) = delete;

    // Path of a file inside the folder.
    QString file(const QString &name) const;
    QString path() const;
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
    QString m_oldCwd;
    QString m_oldAppDir;
};
