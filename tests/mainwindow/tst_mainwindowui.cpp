// Kestrova's window as a user meets it: toolbar, boxes, settings, close handling, and
// the configuration file actions against a simulated device.
#include "kestrovarig.h"

#include "buildinfo.h"
#include "mainwindowstatus.h"
#include "config/admindialog.h"
#include "config/outfiledialog.h"
#include "display/renderarea.h"
#include "link/udp_com.h"
#include "startupoptions.h"
#include "wifi/netcfg.h"
#include "wifi/wificonfigdialog.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {
QByteArray configText(int imus, int adc24, int aux)
{
    return KestrovaRig::configText(adc24, imus, aux);
}

// Enabled state of the actions, in the order Open New Save Configuration Wifi Start Stop Record.
QString enabled(const MainWindow &w)
{
    QString s;
    for (const char *name : {"open", "new", "save", "configuration", "wifi", "start", "stop", "record"})
        s += w.action(name)->isEnabled() ? '1' : '0';
    return s;
}

// Answers the file chooser by selecting the row with the given file name.
std::function<bool(QWidget *)> chooseFile(const QString &name)
{
    return [name](QWidget *widget) {
        auto *dialog = qobject_cast<adminDialog *>(widget);
        if (!dialog)
            return false;
        auto *table = dialog->findChild<QTableView *>();
        for (int r = 0; r < table->model()->rowCount(); ++r) {
            if (table->model()->index(r, 0).data().toString() == name)
                table->selectRow(r);
        }
        return false;
    };
}

// The network name in devsim's stored network record.
QString recordSsid(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? netCfg::fromInput(file.readAll()).text(netCfg::netSsid) : QString();
}

std::function<bool(QWidget *)> saveAs(const QString &name, const QString &folder = QString())
{
    return [name, folder](QWidget *widget) {
        auto *dialog = qobject_cast<outfiledialog *>(widget);
        if (!dialog)
            return false;
        if (!folder.isEmpty())
            dialog->setFolder(folder);
        dialog->nameEdit()->setText(name);
        return false;
    };
}

// Keeps the file names a chooser lists and cancels it.
std::function<bool(QWidget *)> listFiles(QStringList &names)
{
    return [&names](QWidget *widget) {
        auto *dialog = qobject_cast<adminDialog *>(widget);
        if (!dialog)
            return false;
        names.clear();
        auto *table = dialog->findChild<QTableView *>();
        for (int r = 0; r < table->model()->rowCount(); ++r)
            names << table->model()->index(r, 0).data().toString();
        dialog->reject();
        return true;
    };
}

QString field(const MainWindow &w, const char *name)
{
    auto *label = w.findChild<QLabel *>(name);
    return label && label->isVisibleTo(const_cast<MainWindow *>(&w)) ? label->text() : QString();
}

AcquisitionStatus connected(double rate = 0)
{
    AcquisitionStatus s;
    s.device = "lumetrix,Kestrova DAQ,kestr0001,devsim 1.0";
    s.link = "USB";
    s.sampling = rate > 0;
    s.framesPerSecond = rate;
    return s;
}
}


class tst_mainwindowui : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void statusFieldTexts_data();
    void statusFieldTexts();
    void withoutDevice();
    void openChecksAgainstTheDevice();
    void deviceWithoutChannels();
    void saveAndOverwrite();
    void enablingAndClosing();
    void recordWithoutTraceFolder();
    void wifiConfigurationThroughTheDialog();
    void recordWhileViewingWithMarkers();
};

