#include "mainwindow.h"
#include "messagelog.h"
#include "startupoptions.h"
#include "terminationwatcher.h"
#include "translations.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QIcon>
#include <QStandardPaths>
#include <QTranslator>

#include <cstdio>
#include <memory>

static QString ensureFolder(const QString &documents, const QString &sub, const char *failTrace)
{
    const QString path = documents + sub;
    qDebug().noquote() << path;
    QDir dir(path);
    if (!dir.exists() && !dir.mkpath("."))
        qDebug("%s", failTrace);
    return path;
}

static void openLogFile(StartupOptions &options)
{
    if (!options.logToFile)
        return;
    logFile = std::fopen("orvatel.log", "wb");
    if (!logFile)
        options.logToFile = false;
}

int main(int argc, char *argv[])
{
    startLogTimeBase();
    qInstallMessageHandler(kestrovaMessageHandler);

    auto app = std::make_unique<QApplication>(argc, argv);
    qDebug("hier");

    StartupOptions &options = startupOptions();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString workDir = ensureFolder(documents, "/lumetrix/traces", "could not create workingdirectory");
    const QString confDir = ensureFolder(documents, "/lumetrix/config", "could not create configdirectory");
    qDebug().noquote() << "############################## workdir" << workDir;
    qDebug().noquote() << QString::fromLocal8Bit(argv[0]);

    options = StartupOptions();
    options.workingDirectory = workDir;
    options.configDirectory = confDir;

    const CommandLineResult parsed = parseCommandLine(app->arguments(), options);
    for (const QString &line : parsed.lines)
        qDebug().noquote() << line;
    if (parsed.exitNow)
        return parsed.exitCode;
    openLogFile(options);

    auto qtTranslator = std::make_unique<QTranslator>();
    auto myTranslator = std::make_unique<QTranslator>();
    installTranslations(*app, parsed.language, QCoreApplication::applicationDirPath(), *qtTranslator,
                        *myTranslator);

    auto window = std::make_unique<MainWindow>(nullptr, app.get());
    window->setWindowTitle("Kestrova");
    window->setWindowIcon(QIcon(":/images/mainframe.png"));
    window->show();
    TerminationWatcher watcher;
    QObject::connect(&watcher, &TerminationWatcher::terminationRequested, app.get(), &QCoreApplication::quit);
    const int result = app->exec();

    if (options.logToFile && logFile) {
        std::fclose(logFile);
        logFile = nullptr;
    }
    window.reset();
    qtTranslator.reset();
    myTranslator.reset();
    app.reset();
    return result;
}
