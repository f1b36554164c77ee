#include "startupoptions.h"

FILE *logFile = nullptr;

StartupOptions &startupOptions()
{
    static StartupOptions options;
    return options;
}

QStringList usageLines()
{
    return {
        "\nUsage: orvatel [options]",
        "Options:",
        "    --help -h -?           : print helpmessage and exit program",
        "    --log                  : create log file orvatel.log at working directory",
        "    --useWifi              : use Wifi instead of USB Devices",
        "    --wifiPort  <argument> : set UDP port (decimal) of Wifi, default is 1234",
        "    --language  <argument> : set GUI-Language (\"en\" \"de\")",
        "    --config    <argument> : load config file",
        "    -c          <argument> : load config file",
        "\n",
    };
}

static void applyLanguage(const QString &value, LanguageChoice &language)
{
    const QString v = value.toLower();
    if (v.contains("de"))
        language = LanguageChoice::German;
    if (v.contains("en"))
        language = LanguageChoice::English;
}

static void failWithUsage(CommandLineResult &result)
{
    result.lines << "##################### Error in Commandline #######";
    result.lines << usageLines();
    result.exitNow = true;
    result.exitCode = 1;
}

CommandLineResult parseCommandLine(const QStringList &arguments, StartupOptions &options)
{
    CommandLineResult result;
    const int total = arguments.size();
    if (total <= 1)
        return result;

    int consumed = 0;
    bool error = false;
    for (int i = 1; i < total; ++i) {
        const QString arg = arguments.at(i).toLower();
        if (arg == "-?" || arg == "-h" || arg == "--help") {
            result.lines << usageLines();
            result.exitNow = true;
            result.exitCode = 0;
            return result;
        }
        if (arg == "--usewifi") {
            options.useWifi = true;
            ++consumed;
        } else if (arg == "--log") {
            options.logToFile = true;
            ++consumed;
        } else if (arg == "-c" || arg == "--config" || arg == "--language") {
            consumed += 2;
            if (i + 1 >= total) {
                error = true;
                continue;
            }
            ++i;
            if (error)
                continue;
            if (arg == "--language")
                applyLanguage(arguments.at(i), result.language);
            else
                options.configFileName = arguments.at(i);
        }
    }

    if (consumed + 1 != total) {
        result.lines << "error: there are unrecognized parameters in the commandline";
        failWithUsage(result);
    } else if (error) {
        failWithUsage(result);
    }
    return result;
}
