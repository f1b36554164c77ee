// Trace files end to end against devsim: what a recording leaves behind when the program
// is killed or the disk fills up, and the README's Python example on a real recording.
#include "acquisition/acquisitioncontroller.h"
#include "devicerig.h"
#include "devsimtrace.h"
#include "h5reader.h"
#include "hdf5tools.h"
#include "recordingdisplay.h"
#include "recordrun.h"
#include "windowrun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

// Frames devsim sent in its latest serial stream, from its data log.
quint64 framesSent(const DevsimProcess &sim, int frameSize)
{
    quint64 bytes = 0;
    for (const DevsimProcess::DataUnit &unit : sim.dataUnits("serial"))
        bytes += unit.fate == "sent" ? unit.count : 0;
    return bytes / quint64(frameSize);
}

// kestrova-record recording into `trace`: empty once the file is there, else what went wrong.
QString startRecording(RecordRun &run, const QString &config, const QString &trace)
{
    run.start({"-c", config, "--output", trace, "--quiet"});
    if (QTest::qWaitFor([&] { return QFile::exists(trace) || run.process.state() == QProcess::NotRunning; }, 20000)
        && QFile::exists(trace))
        return QString();
    run.finish(1000);
    return "kestrova-record did not start recording: " + run.describe();
}

// Kestrova's window recording, from Record (F7) once the device is configured: empty once
// the trace file is there (named in `trace`), else what went wrong.
QString startRecording(WindowRun &run, const QString &config, QString *trace)
{
    if (!run.start({"-c", config}) || !run.waitForLog("imus are configured", 30000) || !run.press("F7"))
        return run.describe();
    if (QTest::qWaitFor([&] {
            *trace = run.newestTrace();
            return !trace->isEmpty() || run.process.state() == QProcess::NotRunning;
        }, 20000) && !trace->isEmpty())
        return QString();
    return "Record made no trace file: " + run.describe();
}

// Eight 24-bit channels and four IMUs at 4000 frames/s: 88-byte frames, half a megabyte
// of values a second.
QByteArray largeConfig()
{
    QByteArray t = "timeline=10\nmaxDuration=0\nsampleRate=4000\nsampleSize=88\n";
    for (int k = 0; k < 8; ++k)
        t += "adc24\t2\t-2.4\t2.4\t1\t0\tch" + QByteArray::number(k) + "\n";
    for (int i = 0; i < 4; ++i)
        t += "imu6\t6\t500\timu" + QByteArray::number(i) + "\n";
    return t + "aux\t2\n";
}

// The fenced Python block under the README's heading `heading`.
QByteArray readmeExample(const QByteArray &heading)
{
    QFile readme(KESTROVA_SOURCE_DIR "/README.md");
    if (!readme.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray text = readme.readAll();
    const int section = text.indexOf("\n" + heading + "\n");
    const int begin = text.indexOf("```python\n", section);
    const int end = text.indexOf("\n```", begin + 10);
    if (section < 0 || begin < 0 || end < 0)
        return QByteArray();
    return text.mid(begin + 10, end - begin - 10);
}

} // namespace

class tst_tracefile_e2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedWhileRecording_data();
    void killedWhileRecording();
    void diskFillsUp_data();
    void diskFillsUp();
    void readmeExampleReadsARecording();
};

void tst_tracefile_e2e::initTestCase()
{
#ifndef DEVSIM_EXECUTABLE
    QSKIP("the device simulator is not built");
#endif
}

// Kestrova (ten rounds, recording from F7 in its window) and kestrova-record (six)
// killed (SIGKILL) at random moments while recording, every other round with slow commits
// so that many kills land inside one: every file opens in HDF5, h5dump and h5py, holds
// devsim's values, and lacks at most about the last second of what devsim sent. (A kill
// inside a commit may leave some datasets with that commit's rows and others without.)
void tst_tracefile_e2e::killedWhileRecording_data()
{
    QTest::addColumn<bool>("window");
    QTest::addColumn<int>("commitDelayUs");
    for (const bool window : {true, false}) {
        for (int round = 1; round <= (window ? 10 : 6); ++round) {
            const int commitDelayUs = round % 2 == 0 ? 20000 : 0;
            const QString name = QString("%1 %2%3")
                                     .arg(window ? "Kestrova" : "kestrova-record")
                                     .arg(round)
                                     .arg(commitDelayUs ? ", slow commits" : "");
            QTest::newRow(qPrintable(name)) << window << commitDelayUs;
        }
    }
}

