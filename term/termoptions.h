#pragma once

#include <QString>

// The terminal's command-line choices, filled once at start-up and read by the main
// window afterwards. A negative number means "not given" (or given with a bad value).
struct TermOptions
{
    bool noStatusLines = false;
    bool forceLog = false;
    qint32 filterVid = -1;
    qint32 filterPid = -1;
    qint32 baudRate = 115200;
    qint32 localEcho = -1;
    QString filterSn;  // lower case
};
