// Kestrova end to end over a pseudo-terminal: the real main window against devsim.
#include "kestrovarig.h"

#include "../recording/h5reader.h"
#include "config/adc24tab.h"
#include "config/imu6tab.h"
#include "config/tabdialog.h"
#include "display/renderarea.h"
#include "link/myadw.h"

#include <QAction>
#include <QCheckBox>
#include <QRadioButton>
#include "startupoptions.h"
#include <QFile>
#include <QtTest>

#include <cmath>

namespace {
// Four 24-bit channels at +-2.4 V, one IMU (6 g, 500 grad/s), two AUX words: 36-byte frames.
QByteArray configText(const QByteArray &maxDuration)
{
    return KestrovaRig::configText(4, 1, 2, maxDuration);
}

const QStringList counts = {"--counts", "4,0,1,2", "--seed", "7"};

// devsim's signals, from the simulator's documented formulas: 24-bit channel k is a
// half-scale sine of 0.5(k+1) Hz with a seeded phase; the AUX words count frames.
double splitMix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    x = x ^ (x >> 31);
    return 2.0 * M_PI * double(x >> 11) / double(1ULL << 53);
}
double expectedVolts(int k, quint64 frame)
{
    const double phase = splitMix(7ULL * 1000003ULL + quint64(k));
    const double word = std::lround(std::sin(2.0 * M_PI * 0.5 * (k + 1) * double(frame) / 1000.0 + phase)
                                    * 1073741824.0);
    return word * 4.8 / 4294967296.0;
}
}

class tst_kestrova_serial : public QObject
{
    Q_OBJECT

private slots:
    void configureRecordToTheLimitThenLive();
    void unplugWhileRecordingClosesTheFileFirst();
    void unexpectedStreamStop();
    void rejectedConfigurationLine();
    void twoCandidatesAndBusyDevice();
    void newConfigurationFromTheDialog();
    void changedImuCountInvalidates();
};

void tst_kestrova_serial::configureRecordToTheLimitThenLive()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("2.5"));
    QVERIFY(rig.start(counts, false, "e2e.conf"));
    MainWindow &w = *rig.window;
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().connectionState(), 4, 15000);
    QVERIFY(rig.waitReady());
    QCOMPARE(w.controller().configuration().sampleSize, 36);
    QVERIFY(w.windowTitle().endsWith("cfgfile = e2e.conf"));
    QVERIFY(w.controller().deviceIdentification().contains("kestr0001"));
    QVERIFY(w.action("start")->isEnabled() && w.action("record")->isEnabled());
    // The configuration reached the device as one text, line by line in this order.
    const QList<QByteArray> lines = rig.sim.commandLines();
    const int at = lines.indexOf("serial\tconf:sca:rat 1000");
    QVERIFY(at >= 0);
    QCOMPARE(lines.mid(at, 5), (QList<QByteArray>{"serial\tconf:sca:rat 1000", "serial\tconf:sca:hea 1",
                                                  "serial\tconf:imu:para 0,6,500", "serial\tconf:sca:ove 2",
                                                  "serial\tconf:dev 4,0,1,2"}));

    // Record: 2.5 s at 1000 frames/s stops by itself after exactly 2500 frames.
    w.action("record")->trigger();
    QVERIFY(w.controller().isRecording());
    const QString trace = w.controller().traceFileName();
    QVERIFY(trace.startsWith(rig.traceFolder() + "/trace_"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.controller().isSampling() && w.controller().measurementState() == 3, 20000);
    QVERIFY(rig.answers.texts.isEmpty());

    hid_t file = H5Fopen(trace.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    QVERIFY(file >= 0);
    const QVector<hsize_t> dims = datasetInfo(file, "/adc/values").dims;
    QVERIFY2(dims == (QVector<hsize_t>{2500, 4}), qPrintable(QString("rows %1").arg(dims.value(0))));
    QCOMPARE(datasetInfo(file, "/imu6/values").dims, (QVector<hsize_t>{2500, 1, 6}));
    QCOMPARE(datasetInfo(file, "/aux/values").dims, (QVector<hsize_t>{2500, 2}));
    const QVector<float> adc = readFloats(file, "/adc/values");
    const QVector<float> imu = readFloats(file, "/imu6/values");
    const QVector<qint16> aux = readInt16s(file, "/aux/values");
    H5Fclose(file);

    // Every frame, in order: the AUX counter runs on by one per row.
    const quint16 first = quint16(aux[0]);
    const double lsb = 4.8 / 16777216.0;
    for (int s = 0; s < 2500; ++s) {
        QCOMPARE(quint16(aux[2 * s]), quint16(first + s));
        QCOMPARE(quint16(aux[2 * s + 1]), quint16(first + s + 1));
        for (int k = 0; k < 4; ++k) {
            const double expected = expectedVolts(k, quint64(first) + quint64(s));
            QVERIFY2(std::abs(adc[4 * s + k] - expected) <= lsb,
                     qPrintable(QString("frame %1 channel %2: %3 vs %4").arg(s).arg(k).arg(adc[4 * s + k]).arg(expected)));
        }
    }
    // The IMU rests tilted 10 degrees about x and turns at 5 degrees/s about its own up axis.
    const double tilt = 10.0 * M_PI / 180.0;
    const double accLsb = 6.0 / 32768.0, gyroLsb = 500.0 / 32768.0;
    QVERIFY(std::abs(imu[1] - std::sin(tilt)) <= accLsb && std::abs(imu[2] - std::cos(tilt)) <= accLsb);
    QVERIFY(std::abs(imu[4] - 5 * std::sin(tilt)) <= gyroLsb && std::abs(imu[5] - 5 * std::cos(tilt)) <= gyroLsb);

    // Live sampling feeds the display; Stop drains and comes back to ready.
    w.action("start")->trigger();
    QCOMPARE(w.controller().measurementState(), 4);
    QTRY_VERIFY_WITH_TIMEOUT(w.plotArea()->history().ringFill() > 200, 10000);
    w.action("stop")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);
    QVERIFY(!w.controller().isSampling());
    QVERIFY(w.action("start")->isEnabled() && !w.action("stop")->isEnabled());
}

