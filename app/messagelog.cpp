#include "messagelog.h"

#include "startupoptions.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

namespace {
QElapsedTimer &timeBase()
{
    static QElapsedTimer timer;
    return timer;
}
unsigned previousMs = 0;
}

void startLogTimeBase()
{
    timeBase().start();
    previousMs = 0;
}

void kestrovaMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    const unsigned now = timeBase().isValid() ? unsigned(timeBase().elapsed()) : 0u;
    const unsigned delta = now - previousMs;
    const QByteArray local = text.toLocal8Bit();
    FILE *target = logFile ? logFile : stderr;

    switch (type) {
    case QtDebugMsg:
        std::fprintf(target, "Debug[%u,%4u] %s\n", now, delta, local.constData());
        break;
    case QtWarningMsg:
        std::fprintf(target, "Warn [%u,%4u] %s\n", now, delta, local.constData());
        break;
    case QtCriticalMsg:
        std::fprintf(target, "Critical[%u,%4u] %s\n", now, delta, local.constData());
        break;
    case QtFatalMsg:
        std::fprintf(target, "Fatal[%u,%u] %s\n", now, delta, local.constData());
        if (logFile) {
            std::fclose(logFile);
            logFile = nullptr;
        }
        std::abort();
    case QtInfoMsg:
        break;
    }
    if (target == stderr)
        std::fflush(stderr);
    previousMs = now;
}
