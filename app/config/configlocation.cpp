#include "configlocation.h"

#include <QDir>
#include <QFileInfo>

QString resolveConfigFile(const QString &name, const QString &configDirectory, ConfigLookup lookup)
{
    if (name.isEmpty())
        return QString();
    if (QDir::isAbsolutePath(name))
        return QDir::cleanPath(name);
    if (lookup == ConfigLookup::CurrentFolderFirst) {
        const QFileInfo here(QDir::current(), name);
        if (here.exists())
            return QDir::cleanPath(here.absoluteFilePath());
    }
    return QDir::cleanPath(QDir(configDirectory).absoluteFilePath(name));
}