void tst_mainwindowui::statusFieldTexts_data()
{
    QTest::addColumn<AcquisitionStatus>("status");
    QTest::addColumn<QStringList>("fields");   // connection, rate, lost, recording
    QTest::addColumn<bool>("lossWarning");

    QTest::newRow("no device") << AcquisitionStatus() << QStringList{"No device", "", "", ""} << false;
    const QString device = "lumetrix,Kestrova DAQ,kestr0001,devsim 1.0 over USB";
    QTest::newRow("connected, idle") << connected() << QStringList{device, "", "", ""} << false;
    AcquisitionStatus s = connected(999.6);
    QTest::newRow("live view") << s << QStringList{device, "1000 frames/s", "0 lost", ""} << false;
    s.framesLost = 12;
    s.link = "WiFi";
    QTest::newRow("losses over WiFi") << s
        << QStringList{"lumetrix,Kestrova DAQ,kestr0001,devsim 1.0 over WiFi", "1000 frames/s", "12 lost", ""} << true;

    s = connected(1000);
    s.recording = true;
    s.elapsedSeconds = 12.34;
    s.recordedFrames = 12340;
    s.traceFile = "/data/traces/trace_2024.03.05_14-07-09.h5";
    s.traceBytes = 3'500'000;
    s.freeBytes = 2'100'000'000;
    QTest::newRow("recording") << s << QStringList{device, "1000 frames/s", "0 lost",
        "Recording 12.3 s, trace_2024.03.05_14-07-09.h5, 3.5 MB, 2.1 GB free (2:03:23 left)"} << false;
    s.elapsedSeconds = 3725;
    s.traceBytes = 1'000'000'000;
    s.freeBytes = 10'000'000;
    s.recordingFramesLost = 3;
    QTest::newRow("long recording, disk nearly full") << s << QStringList{device, "1000 frames/s", "0 lost",
        "Recording 1:02:05, trace_2024.03.05_14-07-09.h5, 1.0 GB, 3 frames lost, 10.0 MB free (less than a minute left)"}
        << false;

    AcquisitionStatus after = connected();
    after.framesLost = 3;
    after.lastRecording.valid = true;
    after.lastRecording.traceFile = "/data/traces/trace_a.h5";
    after.lastRecording.frames = 3000;
    after.lastRecording.seconds = 3.0;
    QTest::newRow("after a stop") << after << QStringList{device, "", "3 lost", "Last recording: 3.000 s, 3000 frames, trace_a.h5"}
                                  << true;
    after.framesLost = 0;
    after.lastRecording.atLimit = true;
    after.lastRecording.seconds = 61.5;
    after.lastRecording.frames = 61500;
    after.lastRecording.framesLost = 20;
    QTest::newRow("after the maximum duration") << after << QStringList{device, "", "",
        "Last recording: 61.500 s (0:01:01), 61500 frames, trace_a.h5, 20 frames lost (maximum duration reached)"} << false;
    after.lastRecording.failed = true;
    QTest::newRow("after a failure") << after << QStringList{device, "", "",
        "Last recording: 61.500 s (0:01:01), 61500 frames, trace_a.h5, 20 frames lost (stopped by a failure)"} << false;
}

// The permanent status fields say what the acquisition's status holds, in words.
void tst_mainwindowui::statusFieldTexts()
{
    QFETCH(AcquisitionStatus, status);
    QFETCH(QStringList, fields);
    QFETCH(bool, lossWarning);
    const MainWindowStatus::Fields f = MainWindowStatus::describe(status);
    QCOMPARE(QStringList({f.connection, f.rate, f.lost, f.recording}), fields);
    QCOMPARE(f.lossWarning, lossWarning);
    QCOMPARE(f.recordingNow, status.recording);
}

