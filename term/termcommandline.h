#pragma once

#include "termoptions.h"

#include <QStringList>

// Walks corvun's command line into TermOptions. Options match in any letter case;
// values are taken as written (the serial-number filter is lower-cased).
class TermCommandLine
{
public:
    struct Result
    {
        bool exitNow = false;   // help or error: no window
        int exitCode = 0;
        QStringList lines;      // messages for the log, in order
    };

    // `arguments` includes the program name first, as QCoreApplication::arguments().
    static Result parse(const QStringList &arguments, TermOptions &options);
    static QStringList usageLines();

private:
    static bool takeNumber(const QStringList &arguments, int &index, int base,
                           qint32 &field, bool &error);
};
