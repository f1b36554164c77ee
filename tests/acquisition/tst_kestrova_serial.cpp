// Kestrova end to end over a pseudo-terminal: the real main window against devsim. What
// the controller does on its own is tested in tst_controller; here the window's part.
#include "kestrovarig.h"

#include "config/adc24tab.h"
#include "config/imu6tab.h"
#include "config/tabdialog.h"
#include "display/renderarea.h"
#include "startupoptions.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QRadioButton>
#include <QtTest>

namespace {
// Four 24-bit channels at +-2.4 V, one IMU (6 g, 500 grad/s), two AUX words: 36-byte frames.
QByteArray configText(const QByteArray &maxDuration)
{
    return KestrovaRig::configText(4, 1, 2, maxDuration);
}
}

class tst_kestrova_serial : public QObject
{
    Q_OBJECT

private slots:
    void configureRecordToTheLimitThenLive();
    void streamingGoesOnWhileABoxIsOpen();
    void rejectedConfigurationLine();
    void twoCandidatesAndBusyDevice();
    void newConfigurationFromTheDialog();
};

void tst_kestrova_serial::configureRecordToTheLimitThenLive()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("2.5"));
    QVERIFY(rig.start(DeviceRig::devsimChannels, false, "e2e.conf"));
    MainWindow &w = *rig.window;
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().connectionState(), 4, 15000);
    QVERIFY(rig.waitReady());
    QCOMPARE(w.controller().configuration().sampleSize, 36);
    QVERIFY(w.windowTitle().endsWith("cfgfile = e2e.conf"));
    QVERIFY(w.action("start")->isEnabled() && w.action("record")->isEnabled());
    QCOMPARE(w.plotArea()->graphCount(), 6);

    // Record: 2.5 s at 1000 frames/s stops by itself.
    w.action("record")->trigger();
    QVERIFY(w.controller().isRecording());
    QTRY_VERIFY_WITH_TIMEOUT(!w.controller().isSampling() && w.controller().measurementState() == 3, 20000);
    QCOMPARE(w.controller().recordedFrames(), 2500ull);
    QVERIFY(rig.answers.texts.isEmpty());

    // Live sampling feeds the display; Stop drains and comes back to ready.
    w.action("start")->trigger();
    QCOMPARE(w.controller().measurementState(), 4);
    QTRY_VERIFY_WITH_TIMEOUT(w.plotArea()->history().ringFill() > 200, 10000);
    w.action("stop")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);
    QVERIFY(!w.controller().isSampling());
    QVERIFY(w.action("start")->isEnabled() && !w.action("stop")->isEnabled());
}

// A box the acquisition raises while streaming (here: Record during the live view into a
// file that exists already) does not hold the stream up.
void tst_kestrova_serial::streamingGoesOnWhileABoxIsOpen()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("0"));
    QVERIFY(rig.start(DeviceRig::devsimChannels, false, "e2e.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady());
    w.action("start")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(w.plotArea()->history().ringFill() > 100, 10000);

    unsigned whileOpen = 0;
    rig.answers.onBox = [&](QWidget *) {
        const unsigned before = w.plotArea()->history().ringFill();
        const bool grew = QTest::qWaitFor([&] { return w.plotArea()->history().ringFill() > before + 500; }, 10000);
        whileOpen = grew ? w.plotArea()->history().ringFill() - before : 0;
        return false;
    };
    const QString taken = rig.writeConfig("taken.h5", "not a trace");
    w.controller().setTraceFileName(taken);
    w.action("record")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("exists already"), 15000);
    QVERIFY(!w.controller().isRecording());
    QVERIFY2(whileOpen > 500, qPrintable(QString("%1 rows while the box was open").arg(whileOpen)));
    QVERIFY(w.controller().isSampling());
    w.action("stop")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);
}

// A device that refuses the configuration: the window shows what it answered and stays,
// with no valid configuration; another one can be chosen.
void tst_kestrova_serial::rejectedConfigurationLine()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("0"));
    QVERIFY(rig.start(DeviceRig::devsimChannels + QStringList{"--conf-error"}, false, "e2e.conf"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("The device refused the configuration:\nerror: configuration refused"),
                             20000);
    QTest::qWait(300);
    QVERIFY(rig.window->isVisible());
    QVERIFY(!rig.window->controller().isConfigValid());
    QVERIFY(rig.window->action("open")->isEnabled() && !rig.window->action("record")->isEnabled());
}

void tst_kestrova_serial::twoCandidatesAndBusyDevice()
{
    // A second simulated device with another serial number: the user is asked which one.
    DevsimProcess second;
    QVERIFY(second.start({"--pty", "--serial", "kestr0002", "--counts", "2,0,0,0", "--busy"}));
    KestrovaRig rig;
    QVERIFY(rig.sim.start(QStringList{"--pty"} + DeviceRig::devsimChannels));
    QFile combined(rig.configFolder() + "/ports");
    QVERIFY(combined.open(QIODevice::WriteOnly));
    for (const QString &path : {rig.sim.portsFile(), second.portsFile()}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        combined.write(f.readAll());
    }
    combined.close();
    qputenv("LUMETRIX_VIRTUAL_PORTS", combined.fileName().toLocal8Bit());

    StartupOptions &o = startupOptions();
    o = StartupOptions();
    o.configDirectory = rig.configFolder();
    o.workingDirectory = rig.traceFolder();
    // The dialog offers both; choose the second, which is busy: the user is asked whether
    // to exit, and answers Retry.
    rig.answers.onDialog = [](QWidget *dialog) {
        const auto buttons = dialog->findChildren<QRadioButton *>();
        if (buttons.size() == 2)
            buttons.at(1)->setChecked(true);
        return false;
    };
    rig.window = std::make_unique<MainWindow>(nullptr, qApp);
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.dialogs.contains("devicedialog"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("Device is busy."), 10000);
    QVERIFY(rig.window->controller().connectionState() <= 1);
}

// New: the dialog offers the device's channels; the two first 24-bit channels and the
// IMU are chosen, and exactly that reaches the device.
void tst_kestrova_serial::newConfigurationFromTheDialog()
{
    KestrovaRig rig;
    QVERIFY(rig.start(DeviceRig::devsimChannels, false));
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

QTEST_MAIN(tst_kestrova_serial)
#include "tst_kestrova_serial.moc"
