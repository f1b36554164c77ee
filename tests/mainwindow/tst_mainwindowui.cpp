// Kestrova's window as a user meets it: toolbar, boxes, settings, close handling, and
// the configuration file actions against a simulated device.
#include "kestrovarig.h"

#include "buildinfo.h"
#include "config/admindialog.h"
#include "config/outfiledialog.h"
#include "display/renderarea.h"
#include "link/udp_com.h"
#include "startupoptions.h"
#include "wifi/netcfg.h"
#include "wifi/wificonfigdialog.h"

#include <QAction>
#include <QFile>
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

std::function<bool(QWidget *)> saveAs(const QString &name)
{
    return [name](QWidget *widget) {
        if (auto *dialog = qobject_cast<outfiledialog *>(widget))
            dialog->nameEdit()->setText(name);
        return false;
    };
}
}

class tst_mainwindowui : public QObject
{
    Q_OBJECT

private slots:
    void withoutDevice();
    void openChecksAgainstTheDevice();
    void deviceWithoutChannels();
    void saveAndOverwrite();
    void enablingAndClosing();
    void recordWithoutTraceFolder();
    void wifiConfigurationThroughTheDialog();
};

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
    // The delete actions sit behind one button after Save.
    auto *deleteButton = bar->findChild<QToolButton *>("deleteButton");
    QVERIFY(deleteButton && deleteButton->menu()->actions().size() == 2);

    w.action("open")->trigger();
    QVERIFY(answers.seen("Kestrova|No Device found. Check your connections."));
    w.action("status")->trigger();
    QVERIFY(answers.seen("status|No Device connected. If you want to connect with Wifi, use the option --useWifi."));
    w.action("help")->trigger();
    QVERIFY(answers.seen(QString("Version: 1.2.0.1<br>build: ") + KESTROVA_BUILD_ID));
    QCOMPARE(QByteArray(KESTROVA_BUILD_ID).size(), 40);

    // Deleting with nothing selected asks about no file and deletes nothing.
    QFile keep(dir.path() + "/keep.conf");
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();
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

    rig.answers.onDialog = chooseFile("config.wifi");
    w.action("open")->trigger();
    QVERIFY(rig.answers.seen("configuration file invalid."));
    QVERIFY(!w.controller().isConfigValid());

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
    QCOMPARE(enabled(w), QString("00000011")); // the live view can be recorded
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
    QVERIFY(rig.answers.seen("Recording was not started."));
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

QTEST_MAIN(tst_mainwindowui)
#include "tst_mainwindowui.moc"