void tst_mainwindowui::withoutDevice()
{
    QSettings("lumetrix", "Kestrova").clear();
    QTemporaryDir dir;
    QFile empty(dir.path() + "/ports");
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    qputenv("LUMETRIX_VIRTUAL_PORTS", empty.fileName().toLocal8Bit());
    startupOptions() = StartupOptions();
    startupOptions().configDirectory = dir.path();
    ModalAnswerer answers;
    MainWindow w(nullptr, qApp);

    // Over USB the WiFi link exists but stays silent: no socket, no keep-alive.
    QVERIFY(!w.findChild<udp_com *>()->isActive());

    // No stored settings: 400 x 400 at 200, 200.
    QCOMPARE(w.size(), QSize(400, 400));
    QCOMPARE(w.pos(), QPoint(200, 200));
    QCOMPARE(MainWindow::toolbarIconSide(1280), 16);
    QCOMPARE(MainWindow::toolbarIconSide(1920), 24);
    auto *bar = w.findChild<QToolBar *>("fileToolBar");
    QCOMPARE(bar->iconSize().width(), MainWindow::toolbarIconSide(QGuiApplication::primaryScreen()->geometry().width()));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    bar->hide();
    QVERIFY(bar->isVisible()); // the toolbar cannot be hidden
    QCOMPARE(enabled(w), QString("11000000"));
    QVERIFY(!w.action("marker")->isEnabled());
    QVERIFY(bar->actions().contains(w.action("graphOptions")) && bar->actions().contains(w.action("marker")));
    QCOMPARE(field(w, "statusConnection"), QString("No device"));
    QCOMPARE(field(w, "statusRecording"), QString());
    // The delete actions sit behind one button after Save.
    auto *deleteButton = bar->findChild<QToolButton *>("deleteButton");
    QVERIFY(deleteButton && deleteButton->menu()->actions().size() == 2);
    QVERIFY(deleteButton->isEnabled() && w.action("deleteConfig")->isEnabled() && w.action("deleteData")->isEnabled());

    w.action("open")->trigger();
    QVERIFY(answers.seen("Kestrova|No Device found. Check your connections."));
    w.action("status")->trigger();
    QVERIFY(answers.seen("status|No Device connected. If you want to connect with Wifi, use the option --useWifi."));
    w.action("help")->trigger();
    QVERIFY(answers.seen(QString("Version: 1.2.0.1<br>build: ") + KESTROVA_BUILD_ID));
    QCOMPARE(QByteArray(KESTROVA_BUILD_ID).size(), 40);

    // Deleting with nothing selected asks about no file and deletes nothing. Only
    // configurations are offered, never the device's network file.
    QFile keep(dir.path() + "/keep.conf");
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();
    QFile network(dir.path() + "/config.wifi");
    QVERIFY(network.open(QIODevice::WriteOnly));
    network.close();
    QStringList listed;
    answers.onDialog = listFiles(listed);
    w.action("deleteConfig")->trigger();
    QCOMPARE(listed, QStringList{"keep.conf"});
    answers.onDialog = nullptr;
    answers.onBox = [](QWidget *box) {
        static_cast<QMessageBox *>(box)->button(QMessageBox::Yes)->click();
        return true;
    };
    w.action("deleteConfig")->trigger();
    QVERIFY(answers.seen("Delete these files?\n\n"));
    QVERIFY(!answers.seen("keep.conf"));
    QVERIFY(keep.exists());
    answers.onBox = nullptr;

    // Unchanged: closing asks nothing, and the geometry is stored.
    const int boxes = answers.texts.size();
    w.move(250, 260);
    QVERIFY(w.close());
    QCOMPARE(answers.texts.size(), boxes);
    qunsetenv("LUMETRIX_VIRTUAL_PORTS");
}

