// kestrova-record: the program as built against devsim over a pseudo-terminal and over
// loopback UDP, with no display at all; and its plain parts: the command line, the
// progress lines, the exit code of each report the end-to-end runs do not reach.
#include "devicerig.h"
#include "devsimtrace.h"
#include "programrun.h"
#include "progressline.h"
#include "recordoptions.h"
#include "recordsession.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using Event = Acquisition::Event;

class tst_record_devsim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void records_data();
    void records();
    void failures_data();
    void failures();
    void commandLine_data();
    void commandLine();
    void configLookup();
    void progress();
    void exitCodes_data();
    void exitCodes() { QFETCH(Event, event); QTEST(int(RecordSession::exitCodeFor(event)), "code"); }
};

void tst_record_devsim::initTestCase()
{
#ifndef DEVSIM_EXECUTABLE
    QSKIP("the device simulator is not built");
#endif
}

// Five seconds: exactly 5000 frames as devsim sent them. SIGINT after three seconds: the
// recording ends as if stopped, the trace (under its usual name in the traces folder,
// the configuration found in the configurations folder) is complete. Progress once a
// second on standard error and nothing else there; the summary on standard output.
void tst_record_devsim::records_data()
{
    QTest::addColumn<bool>("udp");
    QTest::addColumn<bool>("interrupt");
    QTest::newRow("serial, 5 s") << false << false;
    QTest::newRow("udp, 5 s") << true << false;
    QTest::newRow("serial, SIGINT after 3 s") << false << true;
}

void tst_record_devsim::records()
{
    QFETCH(bool, udp);
    QFETCH(bool, interrupt);
    DeviceRig rig;
    QVERIFY(rig.start(DeviceRig::devsimChannels, udp));
    const QString home = rig.folder() + "/home", configs = home + "/Documents/lumetrix/config";
    QDir().mkpath(configs);
    QFile::copy(rig.writeConfig("run.conf", DeviceRig::configText(4, 1, 2)), configs + "/run.conf");
    QString trace = rig.folder() + "/five.h5";
    ProgramRun run(home);
    if (interrupt) {
        run.startRecord({"-c", "run.conf"});
        QVERIFY2(run.waitForError(" frames/s", 20000, 3), qPrintable(run.describe()));
        run.signal(SIGINT);
    } else {
        run.startRecord(QStringList{"-c", "run.conf", "--duration", "5", "--output", trace} + (udp ? QStringList{"--usewifi"} : QStringList()));
    }
    QCOMPARE(run.finish(), 0);
    if (interrupt)
        trace = run.summaryFile();
    const int rows = devsimTraceRows(trace);
    QVERIFY2(interrupt ? trace.startsWith(home + "/Documents/lumetrix/traces/trace_") && rows >= 2500 : rows == 5000,
             qPrintable(run.describe()));
    QVERIFY2(run.output.trimmed() == trace.toLocal8Bit() + ": " + QByteArray::number(rows) + " frames, 0 lost", qPrintable(run.describe()));
    const QList<QByteArray> lines = run.error.trimmed().split('\n');
    QCOMPARE(lines.first(), "kestrova-record: recording to " + trace.toLocal8Bit());
    QVERIFY2(lines.size() >= (interrupt ? 4 : 5), qPrintable(run.describe()));
    for (const QByteArray &line : lines.mid(1))
        QVERIFY2(QRegularExpression("^ +\\d+\\.\\d s +\\d+ frames +\\d+ frames/s +\\d+ lost +[\\d.]+ k?B$")
                     .match(QString::fromLatin1(line)).hasMatch(), line.constData());
    const QString problem = checkDevsimTrace(trace, rows);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

// Every way a run fails: its exit code and its words. `devices` simulated devices (the
// second with serial number kestr0002); `provoke` is a devsim command sent once the
// recording runs, or SIGINT sent after a second.
void tst_record_devsim::failures_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("provoke");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("words");
    const QByteArray good = DeviceRig::configText(4, 1, 2);
    const QStringList none;
    QTest::newRow("usage") << 0 << none << good << QStringList{"--bogus"} << QByteArray() << 1 << "unknown argument --bogus";
    QTest::newRow("configuration missing") << 0 << none << QByteArray() << none << QByteArray() << 2
                                           << "the configuration file is missing or invalid";
    QTest::newRow("configuration invalid") << 0 << none << QByteArray("sampleRate=fast\n") << none << QByteArray() << 2
                                           << "the configuration file is missing or invalid";
    QTest::newRow("no device") << 0 << none << good << none << QByteArray() << 3 << "no device found";
    QTest::newRow("several devices") << 2 << none << good << none << QByteArray() << 4 << "kestr0001";
    QTest::newRow("busy device") << 1 << QStringList{"--busy"} << good << QStringList{"--duration", "2"} << QByteArray() << 5
                                 << "the device is busy";
    QTest::newRow("configuration refused") << 1 << QStringList{"--conf-error"} << good << none << QByteArray() << 6
                                           << "the device cannot take the configuration";
    QTest::newRow("too many IMUs") << 1 << none << DeviceRig::configText(4, 2, 2) << none << QByteArray() << 6
                                   << "not enough IMU channels";
    QTest::newRow("output exists") << 1 << none << good << QStringList{"--output", "run.conf"} << QByteArray() << 7
                                   << "never overwritten";
    QTest::newRow("device lost") << 1 << none << good << none << QByteArray("unplug") << 9
                                 << "the device was lost while recording";
    QTest::newRow("interrupted while searching") << 0 << none << good << none << QByteArray("SIGINT") << 10
                                                 << "interrupted before the recording began";
}

