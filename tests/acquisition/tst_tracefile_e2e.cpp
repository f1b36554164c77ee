// Trace files end to end against devsim: what a recording leaves behind when the program
// is killed or the disk fills up.
#include "devicerig.h"
#include "devsimtrace.h"
#include "hdf5tools.h"
#include "programrun.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <unistd.h>

class tst_tracefile_e2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedWhileRecording_data();
    void killedWhileRecording();
    void diskFillsUp_data();
    void diskFillsUp();
};

void tst_tracefile_e2e::initTestCase()
{
#ifndef DEVSIM_EXECUTABLE
    QSKIP("the device simulator is not built");
#endif
}

// Kestrova (recording from F7 in its window) and kestrova-record killed (SIGKILL) at
// random moments while recording, every other round with slow commits so that kills land
// inside one: every file opens in HDF5, h5dump and h5py, holds devsim's values, and lacks
// at most about the last second of what devsim sent.
void tst_tracefile_e2e::killedWhileRecording_data()
{
    QTest::addColumn<bool>("window");
    QTest::addColumn<int>("commitDelayUs");
    for (const bool window : {true, false}) {
        for (int round = 1; round <= (window ? 10 : 2); ++round) {
            const int delayUs = round % 2 == 0 ? 20000 : 0;
            QTest::addRow("%s %d%s", window ? "Kestrova" : "kestrova-record", round, delayUs ? ", slow commits" : "")
                << window << delayUs;
        }
    }
}

void tst_tracefile_e2e::killedWhileRecording()
{
    QFETCH(bool, window);
    QFETCH(int, commitDelayUs);
    if (window && !ProgramRun::missingWindowTools().isEmpty())
        QSKIP(qPrintable("the window is not driven here: " + ProgramRun::missingWindowTools()));
    DeviceRig rig;
    QVERIFY(rig.start(DeviceRig::devsimChannels + QStringList{"--data-log", rig.sim.dataLogFile()}, false));
    const QString config = rig.writeConfig("run.conf", DeviceRig::configText(4, 1, 2));
    ProgramRun run(rig.folder() + "/home");
    QProcess &process = run.process;
    QProcessEnvironment env = process.processEnvironment();
    env.insert("KESTROVA_COMMIT_DELAY_US", QString::number(commitDelayUs));
    process.setProcessEnvironment(env);
    QString trace = rig.folder() + "/killed.h5";
    if (window) {
        QVERIFY2(run.startWindow({"-c", config}) && run.waitForError("imus are configured", 30000) && run.press("F7"),
                 qPrintable(run.describe()));
        QVERIFY2(QTest::qWaitFor([&] { return !(trace = run.newestTrace()).isEmpty(); }, 20000), qPrintable(run.describe()));
    } else {
        run.startRecord({"-c", config, "--output", trace, "--quiet"});
        QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(trace); }, 20000), qPrintable(run.describe()));
    }
    const int delay = QRandomGenerator::global()->bounded(200, 3000);
    QTest::qWait(delay);   // the random moment of the kill
    QVERIFY2(process.state() == QProcess::Running, qPrintable("ended before the kill: " + run.describe()));
    ::kill(pid_t(process.processId()), SIGKILL);
    quint64 sent = 0;   // bytes, then frames
    for (const DevsimProcess::DataUnit &unit : rig.sim.dataUnits("serial"))
        sent += unit.fate == "sent" ? unit.count : 0;
    sent /= 36;
    QVERIFY(process.waitForFinished(10000) && process.exitStatus() == QProcess::CrashExit);

    const DevsimTrace t = readDevsimTrace(trace);
    const quint64 stored = t.frames.isEmpty() ? 0 : t.frames.last() + 1;
    const QString what = QString("killed after %1 ms: %2 frames sent, up to %3 in the file%4; ").arg(delay).arg(sent).arg(stored)
                             .arg(t.sameRows ? "" : " (some datasets hold a commit more)");
    QVERIFY2(t.problem.isEmpty() && stored <= sent && sent - stored <= 1500, qPrintable(what + t.problem));
    QVERIFY2(t.frames.isEmpty() || t.frames.last() - t.frames.first() + 1 == quint64(t.frames.size()), qPrintable(what));
    const QString unreadable = readableByTools(trace);
    QVERIFY2(unreadable.isEmpty(), qPrintable(what + unreadable));
}

// A small file system (a tmpfs in a private mount namespace). Room for a few seconds:
// kestrova-record warns that less than a minute fits, records until the disk is full,
// ends with exit code 8 and says how many frames the file holds; the file holds exactly
// those. Room for less than a second: it refuses to start, with code 8.
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
    // Eight 24-bit channels and four IMUs at 4000 frames/s: half a megabyte of values a second.
    QByteArray text = "timeline=10\nmaxDuration=0\nsampleRate=4000\nsampleSize=88\n";
    for (int k = 0; k < 8; ++k)
        text += "adc24\t2\t-2.4\t2.4\t1\t0\tch" + QByteArray::number(k) + "\n";
    for (int i = 0; i < 4; ++i)
        text += "imu6\t6\t500\timu" + QByteArray::number(i) + "\n";
    const QString config = rig.writeConfig("large.conf", text + "aux\t2\n");
    const QString mountPoint = rig.folder() + "/mnt", copy = rig.folder() + "/copy.h5";
    QVERIFY(QDir().mkpath(mountPoint));
    // The tmpfs exists only inside the namespace: the file is copied out before it ends.
    const QString script = QStringLiteral("mount -t tmpfs -o size=%1 tmpfs \"$1\" || exit 97\n"
                                          "out=\"$1/full.h5\"; copy=\"$2\"; shift 2\n"
                                          "\"$@\" --output \"$out\"; rc=$?\n"
                                          "cp \"$out\" \"$copy\" 2>/dev/null\n"
                                          "exit $rc\n").arg(size);
    QStringList arguments = geteuid() == 0 ? QStringList{"-m"} : QStringList{"-r", "-m"};
    arguments << "sh" << "-c" << script << "sh" << mountPoint << copy << ProgramRun::program("kestrova-record") << "-c" << config
              << "--duration" << "60";
    ProgramRun run(rig.folder() + "/home");
    run.start(QStringLiteral("unshare"), arguments);
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
    const hsize_t frames = said.captured(2).toULongLong();
    QVERIFY2(said.captured(1) == mountPoint + "/full.h5" && frames > 0 && run.output.contains(": " + QByteArray::number(frames) + " frames"),
             qPrintable(run.describe()));

    const hid_t file = H5Fopen(copy.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    QVERIFY(file >= 0);
    QCOMPARE(datasetInfo(file, "/adc/values").dims, (QVector<hsize_t>{frames, 8}));
    QCOMPARE(datasetInfo(file, "/imu6/values").dims, (QVector<hsize_t>{frames, 4, 6}));
    const QVector<qint16> aux = readInt16s(file, "/aux/values");
    H5Fclose(file);
    QCOMPARE(aux.size(), int(2 * frames));
    for (int s = 1; s < int(frames); ++s)
        QVERIFY(quint16(aux[2 * s] - aux[2 * s - 2]) == 1);
    const QString problem = readableByTools(copy);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(tst_tracefile_e2e)
#include "tst_tracefile_e2e.moc"
