// Kestrova's window as a user meets it against devsim: toolbar, boxes, dialogs, status
// fields, files and the enabling of the actions. What the controller does on its own is
// tested in tst_controller; here the window's part.
#include "acquisition/acquisitioncontroller.h"
#include "buildinfo.h"
#include "devicerig.h"
#include "mainwindow.h"
#include "mainwindowstatus.h"
#include "config/adc24tab.h"
#include "config/admindialog.h"
#include "config/imu6tab.h"
#include "config/outfiledialog.h"
#include "config/tabdialog.h"
#include "display/renderarea.h"
#include "link/udp_com.h"
#include "startupoptions.h"
#include "wifi/netcfg.h"
#include "wifi/wificonfigdialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {
// Answers every modal box and dialog the window opens in its own event loop and keeps
// their texts. A box gets its most cautious button (Retry, No, Discard, Cancel, Ok, Yes)
// and a dialog is accepted, unless `onBox` or `onDialog` answered it (returned true).
class ModalAnswerer : public QObject
{
    Q_OBJECT
public:
    ModalAnswerer()
    {
        timer.callOnTimeout(this, &ModalAnswerer::poll);
        timer.start(20);
    }
    bool seen(const QString &part) const { return !texts.filter(part).isEmpty(); }

    QStringList texts;     // "title|text" of every box
    QStringList dialogs;   // class names of the other dialogs
    std::function<bool(QWidget *)> onBox, onDialog;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal); box && box->isVisible()) {
            texts << box->windowTitle() + "|" + box->text();
            if (onBox && onBox(box))
                return;
            for (auto b : {QMessageBox::Retry, QMessageBox::No, QMessageBox::Discard, QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Yes})
                if (QAbstractButton *button = box->button(b))
                    return button->click();
            box->reject();
        } else if (auto *dialog = qobject_cast<QDialog *>(modal); dialog && dialog->isVisible()) {
            dialogs << dialog->metaObject()->className();
            if (!onDialog || !onDialog(dialog))
                dialog->accept();
        }
    }
    QTimer timer;
};

// One Kestrova main window connected to one devsim, its boxes and dialogs answered.
struct KestrovaRig : DeviceRig
{
    ~KestrovaRig() { window.reset(); }
    bool start(const QStringList &devsimArgs, bool overUdp, const QString &configFile = QString())
    {
        if (!DeviceRig::start(devsimArgs, overUdp, configFile))
            return false;
        window = std::make_unique<MainWindow>(nullptr, qApp);
        window->show();
        return true;
    }
    bool waitReady()
    {
        return QTest::qWaitFor([this] { return window->controller().measurementState() == 3 && window->controller().isConfigValid(); }, 20000);
    }

    ModalAnswerer answers;
    std::unique_ptr<MainWindow> window;
};

// Enabled state of Open New Save Configuration Wifi Start Stop Record.
QString enabled(const MainWindow &w)
{
    QString s;
    for (const char *name : {"open", "new", "save", "configuration", "wifi", "start", "stop", "record"})
        s += w.action(name)->isEnabled() ? '1' : '0';
    return s;
}

// Answers a file chooser: lists its names into `names` (and cancels), or selects `name`,
// or browses to `folder`.
std::function<bool(QWidget *)> chooser(QStringList *names, const QString &name = QString(), const QString &folder = QString())
{
    return [=](QWidget *widget) {
        auto *dialog = qobject_cast<adminDialog *>(widget);
        if (!dialog)
            return false;
        if (!folder.isEmpty())
            dialog->setFolder(folder);
        auto *table = dialog->findChild<QTableView *>();
        if (names)
            names->clear();
        for (int r = 0; r < table->model()->rowCount(); ++r) {
            const QString shown = table->model()->index(r, 0).data().toString();
            if (names)
                *names << shown;
            if (shown == name)
                table->selectRow(r);
        }
        if (names)
            dialog->reject();
        return names != nullptr;
    };
}

std::function<bool(QWidget *)> saveAs(const QString &name, const QString &folder = QString())
{
    return [name, folder](QWidget *widget) {
        if (auto *dialog = qobject_cast<outfiledialog *>(widget)) {
            if (!folder.isEmpty())
                dialog->setFolder(folder);
            dialog->nameEdit()->setText(name);
        }
        return false;
    };
}

