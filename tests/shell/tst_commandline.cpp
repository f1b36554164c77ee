// Command line, usage, exit codes, log format and translations of Kestrova: the parser
// directly, and the real binary as a user starts it.
#include "messagelog.h"
#include "startupoptions.h"
#include "windowsystemoptions.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

class tst_commandline : public QObject
{
    Q_OBJECT

private:
    static CommandLineResult parse(const QStringList &args, StartupOptions &o)
    {
        return parseCommandLine(QStringList{"Kestrova"} + args, o);
    }

    struct Run
    {
        int exitCode = -1;
        QString err;
        bool finished = false;
    };
    // Runs Kestrova; a run that would open its window is ended after `aliveMs`.
    static Run runBinary(const QStringList &args, const QString &cwd = QString(), int aliveMs = 0)
    {
        QProcess p;
        if (!cwd.isEmpty())
            p.setWorkingDirectory(cwd);
        p.start(QString(KESTROVA_BIN_DIR) + "/Kestrova", args);
        Run r;
        r.finished = p.waitForStarted(10000) && p.waitForFinished(aliveMs > 0 ? aliveMs : 20000);
        if (!r.finished) {
            // SIGTERM ends the event loop in order, so the log file is closed.
            p.terminate();
            p.waitForFinished(10000);
        }
        r.exitCode = p.exitCode();
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }

private slots:
    void noArgumentsKeepsDefaults()
    {
        StartupOptions o;
        const auto r = parse({}, o);
        QVERIFY(!r.exitNow);
        QVERIFY(!o.useWifi && !o.logToFile && o.configFileName.isEmpty());
        QCOMPARE(r.language, LanguageChoice::Unset);
    }

    void optionsInAnyCase()
    {
        StartupOptions o;
        const auto r = parse({"--USEWIFI", "-C", "My.Conf", "--Log"}, o);
        QVERIFY(!r.exitNow);
        QVERIFY(o.useWifi && o.logToFile);
        QCOMPARE(o.configFileName, QString("My.Conf"));
    }

