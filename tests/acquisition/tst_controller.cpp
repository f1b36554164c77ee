// The acquisition controller against devsim with no widget: its questions are answered
// through its slots, its display is a counting stand-in.
#include "acquisition/acquisitioncontroller.h"
#include "devicerig.h"
#include "devsimtrace.h"
#include "filebytes.h"
#include "hdf5tools.h"
#include "recordingdisplay.h"
#include "translations.h"

#include "link/myadw.h"

#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

using Event = Acquisition::Event;
using A = ActionSet;
Q_DECLARE_METATYPE(DeviceInfo)

namespace {

// How often the controller told `event`, and the text it told first.
int countOf(const QSignalSpy &spy, Event event, QString *text = nullptr)
{
    int n = 0;
    for (int i = spy.size() - 1; i >= 0; --i) {
        if (spy.at(i).at(0).value<Event>() == event && ++n && text)
            *text = spy.at(i).at(1).toString();
    }
    return n;
}

int countSent(const DevsimProcess &sim, const QByteArray &command = "conf:sca:num?")
{
    const QList<QByteArray> lines = sim.commandLines();
    return int(std::count_if(lines.cbegin(), lines.cend(), [&](const QByteArray &l) { return l.endsWith(command); }));
}

// A network record with another network name.
QByteArray withSsid(const QByteArray &record, const QByteArray &ssid)
{
    return QByteArray(record).replace(186, 32, ssid.leftJustified(32, '\0'));
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
    void recordWhileViewing();
    void refusedConfigurations_data();
    void refusedConfigurations();
    void serialFaults();
    void deviceQuestions();
    void wifiTask_data();
    void wifiTask();

private:
    // Starts devsim (devsimChannels + `faults`) and a controller that loads `config`.
    AcquisitionController *connectTo(const QStringList &faults, bool udp, const QByteArray &config = DeviceRig::configText(4, 1, 2));
    bool waitReady();
    bool on(A::Action a) const { return controller->enabledActions().testFlag(a); }

    std::unique_ptr<AcquisitionController> controller;
    std::unique_ptr<DeviceRig> rig;
    RecordingDisplay display;
    QUdpSocket wifiSink;   // where the WiFi link points on serial runs: a local socket nobody reads
};

void tst_controller::initTestCase()
{
#ifndef DEVSIM_EXECUTABLE
    QSKIP("the device simulator is not built");
#endif
    qRegisterMetaType<QList<DeviceInfo>>();
    QVERIFY(wifiSink.bind(QHostAddress(QHostAddress::LocalHost), 0));
}

AcquisitionController *tst_controller::connectTo(const QStringList &faults, bool udp, const QByteArray &config)
{
    controller.reset();
    rig = std::make_unique<DeviceRig>();
    display = RecordingDisplay();
    rig->writeConfig("run.conf", config);
    if (!rig->start(DeviceRig::devsimChannels + faults, udp, "run.conf"))
        return nullptr;
    if (!udp)
        qputenv("LUMETRIX_WIFI_DEVICE", "127.0.0.1:" + QByteArray::number(wifiSink.localPort()));
    controller = std::make_unique<AcquisitionController>();
    controller->setDisplay(&display);
    return controller.get();
}

bool tst_controller::waitReady()
{
    return QTest::qWaitFor([this] { return controller->measurementState() == 3 && controller->isConfigValid(); }, 30000);
}

// A recording limited to 1.5 s stops by itself with exactly 1500 frames as devsim sent
// them; over WiFi with retransmission nothing is missing. Without it every loss is a row
// of gaps: counted exactly when every datagram carries the same number of frames (then
// rows and lost frames add up to what devsim sent), marked as estimates when they vary.
void tst_controller::recordToTheLimit_data()
{
    QTest::addColumn<bool>("udp");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("counted");   // -1: nothing lost; 1: losses counted; 0: estimated
    QTest::newRow("serial") << false << QStringList() << -1;
    QTest::newRow("udp, losses resent") << true << QStringList{"--drop", "0.05", "--reorder", "0.05"} << -1;
    QTest::newRow("udp, losses kept") << true << QStringList{"--drop", "0.05", "--no-retransmit", "--udp-frames", "7"} << 1;
    QTest::newRow("udp, losses kept, datagrams vary") << true << QStringList{"--drop", "0.05", "--no-retransmit", "--udp-vary"} << 0;
}

void tst_controller::recordToTheLimit()
{
    QFETCH(bool, udp);
    QFETCH(QStringList, faults);
    QFETCH(int, counted);
    AcquisitionController *c = connectTo(faults, udp, DeviceRig::configText(4, 1, 2, "1.5"));
    QVERIFY(c);
    QSignalSpy messages(c, &AcquisitionController::message);
    QSignalSpy closed(c, &AcquisitionController::recordingClosed);
    QVERIFY(waitReady());
    QVERIFY(display.graphs == 6 && display.window == 10000u);
    QList<QByteArray> lines;   // the configuration reached the device line by line in this order
    for (const QByteArray &line : rig->sim.commandLines())
        lines << line.mid(line.lastIndexOf('\t') + 1);
    QCOMPARE(lines.mid(lines.indexOf("conf:sca:rat 1000"), 5), (QList<QByteArray>{"conf:sca:rat 1000", udp ? "conf:sca:hea 0" : "conf:sca:hea 1",
                                                                                "conf:imu:para 0,6,500", "conf:sca:ove 2", "conf:dev 4,0,1,2"}));

    QSignalSpy status(c, &AcquisitionController::statusMessage);
    c->record();
    const QString trace = c->currentTraceFile();
    QVERIFY(c->isRecording() && trace.startsWith(rig->traceFolder() + "/trace_"));
    QTRY_VERIFY_WITH_TIMEOUT(!c->isSampling() && c->measurementState() == 3, 30000);
    QVERIFY2(messages.isEmpty() && c->currentTraceFile().isEmpty(), "the recording reported a problem");
    QCOMPARE(closed.size(), 1);
    QCOMPARE(closed.at(0).mid(0, 2), (QList<QVariant>{trace, 1500ull}));
    // The step's own frames are counted, and the automatic stop says so.
    const QString full = QString("file: %1, 1500").arg(trace.section('/', -1));
    QVERIFY(std::any_of(status.cbegin(), status.cend(), [&](const QList<QVariant> &m) {
        return m.at(0).toString() == full || m.at(0).toString().startsWith(full + ", ");
    }));
    QVERIFY(status.last().at(0).toString().startsWith("Maximum duration reached"));
    const AcquisitionStatus::Summary summary = c->status().lastRecording;
    QVERIFY(summary.valid && summary.atLimit && !summary.failed && summary.frames == 1500 && summary.seconds == 1.5);
    QVERIFY(summary.traceFile == trace && display.rows >= 1500);

    const DevsimTrace t = readDevsimTrace(trace);
    quint64 lost = 0;
    const QString problem = t.problem.isEmpty() ? checkGaps(t, counted, &lost) : t.problem;
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(t.frames.size() == 1500 && t.markers.isEmpty());
    QVERIFY(closed.at(0).at(2).toULongLong() == lost && summary.framesLost == lost && c->lostFrames() >= lost);
    QCOMPARE(lost > 0, counted >= 0);
    if (counted != 0)
        QCOMPARE(1500 + lost, t.frames.last() + 1);
}

// What the device does wrong, what the controller reports (once, in plain words, never
// with stream bytes) and where it leaves the measurement.
void tst_controller::failures_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("record");
    QTest::addColumn<QList<QByteArray>>("provoke");   // devsim commands once recording or ready
    QTest::addColumn<Event>("event");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("stillValid");        // the configuration afterwards
    const auto one = [](const char *command) { return QList<QByteArray>{command}; };
    QList<QByteArray> endless;   // damage with no good block behind it: the stream stops
    for (int i = 0; i < 400; ++i)
        endless << "badheader";
    QTest::newRow("device refuses the configuration") << QStringList{"--conf-error"} << false << QList<QByteArray>()
        << Event::ConfigurationRefused << "The device refused the configuration:\nerror: configuration refused: conf:" << 0 << false;
    QTest::newRow("stream stalls") << QStringList() << true << one("stall on") << Event::StreamStopped
                                   << "The device stopped sending data" << 0 << true;
    QTest::newRow("serial stream damaged for good") << QStringList() << true << endless << Event::StreamDamaged
        << "could not be decoded any more: recording stopped. At least " << 3 << true;
    QTest::newRow("IMU count changes") << QStringList() << false << one("counts 4,0,2,2")
                                       << Event::ChannelCountChanged << "Number of Imu Devices changed" << 0 << false;
    QTest::newRow("more IMUs than supported") << QStringList() << false << one("countstext 4,0,5,2")
                                              << Event::ChannelCountChanged << "reports 5 IMUs; at most 4" << 0 << false;
    QTest::newRow("absurd channel counts") << QStringList() << false << one("countstext 2000000000,2000000000,0,0")
                                           << Event::ChannelCountsInvalid << "2000000000,2000000000,0,0" << 3 << true;
    QTest::newRow("negative channel counts") << QStringList() << false << one("countstext 4,-1,1,2")
                                             << Event::ChannelCountsInvalid << "4,-1,1,2" << 3 << true;
}