QString recordSsid(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? netCfg::fromInput(file.readAll()).text(netCfg::netSsid) : QString();
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
    void configuredDevice();
    void rejectedConfiguration();
};

void tst_mainwindowui::statusFieldTexts_data()
{
    QTest::addColumn<AcquisitionStatus>("status");
    QTest::addColumn<QStringList>("fields");   // connection, rate, lost, recording
    QTest::addColumn<bool>("lossWarning");
    QTest::newRow("no device") << AcquisitionStatus() << QStringList{"No device", "", "", ""} << false;
    const QString device = "lumetrix,Kestrova DAQ,kestr0001,devsim 1.0 over USB";
    AcquisitionStatus s = connected(999.6);
    QTest::newRow("live view") << s << QStringList{device, "1000 frames/s", "0 lost", ""} << false;
    s.framesLost = 12;
    s.link = "WiFi";
    QTest::newRow("losses over WiFi")
        << s << QStringList{"lumetrix,Kestrova DAQ,kestr0001,devsim 1.0 over WiFi", "1000 frames/s", "12 lost", ""} << true;
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
        "Recording 1:02:05, trace_2024.03.05_14-07-09.h5, 1.0 GB, 3 frames lost, 10.0 MB free (less than a minute left)"} << false;
    AcquisitionStatus after = connected();
    after.framesLost = 3;
    after.lastRecording = {true, "/data/traces/trace_a.h5", 3000, 3.0};
    QTest::newRow("after a stop") << after << QStringList{device, "", "3 lost", "Last recording: 3.000 s, 3000 frames, trace_a.h5"} << true;
    after.framesLost = 0;
    after.lastRecording = {true, "/data/traces/trace_a.h5", 61500, 61.5, 20, true};
    QTest::newRow("after the maximum duration") << after << QStringList{device, "", "",
        "Last recording: 61.500 s (0:01:01), 61500 frames, trace_a.h5, 20 frames lost (maximum duration reached)"} << false;
}

void tst_mainwindowui::statusFieldTexts()
{
    QFETCH(AcquisitionStatus, status);
    const MainWindowStatus::Fields f = MainWindowStatus::describe(status);
    QTEST(QStringList({f.connection, f.rate, f.lost, f.recording}), "fields");
    QTEST(f.lossWarning, "lossWarning");
    QCOMPARE(f.recordingNow, status.recording);
}

void tst_mainwindowui::withoutDevice()
{
    QSettings("lumetrix", "Kestrova").clear();
    QTemporaryDir dir;
    QVERIFY(QFile(dir.path() + "/ports").open(QIODevice::WriteOnly));
    qputenv("LUMETRIX_VIRTUAL_PORTS", QFile::encodeName(dir.path() + "/ports"));
    startupOptions() = StartupOptions();
    startupOptions().configDirectory = dir.path();
    ModalAnswerer answers;
    MainWindow w(nullptr, qApp);
    QVERIFY(!w.findChild<udp_com *>()->isActive());   // over USB the WiFi link stays silent
    QCOMPARE(w.geometry(), QRect(200, 200, 400, 400));   // no stored settings
    auto *bar = w.findChild<QToolBar *>("fileToolBar");
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    bar->hide();
    QVERIFY(bar->isVisible());   // the toolbar cannot be hidden
    QCOMPARE(enabled(w), QString("11000000"));
    QVERIFY(!w.action("marker")->isEnabled());
    QVERIFY(bar->actions().contains(w.action("graphOptions")) && bar->actions().contains(w.action("marker")));
    QCOMPARE(field(w, "statusConnection"), QString("No device"));
    auto *deleteButton = bar->findChild<QToolButton *>("deleteButton");   // both delete actions behind it
    QVERIFY(deleteButton && deleteButton->menu()->actions().size() == 2 && deleteButton->isEnabled());
    QVERIFY(w.action("deleteConfig")->isEnabled() && w.action("deleteData")->isEnabled());

    w.action("open")->trigger();
    QVERIFY(answers.seen("Kestrova|No Device found. Check your connections."));
    w.action("status")->trigger();
    QVERIFY(answers.seen("status|No Device connected. If you want to connect with Wifi, use the option --useWifi."));
    w.action("help")->trigger();
    QVERIFY(answers.seen(QString("Version: 1.2.0.1<br>build: ") + KESTROVA_BUILD_ID));

    // Delete offers configurations only, never the network file; with nothing selected
    // it asks about no file and deletes nothing.
    QFile keep(dir.path() + "/keep.conf");
    QVERIFY(keep.open(QIODevice::WriteOnly) && QFile(dir.path() + "/config.wifi").open(QIODevice::WriteOnly));
    keep.close();
    QStringList listed;
    answers.onDialog = chooser(&listed);
    w.action("deleteConfig")->trigger();
    QCOMPARE(listed, QStringList{"keep.conf"});
    answers.onDialog = nullptr;
    answers.onBox = [](QWidget *box) {
        static_cast<QMessageBox *>(box)->button(QMessageBox::Yes)->click();
        return true;
    };
    w.action("deleteConfig")->trigger();
    QVERIFY(answers.seen("Delete these files?\n\n") && !answers.seen("keep.conf"));
    QVERIFY(keep.exists());
    answers.onBox = nullptr;

    const int boxes = answers.texts.size();   // unchanged: closing asks nothing
    QVERIFY(w.close());
    QCOMPARE(answers.texts.size(), boxes);
    qunsetenv("LUMETRIX_VIRTUAL_PORTS");
}

