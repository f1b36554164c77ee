#include "termcommandline.h"

QStringList TermCommandLine::usageLines()
{
    return {
        QStringLiteral("\nUsage: corvun [options]"),
        QStringLiteral("Options:"),
        QStringLiteral("    --help -h -?           : print helpmessage and exit program"),
        QStringLiteral("    --filterSN <argument>  : filter devices to match Serialnum of Device"),
        QStringLiteral("    --filterVID <argument> : filter devices to match the Vendor ID (hexadecimal)"),
        QStringLiteral("    --filterPID <argument> : filter devices to match the Product ID (hexadecimal)"),
        QStringLiteral("    --noStatusLines        : do not set DTR and RTS on Connect"),
        QStringLiteral("    --forceLog             : force Logfile creation at default location and start it"),
        QStringLiteral("    --baudrate <argument>  : set baudrate (decimal)"),
        QStringLiteral("    -b <argument>          : set baudrate (decimal)"),
    };
}

// Consumes the value after the option at `index`. A missing or unconvertible value
// sets the error flag; an unconvertible one also marks the field as not given.
bool TermCommandLine::takeNumber(const QStringList &arguments, int &index, int base,
                                 qint32 &field, bool &error)
{
    if (index + 1 >= arguments.size()) {
        error = true;
        return false;
    }
    ++index;
    bool ok = false;
    const qint32 value = arguments.at(index).toInt(&ok, base);
    if (!ok) {
        field = -1;
        error = true;
        return false;
    }
    field = value;
    return true;
}

TermCommandLine::Result TermCommandLine::parse(const QStringList &arguments, TermOptions &options)
{
    Result result;
    if (arguments.size() == 1)
        return result;

    bool error = arguments.isEmpty();
    int consumed = 0;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString arg = arguments.at(i).toLower();
        if (arg == QLatin1String("-?") || arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            result.exitNow = true;
            result.exitCode = 0;
            result.lines = usageLines();
            return result;
        }
        // Every option is tried in turn; only one can match a given argument.
        if (arg == QLatin1String("--nostatuslines")) {
            options.noStatusLines = true;
            consumed += 1;
        }
        if (arg == QLatin1String("--forcelog")) {
            options.forceLog = true;
            consumed += 1;
        }
        if (arg == QLatin1String("--localecho")) {
            if (takeNumber(arguments, i, 16, options.localEcho, error))
                result.lines << QStringLiteral("localecho %1").arg(options.localEcho);
            consumed += 2;
        }
        if (arg == QLatin1String("-b") || arg == QLatin1String("--baudrate")) {
            takeNumber(arguments, i, 10, options.baudRate, error);
            consumed += 2;
        }
        if (arg == QLatin1String("--filtervid")) {
            takeNumber(arguments, i, 16, options.filterVid, error);
            consumed += 2;
        }
        if (arg == QLatin1String("--filterpid")) {
            takeNumber(arguments, i, 16, options.filterPid, error);
            consumed += 2;
        }
        if (arg == QLatin1String("--filtersn")) {
            if (i + 1 >= arguments.size()) {
                error = true;
            } else {
                ++i;
                if (!error)
                    options.filterSn = arguments.at(i).toLower();
            }
            consumed += 2;
        }
    }

    const bool countsMatch = consumed + 1 == arguments.size();
    if (countsMatch && !error)
        return result;
    if (!countsMatch)
        result.lines << QStringLiteral("error: there are unrecognized parameters in the commandline");
    result.lines << QStringLiteral("##################### Error in Commandline #######");
    result.lines << usageLines();
    result.exitNow = true;
    result.exitCode = 1;
    return result;
}
