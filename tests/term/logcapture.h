#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

// Keeps the window's log for the checks and still shows it when a test fails.
// Install with qInstallMessageHandler(captureLog).
inline QStringList &capturedLog()
{
    static QStringList lines;
    return lines;
}

inline void captureLog(QtMsgType, const QMessageLogContext &, const QString &text)
{
    capturedLog() << text;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

inline int loggedCount(const QString &needle)
{
    int n = 0;
    for (const QString &line : qAsConst(capturedLog()))
        n += line.contains(needle) ? 1 : 0;
    return n;
}
