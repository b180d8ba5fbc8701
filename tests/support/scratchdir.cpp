#include "scratchdir.h"

#include "appdir.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

TScratchDir::TScratchDir()
    : m_oldCwd(QDir::currentPath())
    , m_oldAppDir(AppDir())
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    setAppDir(m_dir.path());
    QDir::setCurrent(m_dir.path());
}

TScratchDir::~TScratchDir()
{
    QDir::setCurrent(m_oldCwd);
    setAppDir(m_oldAppDir);
}

QString TScratchDir::path() const
{
    return m_dir.path();
}

QString TScratchDir::file(const QString &name) const
{
    return m_dir.filePath(name);
}

void TScratchDir::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a test file");
}

QByteArray TScratchDir::read(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}
