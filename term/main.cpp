#include "mainwindow.h"
#include "termcommandline.h"
#include "termoptions.h"
#include "../app/windowsystemoptions.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QLocale>
#include <QTranslator>

#include <memory>

// Filled once here, read by the window for the whole run.
static TermOptions termOptions;

static void logLines(const QStringList &lines)
{
    for (const QString &line : lines)
        qInfo().noquote() << line;
}

static void loadTranslator(QApplication &app, QTranslator &translator, const QString &file,
                           const char *okText, const char *installedText, const char *missingText)
{
    if (translator.load(QCoreApplication::applicationDirPath() + file)) {
        qDebug("%s", okText);
        app.installTranslator(&translator);
        qDebug("%s", installedText);
    } else {
        qDebug("%s", missingText);
    }
}

// Help and command-line errors end before any window, so they need no window system:
// a plain core application lets them work without a display.
static std::unique_ptr<QCoreApplication> createApplication(int &argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    TermOptions scratch;
    if (TermCommandLine::parse(arguments, scratch).exitNow && !namesWindowSystemOption(arguments))
        return std::make_unique<QCoreApplication>(argc, argv);
    return std::make_unique<QApplication>(argc, argv);
}

int main(int argc, char *argv[])
{
    std::unique_ptr<QCoreApplication> core = createApplication(argc, argv);
    // There is no parent console to attach to here: the log goes to standard error.

    const TermCommandLine::Result parsed = TermCommandLine::parse(core->arguments(), termOptions);
    logLines(parsed.lines);
    if (parsed.exitNow)
        return parsed.exitCode;
    auto *gui = qobject_cast<QApplication *>(core.get());
    if (!gui)  // cannot happen: the same command line chose the application class
        return 1;
    QApplication &app = *gui;

    QTranslator qtTranslator;
    QTranslator myTranslator;
    const QLocale::Language language = QLocale::system().language();
    qDebug("locale: %d", int(language));
    if (QLocale(language).language() == QLocale::German) {
        loadTranslator(app, qtTranslator, QStringLiteral("/translations/qt_de.qm"),
                       "qtTranslator ok", "qtTranslator installed", "qtTranslator not found");
        loadTranslator(app, myTranslator, QStringLiteral("/translations/corvun_de.qm"),
                       "my translator ok", "my translator installed", "myTranslator not found");
    }

    auto window = std::make_unique<MainWindow>(nullptr, &app, termOptions);
    window->setWindowIcon(QIcon(QStringLiteral(":/images/tools.png")));
    window->show();
    const int code = app.exec();
    window.reset();
    return code;
}
