#include "termcommandline.h"

#include <QtTest>

// The parsed options in one line: baud rate, vendor, product, echo, no status lines,
// forced log, serial number.
static QString summary(const TermOptions &o)
{
    return QString("%1 %2 %3 %4 %5 %6 %7").arg(o.baudRate).arg(o.filterVid).arg(o.filterPid).arg(o.localEcho)
        .arg(o.noStatusLines).arg(o.forceLog).arg(o.filterSn);
}

class tst_TermCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");     // -1: the program goes on
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("firstLine");   // a line the output must hold
        const QString error = "##################### Error in Commandline #######";
        QTest::newRow("defaults") << QStringList{} << -1 << "115200 -1 -1 -1 0 0 " << "";
        QTest::newRow("any case, bases") << QStringList{"--FILTERVID", "1A86", "--filterpid", "0x7523", "--filterSN",
                                                       "KeStR0001", "-B", "250000", "--NoStatusLines", "--forcelog",
                                                       "--localecho", "1f"}
                                         << -1 << "250000 6790 29987 31 1 1 kestr0001" << "localecho 31";
        QTest::newRow("vendor in hex, rate in decimal") << QStringList{"--filterVID", "10", "--baudrate", "10"} << -1
                                                        << "10 16 -1 -1 0 0 " << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "115200 -1 -1 -1 0 0 " << "\nUsage: corvun [options]";
        QTest::newRow("-?") << QStringList{"-?"} << 0 << "115200 -1 -1 -1 0 0 " << "\nUsage: corvun [options]";
        QTest::newRow("help ends parsing") << QStringList{"--forcelog", "--HELP", "junk", "--baudrate"} << 0
                                           << "115200 -1 -1 -1 0 1 " << "\nUsage: corvun [options]";
        QTest::newRow("rate not decimal") << QStringList{"-b", "1a"} << 1 << "-1 -1 -1 -1 0 0 " << error;
        QTest::newRow("filter stops at a failure") << QStringList{"--filterVID", "xyz", "--filterSN", "ABC"} << 1
                                                   << "115200 -1 -1 -1 0 0 " << error;
        QTest::newRow("unrecognised") << QStringList{"COM3"} << 1 << "115200 -1 -1 -1 0 0 "
                                      << "error: there are unrecognized parameters in the commandline";
        for (const char *opt : {"--baudrate", "-b", "--filterVID", "--filterPID", "--filterSN", "--localecho"})
            QTest::newRow(opt) << QStringList{"--forcelog", opt} << 1 << "115200 -1 -1 -1 0 1 " << error;
    }

    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        TermOptions o;
        const auto r = TermCommandLine::parse(QStringList{"corvun"} + args, o);
        QCOMPARE(r.exitNow ? r.exitCode : -1, exitCode);
        QTEST(summary(o), "options");
        QCOMPARE(r.lines.isEmpty(), firstLine.isEmpty());
        QVERIFY2(firstLine.isEmpty() || r.lines.count(firstLine) == 1, qPrintable(r.lines.join('|')));
        if (exitCode >= 0)
            QCOMPARE(r.lines.mid(r.lines.size() - 10), TermCommandLine::usageLines());
        if (args == QStringList{"-b", "1a"})   // a bad value is no unknown parameter
            QVERIFY(!r.lines.contains("error: there are unrecognized parameters in the commandline"));
        QVERIFY(TermCommandLine::parse({}, o).exitNow);   // not even a program name
    }
};

QTEST_GUILESS_MAIN(tst_TermCommandLine)
#include "tst_termcommandline.moc"