void tst_controller::failures()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, record);
    QFETCH(QList<QByteArray>, provoke);
    QFETCH(Event, event);
    QFETCH(QString, text);
    QFETCH(int, state);
    QFETCH(bool, stillValid);
    AcquisitionController *c = connectTo(faults, false);
    QVERIFY(c);
    QSignalSpy messages(c, &AcquisitionController::message);
    if (!provoke.isEmpty()) {
        QVERIFY(waitReady());
        if (record) {
            c->record();
            QTRY_VERIFY_WITH_TIMEOUT(c->recordedFrames() > 300, 10000);
        }
        for (const QByteArray &command : provoke)
            rig->sim.command(command);
    }
    QString told;
    QTRY_VERIFY_WITH_TIMEOUT(countOf(messages, event, &told) > 0, 20000);
    QVERIFY2(told.contains(text), qPrintable(told));
    QTRY_COMPARE_WITH_TIMEOUT(c->measurementState(), state, 5000);
    QVERIFY(!c->isSampling() && !c->isRecording() && c->isConfigValid() == stillValid);
    if (state == 0)
        QVERIFY(!on(A::Start) && !on(A::Record) && (!record || display.graphs == 0));
    if (record) {
        const QString problem = checkDevsimTrace(c->traceFileName(), -1);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(told.contains("holds " + QString::number(devsimTraceRows(c->traceFileName()))));
    }
    // Told once, also after two more channel-count polls; no message carries stream bytes.
    const int polls = countSent(rig->sim);
    if (event == Event::ChannelCountChanged || event == Event::ChannelCountsInvalid)
        QTRY_VERIFY_WITH_TIMEOUT(countSent(rig->sim) >= polls + 2, 10000);
    QCOMPARE(countOf(messages, event), 1);
    for (const QList<QVariant> &m : messages)
        QVERIFY2(!m.at(1).toString().contains('#') && !m.at(1).toString().contains("SCPI"), qPrintable(m.at(1).toString()));
    if (event == Event::ChannelCountsInvalid)
        QCOMPARE(c->adc24Count(), 4);   // the counts told before stay in use
}

