// kestrova-record: one recording from the device without a window or a display.
#include "acquisition/acquisitioncontroller.h"
#include "messagelog.h"
#include "recordexit.h"
#include "recordoptions.h"
#include "recordsession.h"
#include "startupoptions.h"
#include "terminationwatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

namespace {

// Without --log the diagnostics go nowhere: nothing may come between the progress lines.
void discardMessage(QtMsgType type, const QMessageLogContext &, const QString &)
{
    if (type == QtFatalMsg)
        std::abort();
}

void openLog()
{
    logFile = std::fopen("kestrova-record.log", "wb");
    if (logFile)
        qInstallMessageHandler(kestrovaMessageHandler);
    else
        std::fprintf(stderr, "kestrova-record: cannot create kestrova-record.log; going on without it\n");
}

QString documentsFolder(const QString &sub)
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + sub;
    QDir().mkpath(path);
    return path;
}

} // namespace

int main(int argc, char *argv[])
{
    startLogTimeBase();
    qInstallMessageHandler(discardMessage);
    QCoreApplication app(argc, argv);

    const RecordOptions options = RecordOptions::parse(app.arguments().mid(1));
    if (options.help) {
        std::printf("%s%s", qPrintable(RecordOptions::usage()), qPrintable(RecordExit::table()));
        return RecordExit::Success;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "kestrova-record: %s (see --help)\n", qPrintable(options.error));
        return RecordExit::UsageError;
    }
    if (options.log)
        openLog();

    StartupOptions &startup = startupOptions();
    startup.useWifi = options.useWifi;
    startup.logToFile = options.log;
    startup.workingDirectory = documentsFolder("/lumetrix/traces");
    startup.configDirectory = documentsFolder("/lumetrix/config");

    int result = RecordExit::Success;
    {
        AcquisitionController controller;
        RecordSession session(options, controller);
        TerminationWatcher watcher;
        QObject::connect(&watcher, &TerminationWatcher::terminationRequested, &session, &RecordSession::requestStop);
        QObject::connect(&session, &RecordSession::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
        session.start(startup.configDirectory, startup.workingDirectory);
        result = app.exec();
    }
    if (logFile) {
        std::fclose(logFile);
        logFile = nullptr;
    }
    return result;
}
