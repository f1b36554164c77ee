#pragma once

#include <QString>

// Where a configuration file named on the command line (-c, --config) is read from.
enum class ConfigLookup {
    ConfigFolderOnly,    // the window: a relative name lives in the configurations folder
    CurrentFolderFirst,  // a headless run: a relative name that exists in the current folder wins
};

// An absolute path is used as it is. A relative name is looked up as `lookup` says and
// returned as an absolute path. An empty name gives an empty text.
QString resolveConfigFile(const QString &name, const QString &configDirectory,
                          ConfigLookup lookup = ConfigLookup::ConfigFolderOnly);
