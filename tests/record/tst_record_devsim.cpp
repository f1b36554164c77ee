// kestrova-record end to end: the program as built, against devsim over a pseudo-terminal
// and over loopback UDP, with no display at all.
#include "devicerig.h"
#include "devsimtrace.h"
#include "recordrun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace {
QString describe(const RecordRun &run)
{
    return run.describe();
}
} // namespace

class tst_record_devsim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fiveSeconds_data();
    void fiveSeconds();
    void interruptedAfterThreeSeconds();
    void failures_data();
    void failures();
};

void tst_record_devsim::initTestCase()
{
#ifndef DEVSIM_EXECUTABLE
    QSKIP("the device simulator is not built");
#endif
}

void tst_record_devsim::fiveSeconds_data()
{
    QTest::addColumn<bool>("udp");
    QTest::newRow("serial") << false;
    QTest::newRow("udp") << true;
}

// Five seconds end to end: exactly 5000 frames, each as devsim sent it; progress once a
// second on standard error and nothing else there; the summary on standard output.
void tst_record_devsim::fiveSeconds()
{
    QFETCH(bool, udp);
    DeviceRig rig;
    QVERIFY(rig.start(DeviceRig::devsimChannels, udp));
    const QString config = rig.writeConfig("five.conf", DeviceRig::configText(4, 1, 2));
    const QString trace = rig.folder() + "/five.h5";
    RecordRun run(rig.folder() + "/home");
    run.start(QStringList{"-c", config, "--duration", "5", "--output", trace} + (udp ? QStringList{"--usewifi"} : QStringList()));
    QCOMPARE(run.finish(), 0);
    QVERIFY2(run.output.trimmed() == trace.toLocal8Bit() + ": 5000 frames, 0 lost", qPrintable(describe(run)));
    const QList<QByteArray> lines = run.error.trimmed().split('\n');
    QCOMPARE(lines.first(), "kestrova-record: recording to " + trace.toLocal8Bit());
    QVERIFY2(lines.size() >= 5, qPrintable(describe(run)));
    for (const QByteArray &line : lines.mid(1))
        QVERIFY2(QRegularExpression("^ +\\d+\\.\\d s +\\d+ frames +\\d+ frames/s +\\d+ lost +[\\d.]+ k?B$")
                     .match(QString::fromLatin1(line)).hasMatch(), line.constData());
    const QString problem = checkDevsimTrace(trace, 5000);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

// SIGINT after three seconds: the recording ends as if stopped, the trace (under its usual
// name in the traces folder) is complete and readable.
void tst_record_devsim::interruptedAfterThreeSeconds()
{
    DeviceRig rig;
    QVERIFY(rig.start(DeviceRig::devsimChannels, false));
    const QString home = rig.folder() + "/home";
    QDir().mkpath(home + "/Documents/lumetrix/config");
    QFile::copy(rig.writeConfig("run.conf", DeviceRig::configText(4, 1, 2)), home + "/Documents/lumetrix/config/run.conf");
    RecordRun run(home);
    run.start({"-c", "run.conf"});
    QVERIFY2(run.waitForError("\n   3.", 20000), qPrintable(describe(run)));
    run.signal(SIGINT);
    QCOMPARE(run.finish(), 0);
    const QString trace = run.summaryFile();
    QVERIFY2(trace.startsWith(home + "/Documents/lumetrix/traces/trace_"), qPrintable(describe(run)));
    const int rows = devsimTraceRows(trace);
    QVERIFY2(rows >= 2500 && run.output.contains(QByteArray::number(rows) + " frames"), qPrintable(describe(run)));
    const QString problem = checkDevsimTrace(trace, rows);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

// Every way a run fails: its exit code and its words. `devices` simulated devices
// (the second with serial number kestr0002); `provoke` is a devsim command sent once
// the recording runs, or SIGINT sent after a second.
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
    QTest::newRow("usage") << 0 << none << good << QStringList{"--bogus"} << QByteArray() << 1
                           << "unknown argument --bogus";
    QTest::newRow("configuration missing") << 0 << none << QByteArray() << none << QByteArray() << 2
                                           << "the configuration file is missing or invalid";
    QTest::newRow("configuration invalid") << 0 << none << QByteArray("sampleRate=fast\n") << none << QByteArray() << 2
                                           << "the configuration file is missing or invalid";
    QTest::newRow("no device") << 0 << none << good << none << QByteArray() << 3 << "no device found";
    QTest::newRow("several devices") << 2 << none << good << none << QByteArray() << 4 << "kestr0001";
    QTest::newRow("busy device") << 1 << QStringList{"--busy"} << good << QStringList{"--duration", "2"}
                                 << QByteArray() << 5 << "the device is busy";
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
    QFETCH(int, code);
    QFETCH(QString, words);
    DeviceRig rig, second;
    QVERIFY(rig.start(DeviceRig::devsimChannels + faults, false));
    QFile ports(rig.folder() + "/ports");
    QVERIFY(ports.open(QIODevice::WriteOnly));
    if (devices == 2)
        QVERIFY(second.sim.start({"--pty", "--serial", "kestr0002"}));
    for (int d = 0; d < devices; ++d) {
        QFile f(d == 0 ? rig.sim.portsFile() : second.sim.portsFile());
        QVERIFY(f.open(QIODevice::ReadOnly));
        ports.write(f.readAll());
    }
    ports.close();
    qputenv("LUMETRIX_VIRTUAL_PORTS", ports.fileName().toLocal8Bit());

    RecordRun run(rig.folder());
    if (!config.isEmpty())
        rig.writeConfig("run.conf", config);
    QFile::copy(rig.configFolder() + "/run.conf", rig.folder() + "/run.conf");
    run.start(QStringList{"-c", "run.conf"} + arguments);
    if (provoke == "SIGINT") {
        QTest::qWait(1000);
        run.signal(SIGINT);
    } else if (!provoke.isEmpty()) {
        QVERIFY2(run.waitForError("\n   1.", 20000), qPrintable(describe(run)));
        rig.sim.command(provoke);
    }
    QCOMPARE(run.finish(), code);
    QVERIFY2(run.error.contains(words.toLocal8Bit()), qPrintable(describe(run)));
    if (provoke == "unplug") {
        const QString problem = checkDevsimTrace(run.summaryFile(), -1);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

QTEST_GUILESS_MAIN(tst_record_devsim)
#include "tst_record_devsim.moc"