void tst_record_devsim::failures()
{
    QFETCH(int, devices);
    QFETCH(QStringList, faults);
    QFETCH(QByteArray, config);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, provoke);
    DeviceRig rig, second;
    QVERIFY(rig.start(DeviceRig::devsimChannels + faults, false));
    if (devices == 2)
        QVERIFY(second.sim.start({"--pty", "--serial", "kestr0002"}));
    const QString ports = rig.folder() + "/ports";
    QVERIFY(DevsimProcess::declareTogether(ports, QList<const DevsimProcess *>{&rig.sim, &second.sim}.mid(0, devices)));
    qputenv("LUMETRIX_VIRTUAL_PORTS", QFile::encodeName(ports));
    if (!config.isEmpty())
        QFile::copy(rig.writeConfig("run.conf", config), rig.folder() + "/run.conf");
    ProgramRun run(rig.folder());
    run.startRecord(QStringList{"-c", "run.conf"} + arguments);
    if (provoke == "SIGINT") {
        QTest::qWait(1000);   // searching for a device that is not there
        run.signal(SIGINT);
    } else if (!provoke.isEmpty()) {
        QVERIFY2(run.waitForError(" frames/s", 20000), qPrintable(run.describe()));
        rig.sim.command(provoke);
    }
    QTEST(run.finish(), "code");
    QFETCH(QString, words);
    QVERIFY2(run.error.contains(words.toLocal8Bit()), qPrintable(run.describe()));
    const QString problem = provoke == "unplug" ? checkDevsimTrace(run.summaryFile(), -1) : QString();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void tst_record_devsim::commandLine_data()
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

void tst_record_devsim::commandLine()
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
void tst_record_devsim::configLookup()
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

void tst_record_devsim::progress()
{
    ProgressLine line;
    QCOMPARE(line.next(1.0, 1000, 0, 999), QString("   1.0 s     1000 frames    1000 frames/s        0 lost     999 B"));
    // The rate is the one since the previous line.
    QCOMPARE(line.next(2.5, 4000, 12, 1234567), QString("   2.5 s     4000 frames    2000 frames/s       12 lost    1.2 MB"));
    QCOMPARE(ProgressLine::size(999950), QString("1.0 MB"));
    QCOMPARE(ProgressLine::size(3000000000LL), QString("3.0 GB"));
}

void tst_record_devsim::exitCodes_data()
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

QTEST_GUILESS_MAIN(tst_record_devsim)
#include "tst_record_devsim.moc"
