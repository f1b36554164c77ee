// Command line, usage, exit codes, log format and translations of Kestrova: the parser
// directly, and the real binary as a user starts it.
#include "startupoptions.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

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