void tst_tracefile_e2e::killedWhileRecording()
{
    QFETCH(bool, window);
    QFETCH(int, commitDelayUs);
    if (window && !WindowRun::missingTools().isEmpty())
        QSKIP(qPrintable("the window is not driven here: " + WindowRun::missingTools()));
    DeviceRig rig;
    QVERIFY(rig.start(DeviceRig::devsimChannels + QStringList{"--data-log", rig.sim.dataLogFile()}, false));
    const QString config = rig.writeConfig("run.conf", DeviceRig::configText(4, 1, 2));
    RecordRun record(rig.folder() + "/home");
    WindowRun kestrova(rig.folder() + "/home");
    QProcess &process = window ? kestrova.process : record.process;
    if (commitDelayUs) {
        QProcessEnvironment env = process.processEnvironment();
        env.insert("KESTROVA_COMMIT_DELAY_US", QString::number(commitDelayUs));
        process.setProcessEnvironment(env);
    }
    QString trace = rig.folder() + "/killed.h5";
    const QString problem = window ? startRecording(kestrova, config, &trace) : startRecording(record, config, trace);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    const int delay = QRandomGenerator::global()->bounded(200, 3000);
    QTest::qWait(delay);
    if (process.state() != QProcess::Running) {
        record.finish(0);
        QFAIL(qPrintable("ended before the kill: " + (window ? kestrova.describe() : record.describe())));
    }
    ::kill(pid_t(process.processId()), SIGKILL);
    const quint64 sent = framesSent(rig.sim, 36);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);

    const DevsimTrace t = readDevsimTrace(trace);
    qInfo("killed after %d ms, %llu frames sent, %d in every dataset%s", delay, sent, int(t.frames.size()),
          t.sameRows ? "" : " (some hold a commit more)");
    QVERIFY2(t.problem.isEmpty(), qPrintable(t.problem));
    const quint64 stored = t.frames.isEmpty() ? 0 : t.frames.last() + 1;
    QVERIFY(stored <= sent);
    QVERIFY2(sent - stored <= 1500, qPrintable(QString("%1 frames sent, up to %2 in the file").arg(sent).arg(stored)));
    if (!t.frames.isEmpty())
        QCOMPARE(t.frames.last() - t.frames.first() + 1, quint64(t.frames.size()));
    const QString unreadable = readableByTools(trace);
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable));
}

// A small file system (a tmpfs in a private mount namespace). Room for a few seconds:
// kestrova-record warns that less than a minute fits, records until the disk is full,
// ends with exit code 8 and says in plain words how many frames the file holds; the file
// holds exactly those. Room for less than a second: it refuses to start, with code 8.
void tst_tracefile_e2e::diskFillsUp_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<bool>("starts");
    QTest::newRow("fills while recording") << "1536k" << true;
    QTest::newRow("too small to start") << "400k" << false;
}

