#pragma once

#include <QString>
#include <QStringList>

// The command line of kestrova-record:
//   kestrova-record -c CONF [--usewifi] [--serial SN] [--duration SECONDS] [--output FILE]
//                   [--log] [--quiet]
// Option names are compared in lower case; values are taken as written, also as
// --name=value.
class RecordOptions
{
public:
    QString configFile;      // -c, --config
    bool useWifi = false;    // --usewifi
    QString serialNumber;    // --serial
    double duration = 0;     // --duration, seconds; 0 = until the configuration's limit or a signal
    QString outputFile;      // --output
    bool log = false;        // --log
    bool quiet = false;      // --quiet

    bool help = false;       // -h, --help
    QString error;           // why the command line is refused; empty when it is fine

    // Walks the arguments after the program name.
    static RecordOptions parse(const QStringList &arguments);
    static QString usage();

    // Where a configuration name is found: an absolute one as it is, a relative one in
    // `currentFolder` first, then in `configFolder`. Empty when it is in neither.
    static QString resolveConfig(const QString &name, const QString &currentFolder, const QString &configFolder);

private:
    bool takeValue(const QString &name, const QString &value);
};
