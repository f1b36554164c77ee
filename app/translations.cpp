#include "translations.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLocale>

static bool germanWanted(LanguageChoice choice)
{
    if (choice == LanguageChoice::German)
        return true;
    if (choice == LanguageChoice::English)
        return false;
    return QLocale::system().language() == QLocale::German;
}

void installTranslations(QCoreApplication &app, LanguageChoice choice, const QString &baseDir,
                         QTranslator &qtTranslator, QTranslator &myTranslator)
{
    qDebug("locale: %d", int(QLocale::system().language()));
    if (!germanWanted(choice))
        return;

    if (qtTranslator.load(baseDir + "/translations/qt_de.qm")) {
        qDebug("qtTranslator ok");
        if (app.installTranslator(&qtTranslator))
            qDebug("qtTranslator installed");
    } else {
        qDebug("qtTranslator not found");
    }
    if (myTranslator.load(baseDir + "/translations/orvatel_de.qm")) {
        qDebug("my translator ok");
        if (app.installTranslator(&myTranslator))
            qDebug("my translator installed");
    } else {
        qDebug("myTranslator not found");
    }
}