void tst_kestrova_serial::unplugWhileRecordingClosesTheFileFirst()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("0"));
    QVERIFY(rig.start(counts, false, "e2e.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady());
    w.action("record")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(w.controller().recordedFrames() > 300, 10000);
    const QString trace = w.controller().traceFileName();

    bool fileReadableAtBox = false;
    rig.answers.onBox = [&](QWidget *) {
        hid_t f = H5Fopen(trace.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
        fileReadableAtBox = f >= 0;
        if (f >= 0)
            H5Fclose(f);
        return false;
    };
    rig.sim.command("unplug");
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("Device was disconnected\nor is busy"), 10000);
    QVERIFY(fileReadableAtBox);
    QVERIFY(!w.controller().isRecording() && !w.controller().isSampling());

    rig.sim.command("plug");
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().connectionState(), 4, 15000);
    // The configuration is made valid again from the menu, not by itself.
    QVERIFY(!w.controller().isConfigValid());
}

void tst_kestrova_serial::unexpectedStreamStop()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("0"));
    QVERIFY(rig.start(counts, false, "e2e.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady());
    w.action("start")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(w.plotArea()->history().ringFill() > 100, 10000);
    rig.sim.command("stall on");
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("internal error 2."), 10000);
    QCOMPARE(w.controller().measurementState(), 0);
    QVERIFY(!w.controller().isSampling());
    QCOMPARE(w.plotArea()->graphCount(), 0);
}

void tst_kestrova_serial::rejectedConfigurationLine()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("0"));
    QVERIFY(rig.start(counts + QStringList{"--conf-error"}, false, "e2e.conf"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("Internal error\nprogram is closed now"), 20000);
    QCOMPARE(rig.window->controller().measurementState(), 6);
}

