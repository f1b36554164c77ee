#include "mainwindow.h"
#include "termcommandline.h"
#include "termoptions.h"

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

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // There is no parent console to attach to here: the log goes to standard error.

    const TermCommandLine::Result parsed = TermCommandLine::parse(app.arguments(), termOptions);
    logLines(parsed.lines);
    if (parsed.exitNow)
        return parsed.exitCode;

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