    void languageValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("DE") << "DE" << int(LanguageChoice::German);
        QTest::newRow("deen") << "deen" << int(LanguageChoice::English);
        QTest::newRow("en") << "en" << int(LanguageChoice::English);
        QTest::newRow("fr") << "fr" << int(LanguageChoice::Unset);
    }
    void languageValues()
    {
        QFETCH(QString, value);
        QFETCH(int, expected);
        StartupOptions o;
        const auto r = parse({"--language", value}, o);
        QVERIFY(!r.exitNow);
        QCOMPARE(int(r.language), expected);
    }

    void configWithoutValueFails()
    {
        StartupOptions o;
        const auto r = parse({"--config"}, o);
        QVERIFY(r.exitNow);
        QCOMPARE(r.exitCode, 1);
        // The count is too high as well, so both error lines come, then the usage.
        QCOMPARE(r.lines.at(0), QString("error: there are unrecognized parameters in the commandline"));
        QCOMPARE(r.lines.at(1), QString("##################### Error in Commandline #######"));
        QCOMPARE(r.lines.mid(2), usageLines());
    }

    void unknownArgumentFails()
    {
        StartupOptions o;
        const auto r = parse({"--wifiPort", "5"}, o);
        QVERIFY(r.exitNow);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.lines.first(), QString("error: there are unrecognized parameters in the commandline"));
        QCOMPARE(r.lines.size(), 2 + usageLines().size());
    }

    void helpStopsTheWalkAfterEarlierArguments()
    {
        StartupOptions o;
        const auto r = parse({"--log", "-H", "x", "--bogus"}, o);
        QVERIFY(r.exitNow);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(o.logToFile);
        QCOMPARE(r.lines, usageLines());
    }

    void usageTextIsExact()
    {
        const QStringList u = usageLines();
        QCOMPARE(u.size(), 10);
        QCOMPARE(u.first(), QString("\nUsage: orvatel [options]"));
        QCOMPARE(u.at(6), QString("    --language  <argument> : set GUI-Language (\"en\" \"de\")"));
        QCOMPARE(u.last(), QString("\n"));
    }

    void windowSystemOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("named");
        QTest::newRow("own options") << QStringList{"--help", "-c", "a.conf", "--log"} << false;
        QTest::newRow("-platform") << QStringList{"-platform", "offscreen", "-h"} << true;
        QTest::newRow("--style=") << QStringList{"--wifiPort", "--style=fusion"} << true;
        QTest::newRow("-reverse") << QStringList{"-reverse"} << true;
        QTest::newRow("case matters to Qt") << QStringList{"-Platform", "x"} << false;
        QTest::newRow("a value, not an option") << QStringList{"-c", "style"} << false;
    }
    void windowSystemOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, named);
        QCOMPARE(namesWindowSystemOption(QStringList{"Kestrova"} + args), named);
    }

    // Help and command-line errors need no display, for either program.
    void binariesWithoutDisplay_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("text");
        QTest::newRow("Kestrova --help") << "Kestrova" << QStringList{"--help"} << 0 << "Usage: orvatel [options]";
        QTest::newRow("Kestrova -? x") << "Kestrova" << QStringList{"-?", "x"} << 0 << "-c          <argument>";
        QTest::newRow("Kestrova unknown") << "Kestrova" << QStringList{"--wifiPort", "5"} << 1
                                          << "error: there are unrecognized parameters in the commandline";
        QTest::newRow("Kestrova no value") << "Kestrova" << QStringList{"--config"} << 1
                                           << "##################### Error in Commandline #######";
        QTest::newRow("corvun --help") << "corvun" << QStringList{"--help"} << 0 << "Usage: corvun [options]";
        QTest::newRow("corvun no value") << "corvun" << QStringList{"--baudrate"} << 1
                                         << "##################### Error in Commandline #######";
        QTest::newRow("corvun bad hex") << "corvun" << QStringList{"--filterVID", "xyz"} << 1
                                        << "--filterPID <argument>";
    }
    void binariesWithoutDisplay()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(name);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString(KESTROVA_BIN_DIR) + "/" + program, args);
        QVERIFY(p.waitForFinished(20000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QVERIFY2(p.exitCode() == exitCode, qPrintable(err));
        QVERIFY2(err.contains(text), qPrintable(err));
    }

    // Lines logged from several threads at once: each whole, and each line's difference
    // equal to its time minus the time of the line before it in the file.
    void logLinesFromSeveralThreads()
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

    void binaryHelpAndErrors()
    {
        Run help = runBinary({"-H", "x"});
        QVERIFY(help.finished);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.err.contains("] \nUsage: orvatel [options]"));
        QVERIFY(help.err.contains("    -c          <argument> : load config file"));

        Run bad = runBinary({"--wifiPort", "5"});
        QVERIFY(bad.finished);
        QCOMPARE(bad.exitCode, 1);
        QVERIFY(bad.err.contains("error: there are unrecognized parameters in the commandline"));
        QVERIFY(bad.err.contains("##################### Error in Commandline #######"));

        Run missing = runBinary({"--config"});
        QVERIFY(missing.finished);
        QCOMPARE(missing.exitCode, 1);
    }

    void binaryLogFileFormat()
    {
        QTemporaryDir dir;
        // The window opens; the log must already hold the start-up lines in the handler format.
        Run r = runBinary({"-c", "a.conf", "--log", "--language", "en"}, dir.path(), 3000);
        QVERIFY2(!r.finished, "Kestrova must keep running with valid options");
        QCOMPARE(r.exitCode, 0);
        QFile log(dir.path() + "/orvatel.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromLocal8Bit(log.readAll());
        const QRegularExpression line(R"(^Debug\[\d+,[ \d]{3}\d\] locale: \d+$)",
                                      QRegularExpression::MultilineOption);
        QVERIFY2(line.match(text).hasMatch(), qPrintable(text));
        // Nothing goes to standard error while the log file is open.
        QVERIFY(!r.err.contains("locale:"));
    }

    void binaryLoadsGermanWhenAsked()
    {
        Run r = runBinary({"--language", "DE"}, QString(), 3000);
        QVERIFY(r.err.contains("qtTranslator installed"));
        QVERIFY(r.err.contains("my translator installed"));
        Run en = runBinary({"--language", "en"}, QString(), 3000);
        QVERIFY(!en.err.contains("translator"));
        QVERIFY(!en.err.contains("Translator"));
    }
};

QTEST_GUILESS_MAIN(tst_commandline)
#include "tst_commandline.moc"