void tst_kestrova_serial::twoCandidatesAndBusyDevice()
{
    // A second simulated device with another serial number: the user is asked which one.
    DevsimProcess second;
    QVERIFY(second.start({"--pty", "--serial", "kestr0002", "--counts", "2,0,0,0"}));
    KestrovaRig rig;
    QVERIFY(rig.sim.start(QStringList{"--pty"} + counts));
    QFile combined(rig.configFolder() + "/ports");
    QVERIFY(combined.open(QIODevice::WriteOnly));
    for (const QString &path : {rig.sim.portsFile(), second.portsFile()}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        combined.write(f.readAll());
    }
    combined.close();
    rig.sim.stop(); // the rig starts its own devsim below; only the second one is needed
    qputenv("LUMETRIX_VIRTUAL_PORTS", combined.fileName().toLocal8Bit());
    // Mark the second device busy: the user is asked whether to exit, and answers Retry.
    QFile rewrite(combined.fileName());
    QVERIFY(rewrite.open(QIODevice::ReadOnly));
    QByteArray text = rewrite.readAll();
    rewrite.close();
    QVERIFY(text.contains("kestr0002"));
    const int at = text.indexOf('\n', text.indexOf("kestr0002"));
    text[at - 1] = '1';
    QVERIFY(rewrite.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rewrite.write(text);
    rewrite.close();

    StartupOptions &o = startupOptions();
    o = StartupOptions();
    o.configDirectory = rig.configFolder();
    o.workingDirectory = rig.traceFolder();
    // The dialog offers both; choose the second, which is busy.
    rig.answers.onDialog = [](QWidget *dialog) {
        const auto buttons = dialog->findChildren<QRadioButton *>();
        if (buttons.size() == 2)
            buttons.at(1)->setChecked(true);
        return false;
    };
    rig.window = std::make_unique<MainWindow>(nullptr, qApp);
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.dialogs.contains("devicedialog"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("Device is busy."), 10000);
    QVERIFY(rig.window->isVisible() || true);
    QVERIFY(rig.window->controller().connectionState() <= 1);
}

// New: the dialog offers the device's channels; the two first 24-bit channels and the
// IMU are chosen, and exactly that reaches the device.
void tst_kestrova_serial::newConfigurationFromTheDialog()
{
    KestrovaRig rig;
    QVERIFY(rig.start(counts, false));
    MainWindow &w = *rig.window;
    QTRY_VERIFY_WITH_TIMEOUT(w.controller().auxWordCount() == 2, 15000);
    rig.answers.onDialog = [](QWidget *widget) {
        auto *dialog = qobject_cast<tabdialog *>(widget);
        if (!dialog)
            return false;
        dialog->adc24()->checkBox(1)->click();
        dialog->imu6()->checkBox(0)->click();
        return false;
    };
    w.action("new")->trigger();
    QVERIFY(rig.answers.dialogs.contains("tabdialog"));
    QVERIFY(rig.waitReady());
    QCOMPARE(w.controller().configuration().adc24.size(), 2);
    QCOMPARE(w.controller().configuration().imu6.size(), 1);
    QVERIFY(w.windowTitle().contains("unsaved configuration"));
    QVERIFY(rig.sim.commandLines().contains("serial\tconf:dev 2,0,1,0"));
    w.action("start")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(w.plotArea()->history().ringFill() > 100, 10000);
    QCOMPARE(w.plotArea()->graphCount(), 3); // two channels and the IMU; AUX was not chosen
    w.action("stop")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);
}

// A device that reports another IMU count: the user is told and the configuration
// no longer counts as valid.
void tst_kestrova_serial::changedImuCountInvalidates()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("0"));
    QVERIFY(rig.start(counts, false, "e2e.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady());
    QVERIFY(!rig.answers.seen("Number of Imu Devices changed"));
    rig.sim.command("counts 4,0,2,2");
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("Number of Imu Devices changed"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 0, 5000);
    QVERIFY(!w.controller().isConfigValid());
    QCOMPARE(w.controller().imuCount(), 2);
    QVERIFY(!w.action("start")->isEnabled() && !w.action("record")->isEnabled());
}

QTEST_MAIN(tst_kestrova_serial)
#include "tst_kestrova_serial.moc"
