// kestrova-record's plain parts: the command line, the progress lines and what each
// report of the controller makes of the run.
#include "recordoptions.h"
#include "progressline.h"
#include "recordsession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using Event = Acquisition::Event;

class tst_recordparts : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void configLookup();
    void progress();
    void exitCodes_data();
    void exitCodes() { QFETCH(Event, event); QTEST(int(RecordSession::exitCodeFor(event)), "code"); }
};

void tst_recordparts::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");        // part of the refusal; empty when accepted
    QTest::addColumn<QString>("config");
    QTest::addColumn<double>("duration");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("flags");           // 1 wifi, 2 log, 4 quiet, 8 help

    QTest::newRow("all") << QStringList{"-c", "Run.conf", "--useWifi", "--serial", "KESTR7", "--duration", "2.5",
                                        "--output", "/tmp/x.h5", "--LOG", "--quiet"}
                         << "" << "Run.conf" << 2.5 << "KESTR7" << "/tmp/x.h5" << 7;
    QTest::newRow("inline values") << QStringList{"--config=a.conf", "--duration=10"} << "" << "a.conf" << 10.0
                                   << "" << "" << 0;
    QTest::newRow("help needs no configuration") << QStringList{"-h"} << "" << "" << 0.0 << "" << "" << 8;
    QTest::newRow("no configuration") << QStringList{"--usewifi"} << "-c CONF" << "" << 0.0 << "" << "" << 1;
    QTest::newRow("value missing") << QStringList{"-c"} << "-c needs a value" << "" << 0.0 << "" << "" << 0;
    QTest::newRow("empty value") << QStringList{"-c", "a", "--serial="} << "--serial needs a value" << "a" << 0.0
                                 << "" << "" << 0;
    QTest::newRow("duration not a number") << QStringList{"-c", "a", "--duration", "5s"} << "--duration needs"
                                           << "a" << 0.0 << "" << "" << 0;
    QTest::newRow("duration zero") << QStringList{"-c", "a", "--duration", "0"} << "--duration needs" << "a" << 0.0
                                   << "" << "" << 0;
    QTest::newRow("duration infinite") << QStringList{"-c", "a", "--duration", "inf"} << "--duration needs" << "a"
                                       << 0.0 << "" << "" << 0;
    QTest::newRow("unknown") << QStringList{"-c", "a", "--wifiPort", "3"} << "unknown argument --wifiPort" << "a"
                             << 0.0 << "" << "" << 0;
    QTest::newRow("flag with value") << QStringList{"-c", "a", "--quiet=yes"} << "--quiet takes no value" << "a"
                                     << 0.0 << "" << "" << 0;
}

void tst_recordparts::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const RecordOptions o = RecordOptions::parse(arguments);
    QVERIFY2(error.isEmpty() ? o.error.isEmpty() : o.error.contains(error), qPrintable(o.error));
    if (!error.isEmpty())
        return;
    QTEST(o.configFile, "config");
    QTEST(o.duration, "duration");
    QTEST(o.serialNumber, "serial");
    QTEST(o.outputFile, "output");
    QTEST(int(o.useWifi) | int(o.log) << 1 | int(o.quiet) << 2 | int(o.help) << 3, "flags");
}

// A relative name: the current folder first, then the configurations folder.
void tst_recordparts::configLookup()
{
    QTemporaryDir here, configs;
    for (const QString &path : {here.filePath("both.conf"), configs.filePath("both.conf"), configs.filePath("only.conf")})
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    QDir(here.path()).mkdir("folder.conf");
    QCOMPARE(RecordOptions::resolveConfig("both.conf", here.path(), configs.path()), here.filePath("both.conf"));
    QCOMPARE(RecordOptions::resolveConfig("only.conf", here.path(), configs.path()), configs.filePath("only.conf"));
    QCOMPARE(RecordOptions::resolveConfig(configs.filePath("only.conf"), here.path(), "/nowhere"),
             configs.filePath("only.conf"));
    QVERIFY(RecordOptions::resolveConfig("folder.conf", here.path(), configs.path()).isEmpty());
    QVERIFY(RecordOptions::resolveConfig("none.conf", here.path(), configs.path()).isEmpty());
}

void tst_recordparts::progress()
{
    ProgressLine line;
    QCOMPARE(line.next(1.0, 1000, 0, 999), QString("   1.0 s     1000 frames    1000 frames/s        0 lost     999 B"));
    // The rate is the one since the previous line.
    QCOMPARE(line.next(2.5, 4000, 12, 1234567), QString("   2.5 s     4000 frames    2000 frames/s       12 lost    1.2 MB"));
    QCOMPARE(ProgressLine::size(999950), QString("1.0 MB"));
    QCOMPARE(ProgressLine::size(3000000000LL), QString("3.0 GB"));
    QCOMPARE(ProgressLine::summary("/t/a.h5", 5000, 3), QString("/t/a.h5: 5000 frames, 3 lost"));
}

void tst_recordparts::exitCodes_data()
{
    QTest::addColumn<Event>("event");
    QTest::addColumn<int>("code");
    QTest::newRow("query failed: go on") << Event::CommandFailed << int(RecordExit::Success);
    QTest::newRow("count changed: go on") << Event::ChannelCountChanged << int(RecordExit::Success);
    QTest::newRow("invalid file") << Event::ConfigurationInvalid << int(RecordExit::ConfigInvalid);
    QTest::newRow("not enough channels") << Event::ConfigurationMismatch << int(RecordExit::ConfigRefused);
    QTest::newRow("device refuses") << Event::ConfigurationRefused << int(RecordExit::ConfigRefused);
    QTest::newRow("unusable counts") << Event::ChannelCountsInvalid << int(RecordExit::ConfigRefused);
    QTest::newRow("no trace file") << Event::TraceFileFailed << int(RecordExit::OutputRefused);
    QTest::newRow("no room for the trace") << Event::TraceFolderFull << int(RecordExit::DiskFull);
    QTest::newRow("write failed") << Event::TraceWriteFailed << int(RecordExit::DiskFull);
    QTest::newRow("stream stopped") << Event::StreamStopped << int(RecordExit::DeviceLost);
    QTest::newRow("stream damaged") << Event::StreamDamaged << int(RecordExit::DeviceLost);
    QTest::newRow("unplugged") << Event::DeviceDisconnected << int(RecordExit::DeviceLost);
}

QTEST_GUILESS_MAIN(tst_recordparts)
#include "tst_recordparts.moc"