void tst_mainwindowui::openChecksAgainstTheDevice()
{
    KestrovaRig rig;
    rig.writeConfig("imus.conf", configText(3, 5, -1));   // IMUs and 24-bit both too many
    rig.writeConfig("aux2.conf", configText(1, 4, 2));
    rig.writeConfig("config.wifi", QByteArray(425, '\x12'));
    QVERIFY(rig.start({"--counts", "4,0,2,2"}, false));
    MainWindow &w = *rig.window;
    QTRY_VERIFY_WITH_TIMEOUT(w.controller().auxWordCount() == 2, 15000);

    // The device's network file (WiFi passwords) is no configuration to choose.
    QStringList listed;
    rig.answers.onDialog = listFiles(listed);
    w.action("open")->trigger();
    QCOMPARE(listed, QStringList({"aux2.conf", "imus.conf"}));

    rig.answers.onDialog = chooseFile("imus.conf");
    w.action("open")->trigger();
    QVERIFY2(rig.answers.seen("Device has not enough IMU channels"), qPrintable(rig.answers.texts.join(" / ")));
    QVERIFY(!rig.answers.seen("Adc24"));
    QVERIFY(!w.controller().isConfigValid());

    rig.answers.onDialog = chooseFile("aux2.conf");
    w.action("open")->trigger();
    QVERIFY(w.controller().isConfigValid());
    QVERIFY(w.windowTitle().endsWith("cfgfile = aux2.conf"));
    QVERIFY(rig.waitReady());
    // The plot's scales and legends carry the units of the loaded configuration.
    QCOMPARE(w.plotArea()->scaleText(0, true), QString("2.4 V"));
    QCOMPARE(w.plotArea()->legendTitle(4), QString("imu0 : Acc [g]"));
    QCOMPARE(w.plotArea()->scaleText(4, false), QString("-6 g"));

    // A configuration from a folder the user browsed to.
    QTemporaryDir elsewhere;
    QFile::copy(rig.configFolder() + "/aux2.conf", elsewhere.path() + "/other.conf");
    rig.answers.onDialog = [&elsewhere](QWidget *widget) {
        if (auto *dialog = qobject_cast<adminDialog *>(widget))
            dialog->setFolder(elsewhere.path());
        return false;
    };
    w.action("open")->trigger();
    QTRY_VERIFY(w.windowTitle().endsWith("cfgfile = other.conf"));

    // The same file against a device with no AUX words.
    rig.sim.command("counts 4,0,2,0");
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().auxWordCount(), 0, 10000);
    w.action("open")->trigger();
    QVERIFY(rig.answers.seen("Device has not enough Aux channels"));
    QVERIFY(!w.controller().isConfigValid());
}

void tst_mainwindowui::deviceWithoutChannels()
{
    KestrovaRig rig;
    QVERIFY(rig.start({"--counts", "0,0,0,0"}, false));
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->controller().connectionState(), 4, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.window->controller().deviceAnswered(), 10000);
    rig.window->action("open")->trigger();
    QVERIFY(rig.answers.seen("Device has no channels to configure. Check your connections."));
}

