// Kestrova's command line, usage, exit codes, log format and languages: the parser
// directly, the programs as built, started as a user starts them, and the German
// catalogues, which must hold every text Kestrova marks for translation.
#include "filebytes.h"
#include "messagelog.h"
#include "startupoptions.h"
#include "translationcoverage.h"
#include "translations.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <thread>
#include <vector>

class tst_commandline : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void binariesWithoutDisplay_data();
    void binariesWithoutDisplay();
    void logLinesFromSeveralThreads();
    void logFileAndLanguage();
    void germanCatalogue();
};

// Options in any case; a failing walk stops with its error lines, then the usage; help
// stops the walk after the arguments before it.
void tst_commandline::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");            // -1: the program goes on
    QTest::addColumn<QStringList>("linesBefore"); // the lines before the usage text
    QTest::addColumn<int>("options");             // 1 useWifi, 2 logToFile
    QTest::addColumn<QString>("config");
    QTest::addColumn<int>("language");
    const QString error = "error: there are unrecognized parameters in the commandline";
    const QString banner = "##################### Error in Commandline #######";
    const int unset = int(LanguageChoice::Unset);
    QTest::newRow("any case") << QStringList{"--USEWIFI", "-C", "My.Conf", "--Log"} << -1 << QStringList() << 3 << "My.Conf" << unset;
    QTest::newRow("deen") << QStringList{"--language", "deen"} << -1 << QStringList() << 0 << "" << int(LanguageChoice::English);
    QTest::newRow("fr") << QStringList{"--language", "fr"} << -1 << QStringList() << 0 << "" << unset;
    QTest::newRow("config without value") << QStringList{"--config"} << 1 << QStringList{error, banner} << 0 << "" << unset;
    QTest::newRow("unknown argument") << QStringList{"--wifiPort", "5"} << 1 << QStringList{error, banner} << 0 << "" << unset;
    QTest::newRow("help after --log") << QStringList{"--log", "-H", "x", "--bogus"} << 0 << QStringList() << 2 << "" << unset;
}

void tst_commandline::parse()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, linesBefore);
    StartupOptions o;
    const CommandLineResult r = parseCommandLine(QStringList{"Kestrova"} + args, o);
    QCOMPARE(r.exitNow ? r.exitCode : -1, exitCode);
    QCOMPARE(r.lines, exitCode < 0 ? QStringList() : linesBefore + usageLines());
    QTEST(int(o.useWifi) | int(o.logToFile) << 1, "options");
    QTEST(o.configFileName, "config");
    QTEST(int(r.language), "language");
}

// Help and command-line errors need no display, for either program.
void tst_commandline::binariesWithoutDisplay_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text");
    QTest::newRow("Kestrova --help") << "Kestrova" << QStringList{"--help"} << 0 << "] \nUsage: orvatel [options]";
    QTest::newRow("Kestrova -H x") << "Kestrova" << QStringList{"-H", "x"} << 0 << "    -c          <argument> : load config file";
    QTest::newRow("Kestrova unknown") << "Kestrova" << QStringList{"--wifiPort", "5"} << 1
                                      << "error: there are unrecognized parameters in the commandline";
    QTest::newRow("Kestrova no value") << "Kestrova" << QStringList{"--config"} << 1 << "##################### Error in Commandline #######";
    QTest::newRow("corvun --help") << "corvun" << QStringList{"--help"} << 0 << "Usage: corvun [options]";
    QTest::newRow("corvun no value") << "corvun" << QStringList{"--baudrate"} << 1 << "##################### Error in Commandline #######";
    QTest::newRow("corvun bad hex") << "corvun" << QStringList{"--filterVID", "xyz"} << 1 << "--filterPID <argument>";
}

void tst_commandline::binariesWithoutDisplay()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QString(KESTROVA_BIN_DIR) + "/" + program, args);
    QVERIFY(p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QTEST(p.exitCode(), "exitCode");
    QFETCH(QString, text);
    QVERIFY2(err.contains(text), qPrintable(err));
}

// Lines logged from several threads at once: each whole, and each line's difference
// equal to its time minus the time of the line before it in the file.
void tst_commandline::logLinesFromSeveralThreads()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("threads.log");
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    QVERIFY(file);
    startLogTimeBase();
    logFile = file;
    const QtMessageHandler previous = qInstallMessageHandler(kestrovaMessageHandler);
    const int threads = 4, lines = 500;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([t] {
            for (int i = 0; i < lines; ++i)
                qDebug("thread %d line %d", t, i);
        });
    for (std::thread &w : workers)
        w.join();
    qInstallMessageHandler(previous);
    closeLogFile();
    QVERIFY(!logFile);

    QFile log(path);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList all = QString::fromLatin1(log.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(all.size(), threads * lines);
    const QRegularExpression format(R"(^Debug\[(\d+),\s*(\d+)\] thread \d line \d+$)");
    unsigned before = 0;
    for (const QString &line : all) {
        const QRegularExpressionMatch m = format.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        const unsigned now = m.captured(1).toUInt();
        QVERIFY2(now >= before && m.captured(2).toUInt() == now - before, qPrintable(line));
        before = now;
    }
}

// With --log the window opens and the log file holds the start-up lines in the handler's
// format, the German catalogues loaded among them; none of them goes to standard error.
void tst_commandline::logFileAndLanguage()
{
    QTemporaryDir dir;
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QString(KESTROVA_BIN_DIR) + "/Kestrova", {"-c", "a.conf", "--log", "--language", "DE"});
    QVERIFY(p.waitForStarted(10000));
    // Once Kestrova catches SIGTERM its window is up; SIGTERM then ends the event loop in
    // order, so the log file is written out and closed.
    const auto catchesTerm = [&p] {
        const QByteArray text = fileBytes(QString("/proc/%1/status").arg(p.processId()));
        const int at = text.indexOf("SigCgt:");
        return at >= 0 && (text.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) & (1ULL << (SIGTERM - 1)));
    };
    QTRY_VERIFY_WITH_TIMEOUT(catchesTerm() || p.state() != QProcess::Running, 20000);
    QVERIFY2(p.state() == QProcess::Running, "Kestrova must keep running with valid options");
    p.terminate();
    QVERIFY(p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0);
    QFile log(dir.path() + "/orvatel.log");
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(log.readAll());
    QVERIFY2(QRegularExpression(R"(^Debug\[\d+,[ \d]{3}\d\] locale: \d+$)", QRegularExpression::MultilineOption).match(text).hasMatch(),
             qPrintable(text));
    QVERIFY(text.contains("qtTranslator installed") && text.contains("my translator installed"));
    QVERIFY(!p.readAllStandardError().contains("locale:"));
}

void tst_commandline::germanCatalogue()
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

QTEST_MAIN(tst_commandline)
#include "tst_commandline.moc"