void tst_tracefile_e2e::diskFillsUp()
{
    QFETCH(QString, size);
    QFETCH(bool, starts);
    DeviceRig rig;
    QVERIFY(rig.start({"--counts", "8,0,4,2", "--seed", "7"}, false));
    const QString config = rig.writeConfig("large.conf", largeConfig());
    const QString mountPoint = rig.folder() + "/mnt";
    const QString copy = rig.folder() + "/copy.h5";
    QVERIFY(QDir().mkpath(mountPoint));
    // The tmpfs exists only inside the namespace: the file is copied out before it ends.
    const QString script = QStringLiteral("mount -t tmpfs -o size=%1 tmpfs \"$1\" || exit 97\n"
                                          "out=\"$1/full.h5\"; copy=\"$2\"; shift 2\n"
                                          "\"$@\" --output \"$out\"; rc=$?\n"
                                          "cp \"$out\" \"$copy\" 2>/dev/null\n"
                                          "exit $rc\n").arg(size);
    QStringList arguments = geteuid() == 0 ? QStringList{"-m"} : QStringList{"-r", "-m"};
    arguments << "sh" << "-c" << script << "sh" << mountPoint << copy << RecordRun::program() << "-c" << config
              << "--duration" << "60";
    RecordRun run(rig.folder() + "/home");
    run.startWrapped(QStringLiteral("unshare"), arguments);
    const int code = run.finish(90000);
    if (code == 97 || run.error.startsWith("unshare:"))
        QSKIP(qPrintable("no private mount namespace here: " + run.error.left(200)));
    QVERIFY2(code == 8, qPrintable(run.describe()));
    if (!starts) {
        QVERIFY2(run.error.contains("has room for less than one second of recording"), qPrintable(run.describe()));
        QVERIFY(!QFile::exists(copy));
        return;
    }
    QVERIFY2(run.error.contains("less than a minute of recording fits"), qPrintable(run.describe()));
    const QRegularExpressionMatch said =
        QRegularExpression("The disk is full: recording stopped\\. The trace file (\\S+) holds the first (\\d+) frames\\.")
            .match(QString::fromLocal8Bit(run.error));
    QVERIFY2(said.hasMatch(), qPrintable(run.describe()));
    QCOMPARE(said.captured(1), mountPoint + "/full.h5");
    const hsize_t frames = said.captured(2).toULongLong();
    QVERIFY(frames > 0);
    QVERIFY2(run.output.contains(": " + QByteArray::number(frames) + " frames"), qPrintable(run.describe()));

    const hid_t file = H5Fopen(copy.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    QVERIFY(file >= 0);
    QCOMPARE(datasetInfo(file, "/adc/values").dims, (QVector<hsize_t>{frames, 8}));
    QCOMPARE(datasetInfo(file, "/imu6/values").dims, (QVector<hsize_t>{frames, 4, 6}));
    const QVector<qint16> aux = readInt16s(file, "/aux/values");
    H5Fclose(file);
    QCOMPARE(aux.size(), int(2 * frames));
    for (int s = 1; s < int(frames); ++s)
        QCOMPARE(quint16(aux[2 * s] - aux[2 * s - 2]), quint16(1));
    const QString problem = readableByTools(copy);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

// The README's example, taken from the README itself, on a recording over lossy WiFi with
// two markers: its time axis counts the lost frames in, and it lists the markers.
void tst_tracefile_e2e::readmeExampleReadsARecording()
{
    const QByteArray example = readmeExample("### Reading a trace in Python");
    QVERIFY2(!example.isEmpty(), "no Python example in the README");

    DeviceRig rig;
    rig.writeConfig("run.conf", DeviceRig::configText(4, 1, 2, "3"));
    QVERIFY(rig.start(DeviceRig::devsimChannels + QStringList{"--drop", "0.05", "--no-retransmit", "--udp-frames", "5"},
                      true, "run.conf"));
    RecordingDisplay display;
    AcquisitionController c;
    c.setDisplay(&display);
    QTRY_VERIFY_WITH_TIMEOUT(c.measurementState() == 3 && c.isConfigValid(), 30000);
    c.record();
    QTRY_VERIFY_WITH_TIMEOUT(c.recordedFrames() > 1000, 10000);
    c.addMarker("valve open");
    QTRY_VERIFY_WITH_TIMEOUT(c.recordedFrames() > 2000, 10000);
    c.addMarker("valve closed");
    QTRY_COMPARE_WITH_TIMEOUT(c.measurementState(), 3, 15000);
    const QString trace = c.traceFileName();
    const DevsimTrace t = readDevsimTrace(trace);
    QVERIFY2(t.problem.isEmpty(), qPrintable(t.problem));
    QVERIFY(!t.gaps.isEmpty());
    QCOMPARE(t.markers.size(), 2);

    QByteArray out;
    const QString problem = runPython(QString::fromUtf8(example), {trace}, &out);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    quint64 lost = 0;
    for (int g = 1; g < t.gaps.size(); g += 3)
        lost += t.gaps[g];
    const QByteArray expected = QString("%1 rows, %2 s, %3 frames lost in %4 gaps\n")
                                    .arg(t.frames.size())
                                    .arg((t.frames.size() + lost - 1) / 1000.0, 0, 'f', 3)
                                    .arg(lost)
                                    .arg(t.gaps.size() / 3)
                                    .toUtf8();
    QVERIFY2(out.startsWith(expected), out.constData());
    // The last row's time is the frame devsim sent it as.
    QCOMPARE(t.frames.last(), quint64(t.frames.size()) + lost - 1);
    for (const TraceMarker &m : t.markers) {
        const QByteArray line = QString("marker \"%1\" at row %2, %3 s\n")
                                    .arg(QString::fromUtf8(m.text))
                                    .arg(m.frame)
                                    .arg(t.frames[int(m.frame)] / 1000.0, 0, 'f', 3)
                                    .toUtf8();
        QVERIFY2(out.contains(line), out.constData());
    }
}

QTEST_GUILESS_MAIN(tst_tracefile_e2e)
#include "tst_tracefile_e2e.moc"
