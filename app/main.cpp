#include "mainwindow.h"
#include "messagelog.h"
#include "startupoptions.h"
#include "terminationwatcher.h"
#include "translations.h"
#include "windowsystemoptions.h"

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

static QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Help and command-line errors end before any window, so they need no window system:
// a plain core application lets them work without a display.
static std::unique_ptr<QCoreApplication> createApplication(int &argc, char *argv[])
{
    const QStringList arguments = argumentList(argc, argv);
    StartupOptions scratch;
    if (parseCommandLine(arguments, scratch).exitNow && !namesWindowSystemOption(arguments))
        return std::make_unique<QCoreApplication>(argc, argv);
    return std::make_unique<QApplication>(argc, argv);
}

static void openLogFile(StartupOptions &options)
{
    if (!options.logToFile)
        return;
    logFile = std::fopen("orvatel.log", "wb");
    if (!logFile)
        options.logToFile = false;
    else
        std::setvbuf(logFile, nullptr, _IOLBF, BUFSIZ);   // a crash keeps every line written before it
}

int main(int argc, char *argv[])
{
    startLogTimeBase();
    qInstallMessageHandler(kestrovaMessageHandler);

    std::unique_ptr<QCoreApplication> app = createApplication(argc, argv);
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
    auto *guiApp = qobject_cast<QApplication *>(app.get());
    if (!guiApp)  // cannot happen: the same command line chose the application class
        return 1;
    openLogFile(options);

    auto qtTranslator = std::make_unique<QTranslator>();
    auto myTranslator = std::make_unique<QTranslator>();
    installTranslations(*app, parsed.language, QCoreApplication::applicationDirPath(), *qtTranslator,
                        *myTranslator);

    auto window = std::make_unique<MainWindow>(nullptr, guiApp);
    window->setWindowTitle("Kestrova");
    window->setWindowIcon(QIcon(":/images/mainframe.png"));
    window->show();
    TerminationWatcher watcher;
    QObject::connect(&watcher, &TerminationWatcher::terminationRequested, app.get(), &QCoreApplication::quit);
    const int result = app->exec();

    // The window stops the link threads as it goes; their last lines still reach the log.
    window.reset();
    if (options.logToFile)
        closeLogFile();
    qtTranslator.reset();
    myTranslator.reset();
    app.reset();
    return result;
}