// Record during a live view over lossy WiFi records from the next frame on without
// touching the view, its losses booked at the recording's own rows; its Stop ends only
// the recording, a second Stop the view. Markers land at the frame they were set, the
// actions follow every stage, and the README's Python example reads the trace: its time
// axis counts the lost frames in, and it lists the markers.
void tst_controller::recordWhileViewing()
{
    AcquisitionController *c = connectTo({"--drop", "0.05", "--no-retransmit", "--udp-frames", "7"}, true);
    QVERIFY(c);
    QSignalSpy messages(c, &AcquisitionController::message);
    QSignalSpy markers(c, &AcquisitionController::markerAdded);
    QVERIFY(waitReady());
    QVERIFY(on(A::DeleteConfig) && on(A::DeleteData) && !on(A::Marker));
    c->start();
    QVERIFY(on(A::Record) && on(A::Stop) && !on(A::Start));
    QTRY_VERIFY_WITH_TIMEOUT(display.rows > 1000, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(c->status().framesPerSecond > 800 && c->status().framesPerSecond < 1200, 5000);
    QCOMPARE(c->status().link, QString("WiFi"));
    c->addMarker("not recording");   // nothing to mark

    const int restarts = display.restarts;
    c->record();
    QVERIFY(c->isRecording() && c->isSampling());
    QCOMPARE(display.restarts, restarts);   // the view goes on
    QVERIFY(!on(A::DeleteConfig) && !on(A::DeleteData) && on(A::Marker) && on(A::Stop));
    const QString trace = c->currentTraceFile();
    QTRY_VERIFY_WITH_TIMEOUT(c->recordedFrames() > 500, 10000);
    c->addMarker("Ventil auf, 20 °C");
    c->addMarker(QString(70, QChar(0x00fc)));
    QCOMPARE(markers.size(), 2);
    const quint64 markedAt = markers.at(0).at(0).toULongLong();
    QVERIFY(markedAt >= 500 && markers.at(0).at(1).toDouble() == markedAt / 1000.0);
    QTRY_VERIFY_WITH_TIMEOUT(c->status().traceBytes > 0 && c->status().freeBytes > 0 && c->status().traceFile == trace, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!on(A::Record), 2000);   // Record blinks
    QTRY_VERIFY_WITH_TIMEOUT(on(A::Record), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(c->recordedFrames() > 1500, 10000);

    c->stop();
    QVERIFY(!c->isRecording() && c->isSampling() && c->measurementState() == 4);
    QTRY_VERIFY_WITH_TIMEOUT(c->currentTraceFile().isEmpty(), 10000);
    QVERIFY(on(A::Record) && on(A::Stop) && on(A::DeleteData) && !on(A::Marker));
    const AcquisitionStatus::Summary summary = c->status().lastRecording;
    QVERIFY(summary.valid && !summary.atLimit && !summary.failed && summary.traceFile == trace);
    const quint64 rowsBeforeViewEnds = display.rows;
    QTRY_VERIFY_WITH_TIMEOUT(display.rows > rowsBeforeViewEnds + 300, 10000);   // still viewing
    c->stop();
    QTRY_COMPARE_WITH_TIMEOUT(c->measurementState(), 3, 10000);
    QVERIFY(!c->isSampling() && messages.isEmpty());

    const DevsimTrace t = readDevsimTrace(trace);
    quint64 lost = 0;
    const QString problem = t.problem.isEmpty() ? checkGaps(t, 1, &lost, false) : t.problem;
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(quint64(t.frames.size()), summary.frames);
    QVERIFY(t.frames.first() > 1000);   // from the middle of the stream
    quint64 beforeFirstRow = 0;   // a loss right before the first recorded frame
    for (int g = 0; g + 2 < t.gaps.size(); g += 3)
        beforeFirstRow += t.gaps[g] == 0 ? t.gaps[g + 1] : 0;
    QVERIFY(lost > beforeFirstRow);
    QCOMPARE(t.frames.last() - t.frames.first() + 1, quint64(t.frames.size()) + lost - beforeFirstRow);
    QCOMPARE(t.markers.size(), 2);
    QVERIFY(t.markers.at(0).frame == markedAt && t.markers.at(0).seconds == markedAt / 1000.0);
    QCOMPARE(t.markers.at(0).text, QByteArray("Ventil auf, 20 °C"));
    QCOMPARE(t.markers.at(1).text, QString(32, QChar(0x00fc)).toUtf8());   // 140 bytes cut to 32 characters

    QFile readme(KESTROVA_SOURCE_DIR "/README.md");
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QByteArray text = readme.readAll();
    const int begin = text.indexOf("```python\n", text.indexOf("\n### Reading a trace in Python\n")) + 10;
    QVERIFY2(begin > 10, "no Python example in the README");
    QByteArray out;
    const QString failed = runPython(QString::fromUtf8(text.mid(begin, text.indexOf("\n```", begin) - begin)), {trace}, &out);
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    const QString seconds = QString::number((t.frames.size() + lost - 1) / 1000.0, 'f', 3);
    QVERIFY2(out.startsWith(QString("%1 rows, %2 s, %3 frames lost in %4 gaps\n").arg(t.frames.size()).arg(seconds)
                                .arg(lost).arg(t.gaps.size() / 3).toUtf8()), out.constData());
    for (const TraceMarker &m : t.markers) {
        const double at = (t.frames[int(m.frame)] - t.frames[0] + beforeFirstRow) / 1000.0;
        QVERIFY2(out.contains(QString("marker \"%1\" at row %2, %3 s\n").arg(QString::fromUtf8(m.text)).arg(m.frame)
                                  .arg(at, 0, 'f', 3).toUtf8()), out.constData());
    }
}

// Configurations refused before they reach a device, each with its own plain message,
// in German when the German catalogue is loaded.
void tst_controller::refusedConfigurations_data()
{
    QTest::addColumn<QByteArray>("file");       // empty: no file at all
    QTest::addColumn<Event>("event");
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing file") << QByteArray() << Event::ConfigurationInvalid << false << "configuration file not found";
    QTest::newRow("malformed file") << QByteArray("timeline=10\nsampleRate=fast\n") << Event::ConfigurationInvalid << false
                                    << "line 2";
    QTest::newRow("no channel: frames of 0 bytes") << QByteArray() << Event::ConfigurationEmpty << false << "no channel";
    QTest::newRow("no device, German") << QByteArray() << Event::NoDevice << true
                                       << "Kein Gerät gefunden. Bitte prüfen Sie die Verbindungen.";
}

void tst_controller::refusedConfigurations()
{
    QFETCH(QByteArray, file);
    QFETCH(Event, event);
    QFETCH(bool, german);
    QFETCH(QString, text);
    QTranslator qt, mine;
    installTranslations(*qApp, german ? LanguageChoice::German : LanguageChoice::English, KESTROVA_BIN_DIR, qt, mine);
    startupOptions() = StartupOptions();
    DeviceRig files;
    AcquisitionController c;
    QSignalSpy messages(&c, &AcquisitionController::message);
    const QString path = file.isEmpty() ? files.folder() + "/none.conf" : files.writeConfig("run.conf", file);
    if (event == Event::ConfigurationEmpty) {
        daqConfig empty;
        empty.sampleRate = 1000;
        QVERIFY(!c.acceptConfiguration(empty));
    } else if (event == Event::NoDevice) {
        QVERIFY(!c.checkDeviceConfigurable());
    } else {
        c.openConfiguration(path);
    }
    qApp->removeTranslator(&mine);
    qApp->removeTranslator(&qt);
    QString told;
    QVERIFY(messages.size() == 1 && countOf(messages, event, &told) == 1 && !c.isConfigValid());
    QVERIFY2(told.contains(text), qPrintable(told));
}

// One device over the serial line through several faults. Stop in the moment after the
// link saw the stream end (its data time-out, before the next step notices) comes back to
// ready. A damaged block is a gap (an estimate: a bad header hides the length) where the
// frames are missing, and the recording goes on. Unplugged while recording, the trace is
// closed before the loss is reported; plugged in again, the device must be configured
// anew. Lost while its WiFi record is edited: the task ends, the late answer is dropped,
// and after re-plugging nothing of the old run reaches the device.
void tst_controller::serialFaults()
{
    AcquisitionController *c = connectTo({}, false);
    QVERIFY(c && waitReady());
    c->start();
    QTRY_VERIFY_WITH_TIMEOUT(display.rows > 300, 10000);
    bool stopped = false;
    const auto atTimeout = connect(c->deviceLink(), &myAdw::onDataTimeout, this, [&] {
        c->stop();
        stopped = true;
    }, Qt::DirectConnection);
    rig->sim.command("stall on");
    QTRY_VERIFY_WITH_TIMEOUT(stopped, 10000);
    disconnect(atTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(c->measurementState(), 3, 5000);
    QVERIFY(!c->isSampling() && on(A::Start));
    rig->sim.command("stall off");

    QSignalSpy messages(c, &AcquisitionController::message);
    c->record();
    QTRY_VERIFY_WITH_TIMEOUT(c->recordedFrames() > 500, 10000);
    const QString damaged = c->currentTraceFile();
    rig->sim.command("badheader");
    rig->sim.command("badterminator");
    QVERIFY(rig->sim.sync());
    QTRY_VERIFY_WITH_TIMEOUT(c->status().recordingFramesLost > 0, 10000);
    const quint64 before = c->recordedFrames();
    QTRY_VERIFY_WITH_TIMEOUT(c->recordedFrames() > before + 300, 10000);
    c->stop();
    QTRY_COMPARE_WITH_TIMEOUT(c->measurementState(), 3, 10000);
    const DevsimTrace t = readDevsimTrace(damaged);
    quint64 lost = 0;
    const QString problem = t.problem.isEmpty() ? checkGaps(t, 2, &lost) : t.problem;
    QVERIFY2(problem.isEmpty() && t.frames.size() > 800 && lost > 0, qPrintable(problem));
    QVERIFY(messages.isEmpty() && !c->status().lastRecording.failed);

    c->record();
    QTRY_VERIFY_WITH_TIMEOUT(c->recordedFrames() > 300, 10000);
    const QString trace = c->currentTraceFile();
    int rowsAtReport = -2;
    connect(c, &AcquisitionController::message, this, [&](Event e) {
        if (e == Event::DeviceDisconnected)
            rowsAtReport = devsimTraceRows(trace);
    });
    rig->sim.command("unplug");
    QTRY_VERIFY_WITH_TIMEOUT(rowsAtReport != -2, 10000);
    QVERIFY2(rowsAtReport > 300, "the trace was not readable when the loss was reported");
    QVERIFY(c->connectionState() == 0 && !c->isRecording() && !c->isSampling());
    QCOMPARE(c->enabledActions(), A::Actions(A::Open | A::New | A::Exit | A::DeleteConfig | A::DeleteData));

    rig->sim.command("plug");
    QTRY_COMPARE_WITH_TIMEOUT(c->connectionState(), 4, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(c->deviceAnswered(), 10000);
    QVERIFY(!c->isConfigValid());
    const QString cut = checkDevsimTrace(trace, rowsAtReport);
    QVERIFY2(cut.isEmpty(), qPrintable(cut));

    QSignalSpy question(c, &AcquisitionController::wifiRecordQuestion);
    c->startWifiConfiguration();
    QVERIFY(question.wait(5000));
    const QByteArray record = fileBytes(rig->sim.recordFile());
    rig->sim.command("unplug");   // the idle serial line cannot tell; the write after the answer does
    QVERIFY(rig->sim.sync());
    c->answerWifiRecord(withSsid(record, "late"));
    QTRY_VERIFY_WITH_TIMEOUT(c->connectionState() != 4, 10000);
    QVERIFY(!c->wifiTaskRunning() && c->wifiTaskStep() == 0 && c->countPollOn());
    const int polls = countSent(rig->sim);
    rig->sim.command("plug");
    QTRY_COMPARE_WITH_TIMEOUT(c->connectionState(), 4, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(countSent(rig->sim) > polls + 1, 10000);
    c->answerWifiRecord(withSsid(record, "late"));   // far too late: nobody asked
    QVERIFY(!question.wait(500));
    QVERIFY(fileBytes(rig->sim.recordFile()) == record && !QFile::exists(rig->configFolder() + "/config.wifi"));
    QVERIFY(countOf(messages, Event::DeviceDisconnected) == 2 && messages.size() == 2);
}

// Two candidates: the controller asks which one and waits; the chosen one is busy: it
// asks whether to give up, and after "retry" waits for it without asking anything, saying
// "Device is busy", until it is free. A preferred serial number asks nothing.
void tst_controller::deviceQuestions()
{
    DeviceRig first, second;
    QVERIFY(second.sim.start({"--pty", "--serial", "kestr0002", "--busy"}));
    QVERIFY(first.start({}, false));
    const QString both = first.folder() + "/both";
    QVERIFY(DevsimProcess::declareTogether(both, {&first.sim, &second.sim}));
    qputenv("LUMETRIX_VIRTUAL_PORTS", both.toLocal8Bit());

    controller = std::make_unique<AcquisitionController>();
    AcquisitionController *c = controller.get();
    QSignalSpy choice(c, &AcquisitionController::deviceChoiceQuestion);
    QSignalSpy busy(c, &AcquisitionController::busyQuestion);
    QSignalSpy status(c, &AcquisitionController::statusMessage);
    QVERIFY(choice.wait(10000));
    const auto candidates = choice.at(0).at(0).value<QList<DeviceInfo>>();
    QVERIFY(candidates.size() == 2 && candidates.at(1).serialNumber == "kestr0002");
    QVERIFY(!choice.wait(600));   // unanswered, nothing moves on and nothing is asked again
    QVERIFY(busy.isEmpty() && c->connectionState() == 1);

    c->chooseDevice(1);
    QVERIFY(busy.wait(5000));
    QVERIFY(busy.at(0).at(0).toString().startsWith("Device is busy."));
    c->answerBusy(false);
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty() && status.last().at(0).toString() == "Device is busy", 5000);
    QVERIFY(!busy.wait(1500));
    QVERIFY(choice.size() == 1 && c->connectionState() <= 1);

    second.sim.command("busy off");
    QVERIFY(second.sim.sync());
    QVERIFY(DevsimProcess::declareTogether(both, {&first.sim, &second.sim}));
    QTRY_COMPARE_WITH_TIMEOUT(c->connectionState(), 4, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(c->deviceIdentification().contains("kestr0002"), 10000);
    QVERIFY(busy.size() == 1 && choice.size() == 1);

    controller = std::make_unique<AcquisitionController>();
    controller->setPreferredSerial("KESTR0001");
    QSignalSpy again(controller.get(), &AcquisitionController::deviceChoiceQuestion);
    QTRY_COMPARE_WITH_TIMEOUT(controller->connectionState(), 4, 15000);
    QVERIFY(again.isEmpty());
}

void tst_controller::wifiTask_data()
{
    QTest::addColumn<bool>("udp");
    QTest::newRow("serial") << false;
    QTest::newRow("udp") << true;
}

// The device's WiFi record through the controller's task. Cancelled: config.wifi keeps
// the memory as read, the device gets no write. Edited: no count poll goes out while the
// record is edited, then the edit reaches the device and config.wifi and the polls
// resume. A silent device: the task gives up and says so.
void tst_controller::wifiTask()
{
    QFETCH(bool, udp);
    AcquisitionController *c = connectTo({}, udp);
    QVERIFY(c && waitReady());
    const QByteArray record = fileBytes(rig->sim.recordFile()), memory = record + QByteArray(512 - 425, char(0xff));
    const QString configWifi = rig->configFolder() + "/config.wifi";
    QSignalSpy question(c, &AcquisitionController::wifiRecordQuestion);
    QSignalSpy messages(c, &AcquisitionController::message);
    c->startWifiConfiguration();
    QVERIFY(question.wait(5000));
    QCOMPARE(question.at(0).at(0).toByteArray(), memory);
    c->answerWifiRecord(QByteArray());
    QTRY_VERIFY_WITH_TIMEOUT(!c->wifiTaskRunning(), 10000);
    QVERIFY(rig->sim.sync());   // every command the task sent has reached devsim
    QVERIFY(fileBytes(configWifi) == memory && countSent(rig->sim, "mem:raw 580264") == 0 && c->countPollOn());
    QCOMPARE(fileBytes(rig->sim.recordFile()), record);

    c->startWifiConfiguration();
    QVERIFY(question.wait(5000));
    QVERIFY(c->wifiTaskRunning() && !c->countPollOn());
    const int polls = countSent(rig->sim);
    QTest::qWait(udp ? 0 : 2500);   // longer than a poll interval (once is enough)
    QCOMPARE(countSent(rig->sim), polls);
    const QByteArray edited = withSsid(record, "fieldnet");
    c->answerWifiRecord(edited);
    QTRY_VERIFY_WITH_TIMEOUT(!c->wifiTaskRunning() && fileBytes(rig->sim.recordFile()) == edited, 10000);
    QVERIFY(fileBytes(configWifi) == edited && c->wifiTaskStep() == 0 && c->countPollOn());
    QTRY_VERIFY_WITH_TIMEOUT(countSent(rig->sim) > polls, 10000);

    QFile::remove(configWifi);
    rig->sim.command("silent on");
    QVERIFY(rig->sim.sync());
    c->startWifiConfiguration();
    QTRY_VERIFY_WITH_TIMEOUT(!c->wifiTaskRunning(), 15000);
    QVERIFY(question.size() == 2 && !QFile::exists(configWifi) && c->wifiTaskStep() == 0 && c->countPollOn());
    QString told;
    QCOMPARE(countOf(messages, Event::WifiReadFailed, &told), 1);
    QCOMPARE(told, QString("Could not get Device Config<p>Giving up Wifi Configuration"));
}

QTEST_GUILESS_MAIN(tst_controller)
#include "tst_controller.moc"
