// kestrova-record's plain parts: the command line, the progress lines and the exit code
// each report of the controller leads to (the end-to-end runs cover the others).
#include "progressline.h"
#include "recordoptions.h"
#include "recordsession.h"

#include <QDir>
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
    QTest::addColumn<QString>("parsed");   // config|duration|serial|output|flags (1 wifi, 2 log, 4 quiet, 8 help), or the refusal
    QTest::newRow("all") << QStringList{"-c", "Run.conf", "--useWifi", "--serial", "KESTR7", "--duration", "2.5", "--output",
                                        "/tmp/x.h5", "--LOG", "--quiet"} << "Run.conf|2.5|KESTR7|/tmp/x.h5|7";
    QTest::newRow("inline values") << QStringList{"--config=a.conf", "--duration=10"} << "a.conf|10|||0";
    QTest::newRow("help needs no configuration") << QStringList{"-h"} << "|0|||8";
    QTest::newRow("no configuration") << QStringList{"--usewifi"} << "-c CONF";
    QTest::newRow("value missing") << QStringList{"-c"} << "-c needs a value";
    QTest::newRow("empty value") << QStringList{"-c", "a", "--serial="} << "--serial needs a value";
    QTest::newRow("duration not a number") << QStringList{"-c", "a", "--duration", "5s"} << "--duration needs";
    QTest::newRow("duration zero") << QStringList{"-c", "a", "--duration", "0"} << "--duration needs";
    QTest::newRow("duration infinite") << QStringList{"-c", "a", "--duration", "inf"} << "--duration needs";
    QTest::newRow("flag with value") << QStringList{"-c", "a", "--quiet=yes"} << "--quiet takes no value";
}

void tst_recordparts::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, parsed);
    const RecordOptions o = RecordOptions::parse(arguments);
    if (!parsed.contains('|'))
        QVERIFY2(o.error.contains(parsed), qPrintable(o.error));
    else
        QCOMPARE(QStringList({o.error + o.configFile, QString::number(o.duration), o.serialNumber, o.outputFile,
                              QString::number(int(o.useWifi) | int(o.log) << 1 | int(o.quiet) << 2 | int(o.help) << 3)}).join('|'), parsed);
}

// A relative name: the current folder first, then the configurations folder; never a folder.
void tst_recordparts::configLookup()
{
    QTemporaryDir here, configs;
    for (const QString &path : {here.filePath("both.conf"), configs.filePath("both.conf"), configs.filePath("only.conf")})
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    QDir(here.path()).mkdir("folder.conf");
    QCOMPARE(RecordOptions::resolveConfig("both.conf", here.path(), configs.path()), here.filePath("both.conf"));
    QCOMPARE(RecordOptions::resolveConfig("only.conf", here.path(), configs.path()), configs.filePath("only.conf"));
    QCOMPARE(RecordOptions::resolveConfig(configs.filePath("only.conf"), here.path(), "/nowhere"), configs.filePath("only.conf"));
    QVERIFY(RecordOptions::resolveConfig("folder.conf", here.path(), configs.path()).isEmpty());
}

void tst_recordparts::progress()
{
    ProgressLine line;
    QCOMPARE(line.next(1.0, 1000, 0, 999), QString("   1.0 s     1000 frames    1000 frames/s        0 lost     999 B"));
    // The rate is the one since the previous line.
    QCOMPARE(line.next(2.5, 4000, 12, 1234567), QString("   2.5 s     4000 frames    2000 frames/s       12 lost    1.2 MB"));
    QCOMPARE(ProgressLine::size(999950), QString("1.0 MB"));
    QCOMPARE(ProgressLine::size(3000000000LL), QString("3.0 GB"));
}

void tst_recordparts::exitCodes_data()
{
    QTest::addColumn<Event>("event");
    QTest::addColumn<int>("code");
    QTest::newRow("query failed: go on") << Event::CommandFailed << int(RecordExit::Success);
    QTest::newRow("count changed: go on") << Event::ChannelCountChanged << int(RecordExit::Success);
    QTest::newRow("unusable counts") << Event::ChannelCountsInvalid << int(RecordExit::ConfigRefused);
    QTest::newRow("no trace file") << Event::TraceFileFailed << int(RecordExit::OutputRefused);
    QTest::newRow("write failed") << Event::TraceWriteFailed << int(RecordExit::DiskFull);
    QTest::newRow("stream stopped") << Event::StreamStopped << int(RecordExit::DeviceLost);
    QTest::newRow("stream damaged") << Event::StreamDamaged << int(RecordExit::DeviceLost);
}

QTEST_GUILESS_MAIN(tst_recordparts)
#include "tst_recordparts.moc"
