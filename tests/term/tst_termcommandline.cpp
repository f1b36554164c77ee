#include "termcommandline.h"

#include <QProcess>
#include <QtTest>

class tst_TermCommandLine : public QObject
{
    Q_OBJECT

private:
    static TermCommandLine::Result run(const QStringList &args, TermOptions &options)
    {
        return TermCommandLine::parse(QStringList{"corvun"} + args, options);
    }

private slots:
    void defaultsWithoutArguments()
    {
        TermOptions o;
        const auto r = run({}, o);
        QVERIFY(!r.exitNow);
        QVERIFY(r.lines.isEmpty());
        QCOMPARE(o.baudRate, 115200);
        QCOMPARE(o.filterVid, -1);
        QCOMPARE(o.filterPid, -1);
        QCOMPARE(o.localEcho, -1);
        QVERIFY(!o.noStatusLines);
        QVERIFY(!o.forceLog);
        QVERIFY(o.filterSn.isEmpty());
    }

    void noArgumentsAtAllIsAnError()
    {
        TermOptions o;
        const auto r = TermCommandLine::parse({}, o);
        QVERIFY(r.exitNow);
        QCOMPARE(r.exitCode, 1);
    }

    void helpEndsParsing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("-h") << QStringList{"-h"};
        QTest::newRow("-?") << QStringList{"-?"};
        QTest::newRow("--HELP") << QStringList{"--HELP"};
        QTest::newRow("-h then junk") << QStringList{"-h", "junk", "--baudrate"};
        QTest::newRow("after a flag") << QStringList{"--forcelog", "-H"};
    }
    void helpEndsParsing()
    {
        QFETCH(QStringList, args);
        TermOptions o;
        const auto r = run(args, o);
        QVERIFY(r.exitNow);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines, TermCommandLine::usageLines());
        QCOMPARE(r.lines.first(), QString("\nUsage: corvun [options]"));
        QCOMPARE(r.lines.size(), 10);
    }

    void optionsInAnyCaseAndBases()
    {
        TermOptions o;
        const auto r = run({"--FILTERVID", "1A86", "--filterpid", "0x7523", "--filterSN", "KeStR0001",
                            "-B", "250000", "--NoStatusLines", "--forcelog", "--localecho", "1f"}, o);
        QVERIFY2(!r.exitNow, qPrintable(r.lines.join('|')));
        QCOMPARE(o.filterVid, 0x1a86);
        QCOMPARE(o.filterPid, 0x7523);
        QCOMPARE(o.filterSn, QString("kestr0001"));
        QCOMPARE(o.baudRate, 250000);
        QVERIFY(o.noStatusLines);
        QVERIFY(o.forceLog);
        QCOMPARE(o.localEcho, 0x1f);
        QCOMPARE(r.lines, QStringList{"localecho 31"});
    }

    void vendorFilterIsHexadecimal()
    {
        TermOptions a, b, c;
        QVERIFY(!run({"--filterVID", "10"}, a).exitNow);
        QVERIFY(!run({"--filtervid", "10"}, b).exitNow);
        QVERIFY(!run({"--FILTERVID", "10"}, c).exitNow);
        QCOMPARE(a.filterVid, 16);
        QCOMPARE(b.filterVid, 16);
        QCOMPARE(c.filterVid, 16);
    }

    void baudRateIsDecimal()
    {
        TermOptions o;
        QVERIFY(!run({"--baudrate", "10"}, o).exitNow);
        QCOMPARE(o.baudRate, 10);
        TermOptions bad;
        const auto r = run({"-b", "1a"}, bad);
        QVERIFY(r.exitNow);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(bad.baudRate, -1);
        QVERIFY(r.lines.contains("##################### Error in Commandline #######"));
        QVERIFY(!r.lines.contains("error: there are unrecognized parameters in the commandline"));
    }

    void missingValueIsAnError_data()
    {
        QTest::addColumn<QString>("option");
        for (const char *opt : {"--baudrate", "-b", "--filterVID", "--filterPID", "--filterSN", "--localecho"})
            QTest::newRow(opt) << QString(opt);
    }
    void missingValueIsAnError()
    {
        QFETCH(QString, option);
        TermOptions o;
        const auto r = run({"--forcelog", option}, o);
        QVERIFY(r.exitNow);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.lines.contains("##################### Error in Commandline #######"));
        QVERIFY(r.lines.contains("\nUsage: corvun [options]"));
    }

    void unrecognisedArgument()
    {
        TermOptions o;
        const auto r = run({"COM3"}, o);
        QVERIFY(r.exitNow);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.lines.at(0), QString("error: there are unrecognized parameters in the commandline"));
        QCOMPARE(r.lines.at(1), QString("##################### Error in Commandline #######"));
        QCOMPARE(r.lines.mid(2), TermCommandLine::usageLines());
    }

    void serialFilterIgnoredAfterFailure()
    {
        TermOptions o;
        const auto r = run({"--filterVID", "xyz", "--filterSN", "ABC"}, o);
        QVERIFY(r.exitNow);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(o.filterVid, -1);
        QVERIFY(o.filterSn.isEmpty());
    }

    // The program itself: exit codes, no window on help or error, usage on stderr.
    void programExitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("expected");
        QTest::newRow("help") << QStringList{"-h", "whatever"} << 0 << "--filterSN <argument>";
        QTest::newRow("missing value") << QStringList{"--baudrate"} << 1
                                       << "##################### Error in Commandline #######";
        QTest::newRow("unknown") << QStringList{"nonsense"} << 1
                                 << "error: there are unrecognized parameters in the commandline";
    }
    void programExitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, expected);
        QProcess p;
        p.start(KESTROVA_BIN_DIR "/corvun", args);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), code);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(err.contains(expected), qPrintable(err));
        QVERIFY(err.contains("Usage: corvun [options]"));
        QVERIFY(!err.contains("constructor"));
    }
};

QTEST_GUILESS_MAIN(tst_TermCommandLine)
#include "tst_termcommandline.moc"
