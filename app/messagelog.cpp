#include "messagelog.h"

#include "startupoptions.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// Messages come from the GUI thread and the link worker threads alike. One lock keeps
// each line's time, its difference to the line before and the line itself together,
// so the differences in the log add up and lines never interleave.
std::mutex &logLock()
{
    static std::mutex lock;
    return lock;
}

QElapsedTimer &timeBase()
{
    static QElapsedTimer timer;
    return timer;
}

unsigned previousMs = 0;

void writeLine(FILE *target, QtMsgType type, unsigned now, unsigned delta, const char *text)
{
    switch (type) {
    case QtDebugMsg:
        std::fprintf(target, "Debug[%u,%4u] %s\n", now, delta, text);
        break;
    case QtWarningMsg:
        std::fprintf(target, "Warn [%u,%4u] %s\n", now, delta, text);
        break;
    case QtCriticalMsg:
        std::fprintf(target, "Critical[%u,%4u] %s\n", now, delta, text);
        break;
    case QtFatalMsg:
        std::fprintf(target, "Fatal[%u,%u] %s\n", now, delta, text);
        break;
    case QtInfoMsg:
        break;
    }
}

} // namespace

void startLogTimeBase()
{
    std::lock_guard<std::mutex> guard(logLock());
    timeBase().start();
    previousMs = 0;
}

void closeLogFile()
{
    std::lock_guard<std::mutex> guard(logLock());
    if (logFile) {
        std::fclose(logFile);
        logFile = nullptr;
    }
}

void kestrovaMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    const QByteArray local = text.toLocal8Bit();
    std::lock_guard<std::mutex> guard(logLock());
    const unsigned now = timeBase().isValid() ? unsigned(timeBase().elapsed()) : 0u;
    const unsigned delta = now - previousMs;
    FILE *target = logFile ? logFile : stderr;
    writeLine(target, type, now, delta, local.constData());
    if (type == QtFatalMsg) {
        if (logFile) {
            std::fclose(logFile);
            logFile = nullptr;
        }
        std::abort();
    }
    if (target == stderr)
        std::fflush(stderr);
    previousMs = now;
}
