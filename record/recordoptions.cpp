#include "recordoptions.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {
const QStringList valueOptions = {"-c", "--config", "--serial", "--duration", "--output"};
}

RecordOptions RecordOptions::parse(const QStringList &arguments)
{
    RecordOptions o;
    for (int i = 0; i < arguments.size() && o.error.isEmpty(); ++i) {
        QString name = arguments.at(i);
        QString value;
        const bool inlineValue = name.startsWith("--") && name.contains('=');
        if (inlineValue) {
            value = name.section('=', 1);
            name = name.section('=', 0, 0);
        }
        name = name.toLower();
        if (valueOptions.contains(name)) {
            if (!inlineValue && i + 1 >= arguments.size()) {
                o.error = QStringLiteral("%1 needs a value").arg(name);
                break;
            }
            if (!inlineValue)
                value = arguments.at(++i);
            o.takeValue(name, value);
        } else if (inlineValue) {
            o.error = QStringLiteral("%1 takes no value").arg(name);
        } else if (name == "-h" || name == "-?" || name == "--help") {
            o.help = true;
        } else if (name == "--usewifi") {
            o.useWifi = true;
        } else if (name == "--log") {
            o.log = true;
        } else if (name == "--quiet") {
            o.quiet = true;
        } else {
            o.error = QStringLiteral("unknown argument %1").arg(arguments.at(i));
        }
    }
    if (o.error.isEmpty() && !o.help && o.configFile.isEmpty())
        o.error = QStringLiteral("a configuration file is needed (-c CONF)");
    return o;
}

bool RecordOptions::takeValue(const QString &name, const QString &value)
{
    if (value.isEmpty()) {
        error = QStringLiteral("%1 needs a value").arg(name);
    } else if (name == "-c" || name == "--config") {
        configFile = value;
    } else if (name == "--serial") {
        serialNumber = value;
    } else if (name == "--output") {
        outputFile = value;
    } else if (name == "--duration") {
        bool ok = false;
        duration = value.toDouble(&ok);
        if (!ok || !std::isfinite(duration) || duration <= 0 || duration > 1e7)
            error = QStringLiteral("--duration needs a number of seconds above 0, not %1").arg(value);
    }
    return error.isEmpty();
}

QString RecordOptions::resolveConfig(const QString &name, const QString &currentFolder, const QString &configFolder)
{
    if (QFileInfo(name).isAbsolute())
        return QFileInfo::exists(name) ? name : QString();
    for (const QString &folder : {currentFolder, configFolder}) {
        const QString path = QDir(folder).absoluteFilePath(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

QString RecordOptions::usage()
{
    return QStringLiteral(
        "Usage: kestrova-record -c CONF [options]\n"
        "Records one trace file from the device without a window: finds the device,\n"
        "configures it with CONF, records until the duration or the configuration's\n"
        "maximum duration ends or SIGINT/SIGTERM arrives, and closes the trace file.\n"
        "\n"
        "  -c, --config CONF      configuration file; a relative name is looked up in the\n"
        "                         current folder, then in the configurations folder\n"
        "  --usewifi              reach the device over WiFi instead of USB\n"
        "  --serial SN            take only the device with this serial number\n"
        "  --duration SECONDS     record at most this long\n"
        "  --output FILE          trace file to write (never overwritten); default: a new\n"
        "                         trace_<date>_<time>.h5 in the traces folder\n"
        "  --log                  diagnostics to kestrova-record.log in the current folder\n"
        "  --quiet                no progress lines\n"
        "  -h, --help             this text\n"
        "\n"
        "Progress goes to standard error once a second; the last line on standard output\n"
        "names the trace file, the frames recorded and the frames lost.\n"
        "\n"
        "Exit codes:\n"
        "   0  recorded; the trace file is closed and complete\n");
}
