// The acquisition controller on its own against devsim: no widget, no window. Its
// questions are answered through its slots, its display is a counting stand-in.
#include "acquisition/acquisitioncontroller.h"
#include "devicerig.h"
#include "devsimtrace.h"
#include "recordingdisplay.h"
#include "translations.h"

#include "link/myadw.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Event = Acquisition::Event;
Q_DECLARE_METATYPE(DeviceInfo)

namespace {

// The command lines devsim received, whichever link carried them.
QList<QByteArray> commandTexts(const DevsimProcess &sim)
{
    QList<QByteArray> texts;
    for (const QByteArray &line : sim.commandLines())
        texts << line.mid(line.lastIndexOf('\t') + 1);
    return texts;
}

Event eventAt(const QSignalSpy &spy, int i)
{
    return spy.at(i).at(0).value<Event>();
}

bool reported(const QSignalSpy &spy, Event event)
{
    for (int i = 0; i < spy.size(); ++i) {
        if (eventAt(spy, i) == event)
            return true;
    }
    return false;
}

} // namespace

class tst_controller : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordToTheLimit_data();
    void recordToTheLimit();
    void failures_data();
    void failures();
    void lostDeviceComesBack();
    void deviceQuestions();
    void germanMessages();

private:
    // Starts devsim and a controller that loads `config` once the device answers.
    AcquisitionController *connectTo(DeviceRig &rig, const QStringList &args, bool udp, const QByteArray &config);
    bool waitReady(int timeoutMs = 30000);

    std::unique_ptr<AcquisitionController> controller;
    RecordingDisplay display;
};

void tst_controller::initTestCase()
{
#ifndef DEVSIM_EXECUTABLE
    QSKIP("the device simulator is not built");
#endif
    qRegisterMetaType<QList<DeviceInfo>>();
}

AcquisitionController *tst_controller::connectTo(DeviceRig &rig, const QStringList &args, bool udp,
                                                  const QByteArray &config)
{
    controller.reset();
    display = RecordingDisplay();
    if (!config.isEmpty())
        rig.writeConfig("run.conf", config);
    if (!rig.start(args, udp, config.isEmpty() ? QString() : "run.conf"))
        return nullptr;
    controller = std::make_unique<AcquisitionController>();
    controller->setDisplay(&display);
    return controller.get();
}

bool tst_controller::waitReady(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (controller->measurementState() == 3 && controller->isConfigValid())
            return true;
        QTest::qWait(20);
    }
    return false;
}

// A recording limited to 2.5 s stops by itself with exactly 2500 frames, each holding
// what devsim sent; over WiFi with retransmission nothing is missing, without it the
// rows stay whole frames, only go forward, and the losses are counted.
void tst_controller::recordToTheLimit_data()
{
    QTest::addColumn<bool>("udp");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("complete");
    QTest::newRow("serial") << false << QStringList() << true;
    QTest::newRow("udp, losses resent") << true << QStringList{"--drop", "0.05", "--reorder", "0.05"} << true;
    QTest::newRow("udp, losses kept") << true << QStringList{"--drop", "0.05", "--no-retransmit"} << false;
}

void tst_controller::recordToTheLimit()
{
    QFETCH(bool, udp);
    QFETCH(QStringList, faults);
    QFETCH(bool, complete);
    DeviceRig rig;
    AcquisitionController *c = connectTo(rig, DeviceRig::devsimChannels + faults, udp, DeviceRig::configText(4, 1, 2, "2.5"));
    QVERIFY(c);
    QSignalSpy messages(c, &AcquisitionController::message);
    QSignalSpy closed(c, &AcquisitionController::recordingClosed);
    QVERIFY(waitReady());
    QVERIFY(c->deviceIdentification().contains("kestr0001"));
    QCOMPARE(display.graphs, 6);
    QCOMPARE(display.window, 10000u);
    QVERIFY(c->enabledActions().testFlag(ActionSet::Start) && c->enabledActions().testFlag(ActionSet::Record));
    // The configuration reached the device as one text, line by line in this order.
    const QList<QByteArray> lines = commandTexts(rig.sim);
    const int at = lines.indexOf("conf:sca:rat 1000");
    QVERIFY(at >= 0);
    QCOMPARE(lines.mid(at, 5), (QList<QByteArray>{"conf:sca:rat 1000", udp ? "conf:sca:hea 0" : "conf:sca:hea 1",
                                                  "conf:imu:para 0,6,500", "conf:sca:ove 2", "conf:dev 4,0,1,2"}));

    c->record();
    QVERIFY(c->isRecording());
    QVERIFY(c->traceFileName().startsWith(rig.traceFolder() + "/trace_"));
    QTRY_VERIFY_WITH_TIMEOUT(!c->isSampling() && c->measurementState() == 3, 30000);
    QVERIFY2(messages.isEmpty(), "the recording reported a problem");
    QCOMPARE(closed.size(), 1);
    QCOMPARE(closed.at(0).at(1).toULongLong(), 2500ull);
    QVERIFY(display.rows >= 2500);
    const QString problem = checkDevsimTrace(c->traceFileName(), 2500, complete);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(c->lostFrames() > 0, !complete);
}