// Open checks the file against the device's channels and shows its units; the network
// file is never offered; New configures what the dialog chose; a device with no
// channels has nothing to configure.
void tst_mainwindowui::openChecksAgainstTheDevice()
{
    KestrovaRig rig;
    rig.writeConfig("imus.conf", KestrovaRig::configText(5, 3, -1));   // IMUs and 24-bit both too many
    rig.writeConfig("aux2.conf", KestrovaRig::configText(4, 1, 2));
    rig.writeConfig("config.wifi", QByteArray(425, '\x12'));
    QVERIFY(rig.start({"--counts", "4,0,2,2"}, false));
    MainWindow &w = *rig.window;
    QTRY_VERIFY_WITH_TIMEOUT(w.controller().auxWordCount() == 2, 15000);
    QStringList listed;
    rig.answers.onDialog = chooser(&listed);
    w.action("open")->trigger();
    QCOMPARE(listed, QStringList({"aux2.conf", "imus.conf"}));

    rig.answers.onDialog = chooser(nullptr, "imus.conf");
    w.action("open")->trigger();
    QVERIFY2(rig.answers.seen("Device has not enough IMU channels"), qPrintable(rig.answers.texts.join(" / ")));
    QVERIFY(!rig.answers.seen("Adc24") && !w.controller().isConfigValid());

    rig.answers.onDialog = chooser(nullptr, "aux2.conf");
    w.action("open")->trigger();
    QVERIFY(w.windowTitle().endsWith("cfgfile = aux2.conf"));
    QVERIFY(rig.waitReady());
    QCOMPARE(w.plotArea()->scaleText(0, true), QString("2.4 V"));
    QCOMPARE(w.plotArea()->legendTitle(4), QString("imu0 : Acc [g]"));
    QCOMPARE(w.plotArea()->scaleText(4, false), QString("-6 g"));

    QTemporaryDir elsewhere;   // a folder the user browsed to
    QFile::copy(rig.configFolder() + "/aux2.conf", elsewhere.path() + "/other.conf");
    rig.answers.onDialog = chooser(nullptr, "other.conf", elsewhere.path());
    w.action("open")->trigger();
    QTRY_VERIFY(w.windowTitle().endsWith("cfgfile = other.conf"));

    // New: the dialog offers the device's channels; two 24-bit channels and one IMU are
    // chosen, and exactly that reaches the device and the plot.
    rig.answers.onDialog = [](QWidget *widget) {
        if (auto *dialog = qobject_cast<tabdialog *>(widget)) {
            dialog->adc24()->checkBox(1)->click();
            dialog->imu6()->checkBox(0)->click();
        }
        return false;
    };
    w.action("new")->trigger();
    QVERIFY(rig.answers.dialogs.contains("tabdialog") && rig.waitReady());
    QVERIFY(w.controller().configuration().adc24.size() == 2 && w.controller().configuration().imu6.size() == 1);
    QVERIFY(w.windowTitle().contains("unsaved configuration") && rig.sim.commandLines().contains("serial\tconf:dev 2,0,1,0"));
    w.action("start")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(w.plotArea()->history().ringFill() > 100, 10000);
    QCOMPARE(w.plotArea()->graphCount(), 3);   // two channels and the IMU; AUX was not chosen
    w.action("stop")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);
    rig.sim.command("counts 4,0,2,0");
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().auxWordCount(), 0, 10000);
    w.action("open")->trigger();
    QVERIFY(rig.answers.seen("Device has not enough Aux channels") && !w.controller().isConfigValid());
    rig.sim.command("counts 0,0,0,0");
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().adc24Count(), 0, 10000);
    w.action("open")->trigger();
    QVERIFY(rig.answers.seen("Device has no channels to configure. Check your connections."));
}

