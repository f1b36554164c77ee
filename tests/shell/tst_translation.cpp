// The German catalogues built with the program turn the window German, and every text
// Kestrova marks for translation has its German.
#include "mainwindow.h"
#include "translationcoverage.h"
#include "translations.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

class tst_translation : public QObject
{
    Q_OBJECT

private slots:
    void germanWindow()
    {
        QTranslator qt, mine;
        installTranslations(*qApp, LanguageChoice::German, KESTROVA_BIN_DIR, qt, mine);
        MainWindow w(nullptr, qApp);
        const auto bars = w.findChildren<QToolBar *>();
        QVERIFY(!bars.isEmpty());
        QCOMPARE(bars.first()->windowTitle(), QString("Datei"));
        // Qt's own texts come with it.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString("&Ja"));
        qApp->removeTranslator(&mine);
        qApp->removeTranslator(&qt);
    }

    void englishLoadsNothing()
    {
        QTranslator qt, mine;
        installTranslations(*qApp, LanguageChoice::English, KESTROVA_BIN_DIR, qt, mine);
        QVERIFY(mine.isEmpty());
        MainWindow w(nullptr, qApp);
        QCOMPARE(w.findChildren<QToolBar *>().first()->windowTitle(), QString("File"));
    }

    void germanCatalogue()
    {
        QTranslator german;
        QVERIFY(german.load(KESTROVA_BIN_DIR "/translations/orvatel_de.qm"));
        QTemporaryDir scratch;
        const TranslationCoverage coverage =
            TranslationCoverage::check({KESTROVA_SOURCE_DIR "/app"}, german, scratch.path());
        QVERIFY2(coverage.error.isEmpty(), qPrintable(coverage.error));
        QVERIFY(coverage.texts > 150);
        for (const QString &text : coverage.missing)
            qWarning("no German for %s", qPrintable(text));
        QVERIFY2(coverage.missing.isEmpty(), qPrintable(QString("%1 texts without German").arg(coverage.missing.size())));
    }
};

QTEST_MAIN(tst_translation)
#include "tst_translation.moc"