void tst_mainwindowui::saveAndOverwrite()
{
    KestrovaRig rig;
    rig.writeConfig("start.conf", configText(1, 4, 2));
    QVERIFY(rig.start({"--counts", "4,0,1,2"}, false, "start.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady());

    rig.answers.onDialog = saveAs("run1");
    w.action("save")->trigger();
    QFile run1(rig.configFolder() + "/run1.conf");
    QVERIFY(run1.exists());
    QCOMPARE(w.windowTitle(), QString("Kestrova:    cfgfile = run1.conf"));

    QTemporaryDir elsewhere;
    rig.answers.onDialog = saveAs("run3", elsewhere.path());
    w.action("save")->trigger();
    QVERIFY(QFile::exists(elsewhere.path() + "/run3.conf"));
    QVERIFY(!QFile::exists(rig.configFolder() + "/run3.conf"));

    rig.answers.onDialog = saveAs("sub/run2");
    w.action("save")->trigger();
    QVERIFY(!QFile::exists(rig.configFolder() + "/run2.conf"));
    QVERIFY(!QFile::exists(rig.configFolder() + "/sub/run2.conf"));

    QVERIFY(run1.open(QIODevice::WriteOnly | QIODevice::Truncate));
    run1.write("marker");
    run1.close();
    rig.answers.onDialog = saveAs("run1");
    w.action("save")->trigger(); // the overwrite question is answered No
    QVERIFY(rig.answers.seen("file exists.\n\nOverwrite it?"));
    QVERIFY(run1.open(QIODevice::ReadOnly));
    QCOMPARE(run1.readAll(), QByteArray("marker"));
    QVERIFY(w.windowTitle().endsWith(":    configuration unsaved"));
}

void tst_mainwindowui::enablingAndClosing()
{
    KestrovaRig rig;
    rig.writeConfig("e.conf", configText(1, 4, 2));
    QVERIFY(rig.start({"--counts", "4,0,1,2"}, false, "e.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady());
    QCOMPARE(enabled(w), QString("11111101")); // made valid, accepted by the device
    QVERIFY(w.action("status")->icon().cacheKey() != 0);

    w.action("start")->trigger();
    QCOMPARE(enabled(w), QString("00000011"));   // a live view can be recorded
    QVERIFY(!w.action("exit")->isEnabled());
    // Closing while sampling is refused.
    QVERIFY(!w.close());
    QVERIFY(rig.answers.seen("Device is sampling.\nPlease stop sampling first."));
    QVERIFY(w.isVisible());

    w.action("stop")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);
    QCOMPARE(enabled(w), QString("11111101"));
    QVERIFY(w.action("exit")->isEnabled());

    // The status box while connected over USB.
    w.action("status")->trigger();
    QVERIFY(rig.answers.seen("<p>Interface: USB<p>Device information String:<p>"
                             + w.controller().deviceIdentification()));

    rig.sim.command("unplug");
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("Device was disconnected"), 10000);
    QCOMPARE(enabled(w), QString("11000000"));

    // The loaded configuration is unchanged: closing asks nothing.
    const int boxes = rig.answers.texts.size();
    QVERIFY(w.close());
    QCOMPARE(rig.answers.texts.size(), boxes);
}

// A trace file that cannot be created stops Record before anything streams.
void tst_mainwindowui::recordWithoutTraceFolder()
{
    KestrovaRig rig;
    rig.writeConfig("e.conf", configText(1, 4, 2));
    QVERIFY(rig.start({"--counts", "4,0,1,2"}, false, "e.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady());
    startupOptions().workingDirectory = rig.traceFolder() + "/missing/deeper";
    w.action("record")->trigger();
    QVERIFY2(rig.answers.seen("Recording was not started."), qPrintable(rig.answers.texts.join(" / ")));
    QVERIFY(!w.controller().isRecording() && !w.controller().isSampling());
    QCOMPARE(w.controller().measurementState(), 3);
    QCOMPARE(enabled(w), QString("11111101"));
    QVERIFY(!rig.sim.commandLines().contains("serial\tinit"));
}

// The WiFi action shows the device's record in the dialog; what the user enters there
// reaches the device.
void tst_mainwindowui::wifiConfigurationThroughTheDialog()
{
    KestrovaRig rig;
    QVERIFY(rig.start({"--counts", "4,0,1,2"}, false));
    MainWindow &w = *rig.window;
    QTRY_VERIFY_WITH_TIMEOUT(w.controller().deviceAnswered(), 15000);
    const QString before = recordSsid(rig.sim.recordFile());
    QString shown;
    rig.answers.onDialog = [&](QWidget *widget) {
        if (auto *dialog = qobject_cast<wificonfigdialog *>(widget)) {
            shown = dialog->lineEdit(wificonfigdialog::rowNetSsid)->text();
            dialog->lineEdit(wificonfigdialog::rowNetSsid)->setText("fieldnet");
        }
        return false;
    };
    w.action("wifi")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.dialogs.contains("wificonfigdialog"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!w.controller().wifiTaskRunning(), 10000);
    QCOMPARE(shown, before);
    QTRY_COMPARE_WITH_TIMEOUT(recordSsid(rig.sim.recordFile()), QString("fieldnet"), 10000);
}

// A live view recorded with markers: the status fields follow, the marker is drawn where
// it was set, the trace is never offered for deletion, and the first Stop ends only the
// recording, whose summary stays until the next recording starts.
void tst_mainwindowui::recordWhileViewingWithMarkers()
{
    KestrovaRig rig;
    rig.writeConfig("e.conf", configText(1, 4, 2));
    QVERIFY(rig.start({"--counts", "4,0,1,2"}, false, "e.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady());
    QTRY_VERIFY(field(w, "statusConnection").endsWith(" over USB"));

    w.action("start")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(field(w, "statusRate").endsWith(" frames/s") && field(w, "statusRate") != "0 frames/s",
                             10000);
    QCOMPARE(field(w, "statusLost"), QString("0 lost"));
    QVERIFY(!w.action("marker")->isEnabled());

    w.action("record")->trigger();
    QVERIFY(w.controller().isRecording());
    const QString trace = w.controller().currentTraceFile();
    QVERIFY(!trace.isEmpty());
    QTRY_VERIFY(field(w, "statusRecording").contains(trace.section('/', -1)));
    QVERIFY(field(w, "statusRecording").startsWith("Recording "));
    QVERIFY(w.action("marker")->isEnabled());
    QVERIFY(!w.action("deleteData")->isEnabled() && !w.action("deleteConfig")->isEnabled());
    QVERIFY(!w.findChild<QToolButton *>("deleteButton")->isEnabled());

    // F8 with the field's text, then Return in the field with another text.
    QSignalSpy markers(&w.controller(), &AcquisitionController::markerAdded);
    auto *text = w.findChild<QLineEdit *>("markerText");
    text->setText("valve open");
    QTest::keyClick(&w, Qt::Key_F8);
    QCOMPARE(markers.count(), 1);
    QCOMPARE(markers.at(0).at(2).toString(), QString("valve open"));
    text->setText("valve closed");
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(markers.count(), 2);
    const PlotMarkers &drawn = w.plotArea()->markers();
    QCOMPARE(int(drawn.markers().size()), 2);
    QCOMPARE(drawn.markers().front().label, QString("valve open"));
    QVERIFY(drawn.markers().front().frame > 0);   // set within the live view, not at its start
    QTRY_VERIFY_WITH_TIMEOUT(!w.plotArea()->markerLabelRect(0).isEmpty(), 10000);

    // Even asked directly, the data-file chooser leaves the open trace out.
    QFile other(rig.traceFolder() + "/old.h5");
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    QStringList listed;
    rig.answers.onDialog = listFiles(listed);
    w.onButtondeleteDatafile();
    QCOMPARE(listed, QStringList{"old.h5"});
    rig.answers.onDialog = nullptr;

    w.action("stop")->trigger();   // ends the recording only
    QTRY_VERIFY_WITH_TIMEOUT(!w.controller().isRecording() && w.controller().currentTraceFile().isEmpty(), 10000);
    QVERIFY(w.controller().isSampling());
    QVERIFY(w.action("record")->isEnabled() && w.action("stop")->isEnabled());
    QVERIFY(w.action("deleteData")->isEnabled() && !w.action("marker")->isEnabled());
    const QString summary = trace.section('/', -1);
    QTRY_VERIFY_WITH_TIMEOUT(field(w, "statusRecording").endsWith(" frames, " + summary), 10000);
    QVERIFY(field(w, "statusRecording").startsWith("Last recording: "));
    QCOMPARE(int(drawn.markers().size()), 2);   // the live view goes on with its markers

    w.action("stop")->trigger();   // ends the live view
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);
    QTRY_VERIFY(field(w, "statusRate").isEmpty());
    QVERIFY(field(w, "statusRecording").endsWith(summary));
    // A new run starts without the markers of the last.
    w.action("start")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(field(w, "statusRate").endsWith(" frames/s"), 10000);
    QVERIFY(drawn.markers().empty());
    w.action("stop")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);
}

QTEST_MAIN(tst_mainwindowui)
#include "tst_mainwindowui.moc"
