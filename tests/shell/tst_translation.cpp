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
    // The German catalogues turn the window and Qt's own texts German; English loads nothing.
    void windowLanguage()
    {
        for (const bool german : {true, false}) {
            QTranslator qt, mine;
            installTranslations(*qApp, german ? LanguageChoice::German : LanguageChoice::English, KESTROVA_BIN_DIR, qt, mine);
            QCOMPARE(mine.isEmpty(), !german);
            MainWindow w(nullptr, qApp);
            QCOMPARE(w.findChildren<QToolBar *>().first()->windowTitle(), QString(german ? "Datei" : "File"));
            QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString(german ? "&Ja" : "&Yes"));
            qApp->removeTranslator(&mine);
            qApp->removeTranslator(&qt);
        }
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