// What stops a measurement, and what the controller reports and leaves behind.
void tst_controller::failures_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("record");
    QTest::addColumn<QByteArray>("provoke");     // devsim command once recording or ready
    QTest::addColumn<Event>("event");
    QTest::addColumn<int>("state");
    QTest::newRow("device refuses the configuration") << QStringList{"--conf-error"} << false << QByteArray()
                                                      << Event::ConfigurationRefused << 0;
    QTest::newRow("stream stalls") << QStringList() << true << QByteArray("stall on") << Event::StreamStopped << 0;
    QTest::newRow("IMU count changes") << QStringList() << false << QByteArray("counts 4,0,2,2")
                                       << Event::ChannelCountChanged << 0;
}

void tst_controller::failures()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, record);
    QFETCH(QByteArray, provoke);
    QFETCH(Event, event);
    QFETCH(int, state);
    DeviceRig rig;
    AcquisitionController *c = connectTo(rig, DeviceRig::devsimChannels + faults, false, DeviceRig::configText(4, 1, 2));
    QVERIFY(c);
    QSignalSpy messages(c, &AcquisitionController::message);
    if (!provoke.isEmpty()) {
        QVERIFY(waitReady());
        if (record) {
            c->record();
            QTRY_VERIFY_WITH_TIMEOUT(c->recordedFrames() > 300, 10000);
        }
        rig.sim.command(provoke);
    }
    QTRY_VERIFY_WITH_TIMEOUT(reported(messages, event), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(c->measurementState(), state, 5000);
    QVERIFY(!c->isSampling() && !c->isRecording());
    if (state == 0)
        QVERIFY(!c->enabledActions().testFlag(ActionSet::Start) && !c->enabledActions().testFlag(ActionSet::Record));
    if (record) {
        QCOMPARE(display.graphs, 0);
        const QString problem = checkDevsimTrace(c->traceFileName(), -1);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

// Unplugged while recording: the trace is closed before the loss is reported; plugged in
// again, the device is found but has to be configured anew.
void tst_controller::lostDeviceComesBack()
{
    DeviceRig rig;
    AcquisitionController *c = connectTo(rig, DeviceRig::devsimChannels, false, DeviceRig::configText(4, 1, 2));
    QVERIFY(c);
    QVERIFY(waitReady());
    c->record();
    QTRY_VERIFY_WITH_TIMEOUT(c->recordedFrames() > 300, 10000);
    const QString trace = c->traceFileName();
    int rowsAtReport = -2;
    connect(c, &AcquisitionController::message, this, [&](Event e) {
        if (e == Event::DeviceDisconnected)
            rowsAtReport = devsimTraceRows(trace);
    });
    rig.sim.command("unplug");
    QTRY_VERIFY_WITH_TIMEOUT(rowsAtReport != -2, 10000);
    QVERIFY2(rowsAtReport > 300, "the trace was not readable when the loss was reported");
    QCOMPARE(c->connectionState(), 0);
    QVERIFY(!c->isRecording() && !c->isSampling());
    QCOMPARE(display.logo, QString(":/images/edit-find-7.png"));
    QCOMPARE(c->enabledActions(), ActionSet::Actions(ActionSet::Open | ActionSet::New | ActionSet::Exit
                                                     | ActionSet::DeleteConfig | ActionSet::DeleteData));

    rig.sim.command("plug");
    QTRY_COMPARE_WITH_TIMEOUT(c->connectionState(), 4, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(c->deviceAnswered(), 10000);
    QVERIFY(!c->isConfigValid());
    const QString problem = checkDevsimTrace(trace, rowsAtReport);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

// Several candidates: the controller asks which one and waits; the chosen one is busy:
// it asks whether to give up, and after "retry" waits for that device without asking
// anything, saying "Device is busy", until it is free. A preferred serial number asks
// nothing.
void tst_controller::deviceQuestions()
{
    DeviceRig first, second;
    QVERIFY(second.sim.start({"--pty", "--serial", "kestr0002", "--busy"}));
    QVERIFY(first.start({}, false));
    // Both simulators' declarations in one file, as the programs read them.
    const QString both = first.folder() + "/both";
    auto declareBoth = [&] {
        QFile out(both + ".new");
        if (!out.open(QIODevice::WriteOnly))
            return false;
        for (const QString &path : {first.sim.portsFile(), second.sim.portsFile()}) {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                return false;
            out.write(f.readAll());
        }
        out.close();
        QFile::remove(both);
        return QFile::rename(out.fileName(), both);
    };
    QVERIFY(declareBoth());
    qputenv("LUMETRIX_VIRTUAL_PORTS", both.toLocal8Bit());

    controller = std::make_unique<AcquisitionController>();
    AcquisitionController *c = controller.get();
    QSignalSpy choice(c, &AcquisitionController::deviceChoiceQuestion);
    QSignalSpy busy(c, &AcquisitionController::busyQuestion);
    QSignalSpy status(c, &AcquisitionController::statusMessage);
    QVERIFY(choice.wait(10000));
    const auto candidates = choice.at(0).at(0).value<QList<DeviceInfo>>();
    QCOMPARE(candidates.size(), 2);
    QCOMPARE(candidates.at(1).serialNumber, QString("kestr0002"));
    // Unanswered, nothing moves on and nothing is asked again.
    QTest::qWait(600);
    QCOMPARE(choice.size(), 1);
    QVERIFY(busy.isEmpty());
    QCOMPARE(c->connectionState(), 1);

    c->chooseDevice(1);
    QVERIFY(busy.wait(5000));
    QVERIFY(busy.at(0).at(0).toString().startsWith("Device is busy."));
    c->answerBusy(false);
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty() && status.last().at(0).toString() == "Device is busy", 5000);
    QTest::qWait(1500);
    QCOMPARE(busy.size(), 1);
    QCOMPARE(choice.size(), 1);
    QVERIFY(c->connectionState() <= 1);

    second.sim.command("busy off");
    QVERIFY(second.sim.sync());
    QVERIFY(declareBoth());
    QTRY_COMPARE_WITH_TIMEOUT(c->connectionState(), 4, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(c->deviceIdentification().contains("kestr0002"), 10000);
    QCOMPARE(busy.size(), 1);
    QCOMPARE(choice.size(), 1);

    controller.reset();
    controller = std::make_unique<AcquisitionController>();
    controller->setPreferredSerial("KESTR0001");
    QSignalSpy again(controller.get(), &AcquisitionController::deviceChoiceQuestion);
    QTRY_COMPARE_WITH_TIMEOUT(controller->connectionState(), 4, 15000);
    QVERIFY(again.isEmpty());
}

// The controller's texts come in German when the German catalogue is loaded.
void tst_controller::germanMessages()
{
    QTranslator qt, mine;
    installTranslations(*qApp, LanguageChoice::German, KESTROVA_BIN_DIR, qt, mine);
    startupOptions() = StartupOptions();
    AcquisitionController c;
    QSignalSpy messages(&c, &AcquisitionController::message);
    QVERIFY(!c.checkDeviceConfigurable());
    QCOMPARE(messages.at(0).at(1).toString(), QString("Kein Gerät gefunden. Bitte prüfen Sie die Verbindungen."));
    qApp->removeTranslator(&mine);
    qApp->removeTranslator(&qt);
}

QTEST_GUILESS_MAIN(tst_controller)
#include "tst_controller.moc"