// One configured device through a working session: Record into a folder that does not
// exist, Save, the WiFi dialog, a live view (closing refused, a box that does not hold
// the stream up), recording it with markers, and the device unplugged.
void tst_mainwindowui::configuredDevice()
{
    KestrovaRig rig;
    rig.writeConfig("e.conf", KestrovaRig::configText(4, 1, 2));
    QVERIFY(rig.start(DeviceRig::devsimChannels, false, "e.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady());
    QCOMPARE(enabled(w), QString("11111101"));
    QVERIFY(w.windowTitle().endsWith("cfgfile = e.conf"));
    QCOMPARE(w.plotArea()->graphCount(), 6);
    QTRY_VERIFY(field(w, "statusConnection").endsWith(" over USB"));

    // A trace file that cannot be created stops Record before anything streams.
    startupOptions().workingDirectory = rig.traceFolder() + "/missing/deeper";
    w.action("record")->trigger();
    QVERIFY2(rig.answers.seen("Recording was not started."), qPrintable(rig.answers.texts.join(" / ")));
    QVERIFY(!w.controller().isSampling() && !rig.sim.commandLines().contains("serial\tinit"));
    QCOMPARE(enabled(w), QString("11111101"));
    startupOptions().workingDirectory = rig.traceFolder();

    // Save: into the configurations folder or another one, never into a sub-folder named
    // in the file name; overwriting is asked (and answered No).
    rig.answers.onDialog = saveAs("run1");
    w.action("save")->trigger();
    QCOMPARE(w.windowTitle(), QString("Kestrova:    cfgfile = run1.conf"));
    QTemporaryDir elsewhere;
    rig.answers.onDialog = saveAs("run3", elsewhere.path());
    w.action("save")->trigger();
    QVERIFY(QFile::exists(elsewhere.path() + "/run3.conf") && !QFile::exists(rig.configFolder() + "/run3.conf"));
    rig.answers.onDialog = saveAs("sub/run2");
    w.action("save")->trigger();
    QVERIFY(!QFile::exists(rig.configFolder() + "/run2.conf") && !QFile::exists(rig.configFolder() + "/sub/run2.conf"));
    QFile run1(rig.configFolder() + "/run1.conf");
    QVERIFY(run1.open(QIODevice::WriteOnly | QIODevice::Truncate) && run1.write("marker") == 6);
    run1.close();
    rig.answers.onDialog = saveAs("run1");
    w.action("save")->trigger();
    QVERIFY(rig.answers.seen("file exists.\n\nOverwrite it?") && run1.open(QIODevice::ReadOnly));
    QCOMPARE(run1.readAll(), QByteArray("marker"));
    QVERIFY(w.windowTitle().endsWith(":    configuration unsaved"));

    // The WiFi dialog shows the device's record; what the user enters reaches the device.
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
    QTRY_VERIFY_WITH_TIMEOUT(!w.controller().wifiTaskRunning() && recordSsid(rig.sim.recordFile()) == "fieldnet", 10000);
    QCOMPARE(shown, before);
    rig.answers.onDialog = nullptr;

    w.action("start")->trigger();
    QCOMPARE(enabled(w), QString("00000011"));   // a live view can be recorded
    QVERIFY(!w.action("exit")->isEnabled() && !w.action("marker")->isEnabled() && !w.close());
    QVERIFY(rig.answers.seen("Device is sampling.\nPlease stop sampling first.") && w.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(field(w, "statusRate").endsWith(" frames/s") && field(w, "statusRate") != "0 frames/s", 10000);
    QCOMPARE(field(w, "statusLost"), QString("0 lost"));

    // A box raised while streaming (Record into a file that exists) does not hold the stream up.
    RenderArea &plot = *w.plotArea();
    bool grew = false;
    rig.answers.onBox = [&](QWidget *) {
        const unsigned at = plot.history().ringFill();
        grew = QTest::qWaitFor([&] { return plot.history().ringFill() > at + 500; }, 10000);
        return false;
    };
    w.controller().setTraceFileName(rig.writeConfig("taken.h5", "not a trace"));
    w.action("record")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("exists already"), 15000);
    QVERIFY(grew && !w.controller().isRecording() && w.controller().isSampling());
    rig.answers.onBox = nullptr;
    w.controller().setTraceFileName(QString());

    // Recording the live view: status fields, markers (F8, Return in the marker field),
    // the open trace never offered for deletion; the first Stop ends only the recording,
    // whose summary stays.
    w.action("record")->trigger();
    const QString trace = w.controller().currentTraceFile().section('/', -1);
    QTRY_VERIFY(field(w, "statusRecording").startsWith("Recording ") && field(w, "statusRecording").contains(trace));
    QVERIFY(w.action("marker")->isEnabled() && !w.findChild<QToolButton *>("deleteButton")->isEnabled());
    QSignalSpy markers(&w.controller(), &AcquisitionController::markerAdded);
    auto *text = w.findChild<QLineEdit *>("markerText");
    text->setText("valve open");
    w.activateWindow();   // the boxes before took the focus
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F8);
    text->setText("valve closed");
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(markers.count(), 2);
    QCOMPARE(markers.at(0).at(2).toString(), QString("valve open"));
    const PlotMarkers &drawn = plot.markers();
    QCOMPARE(int(drawn.markers().size()), 2);
    QCOMPARE(drawn.markers().front().label, QString("valve open"));
    QVERIFY(drawn.markers().front().frame > 0);   // set within the live view, not at its start
    QTRY_VERIFY_WITH_TIMEOUT(!plot.markerLabelRect(0).isEmpty(), 10000);
    QVERIFY(QFile(rig.traceFolder() + "/old.h5").open(QIODevice::WriteOnly));
    QStringList listed;
    rig.answers.onDialog = chooser(&listed);
    w.onButtondeleteDatafile();   // even asked directly
    QCOMPARE(listed, QStringList{"old.h5"});
    w.action("stop")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(field(w, "statusRecording").startsWith("Last recording: ")
                                 && field(w, "statusRecording").endsWith(" frames, " + trace), 10000);
    QVERIFY(w.controller().isSampling() && w.action("deleteData")->isEnabled() && !w.action("marker")->isEnabled());
    QCOMPARE(int(drawn.markers().size()), 2);   // the live view goes on with its markers
    w.action("stop")->trigger();
    QTRY_VERIFY(field(w, "statusRate").isEmpty());
    QVERIFY(field(w, "statusRecording").endsWith(trace) && w.action("exit")->isEnabled());
    QCOMPARE(enabled(w), QString("11111101"));
    w.action("start")->trigger();   // a new run starts without the markers of the last
    QTRY_VERIFY(drawn.markers().empty());
    w.action("stop")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);

    rig.sim.command("unplug");
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("Device was disconnected"), 10000);
    QCOMPARE(enabled(w), QString("11000000"));
    const int boxes = rig.answers.texts.size();   // the configuration is unchanged: closing asks nothing
    QVERIFY(w.close());
    QCOMPARE(rig.answers.texts.size(), boxes);
}

// A device that refuses the configuration: the window shows its answer and stays, with
// no valid configuration; another one can be chosen.
void tst_mainwindowui::rejectedConfiguration()
{
    KestrovaRig rig;
    rig.writeConfig("e.conf", KestrovaRig::configText(4, 1, 2));
    QVERIFY(rig.start(DeviceRig::devsimChannels + QStringList{"--conf-error"}, false, "e.conf"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.answers.seen("The device refused the configuration:\nerror: configuration refused"), 20000);
    QVERIFY(rig.window->isVisible() && !rig.window->controller().isConfigValid());
    QVERIFY(rig.window->action("open")->isEnabled() && !rig.window->action("record")->isEnabled());
}

QTEST_MAIN(tst_mainwindowui)
#include "tst_mainwindowui.moc"
