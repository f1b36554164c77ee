// The device WiFi configuration task of the acquisition controller against devsim, over a
// pseudo-terminal and over loopback UDP. The edit is answered through the controller's
// slot; the dialog that answers it in the window is tested on its own.
#include "acquisition/acquisitioncontroller.h"
#include "devicerig.h"
#include "startupoptions.h"
#include "wifi/netcfg.h"

#include <QFile>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

using Event = Acquisition::Event;

namespace {

netCfg::EditedValues deviceValues()
{
    netCfg::EditedValues v;
    v.isAP = 0;
    v.isFixedIP = 0;
    v.apSsid = "benchAP";
    v.apPassword = "benchpass";
    v.apChannel = "3";
    v.stationName = "rig7";
    v.netSsid = "labnet";
    v.netPassword = "labpass";
    v.ipAddress = "10.0.0.9";
    v.ipGateway = "10.0.0.1";
    v.ipNetmask = "255.255.255.0";
    return v;
}

// The record as the device keeps it: it carries an access-point address, which a record
// built from edited values never does.
QByteArray deviceRecord()
{
    QByteArray record = netCfg::build(deviceValues());
    record.replace(netCfg::offsetOf(netCfg::apAddress), 11, "192.168.4.1");
    return record;
}

// The device's configuration memory as read: the record and the erased rest.
QByteArray deviceMemory()
{
    return deviceRecord() + QByteArray(512 - 425, char(0xff));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int countPolls(const DevsimProcess &sim)
{
    int polls = 0;
    for (const QByteArray &line : sim.commandLines())
        polls += line.endsWith("conf:sca:num?") ? 1 : 0;
    return polls;
}

bool wrote(const DevsimProcess &sim)
{
    for (const QByteArray &line : sim.commandLines()) {
        if (line.endsWith("mem:raw 580264"))
            return true;
    }
    return false;
}

} // namespace

class tst_wifitask : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void editIsWrittenBack_data() { linkRows(); }
    void editIsWrittenBack();
    void cancelWritesNothing_data() { linkRows(); }
    void cancelWritesNothing();
    void silentDeviceGivesUp_data() { linkRows(); }
    void silentDeviceGivesUp();
    void disconnectionAbandonsTask();

private:
    void linkRows();
    bool connectController(bool udp);
    QString configWifi() const { return rig->configFolder() + "/config.wifi"; }
    QString recordFile() const { return rig->folder() + "/record"; }

    std::unique_ptr<DeviceRig> rig;
    std::unique_ptr<QUdpSocket> wifiSink;
    std::unique_ptr<AcquisitionController> controller;
};

void tst_wifitask::initTestCase()
{
#ifndef DEVSIM_EXECUTABLE
    QSKIP("the device simulator is not built");
#endif
}

void tst_wifitask::linkRows()
{
    QTest::addColumn<bool>("udp");
    QTest::newRow("serial") << false;
    QTest::newRow("udp") << true;
}

void tst_wifitask::init()
{
    rig = std::make_unique<DeviceRig>();
    QFile record(recordFile());
    QVERIFY(record.open(QIODevice::WriteOnly));
    record.write(deviceRecord());
}

void tst_wifitask::cleanup()
{
    controller.reset();
    rig.reset();
    wifiSink.reset();
}

// A controller connected to devsim. On the serial run the UDP link, which always exists,
// points at a local socket nobody reads, never at the device network.
bool tst_wifitask::connectController(bool udp)
{
    if (!rig->start({"--record-file", recordFile()}, udp))
        return false;
    if (!udp) {
        wifiSink = std::make_unique<QUdpSocket>();
        if (!wifiSink->bind(QHostAddress(QHostAddress::LocalHost), 0))
            return false;
        qputenv("LUMETRIX_WIFI_DEVICE", "127.0.0.1:" + QByteArray::number(wifiSink->localPort()));
    }
    controller = std::make_unique<AcquisitionController>();
    return QTest::qWaitFor([this] { return controller->connectionState() == 4 && controller->deviceAnswered(); },
                           20000);
}

// The record shown is the device's; while it is being edited ticks go on but no count
// poll goes out; the edited record reaches the device and config.wifi.
void tst_wifitask::editIsWrittenBack()
{
    QFETCH(bool, udp);
    QVERIFY(connectController(udp));
    QSignalSpy question(controller.get(), &AcquisitionController::wifiRecordQuestion);
    controller->startWifiConfiguration();
    QVERIFY(question.wait(5000));
    QCOMPARE(question.at(0).at(0).toByteArray(), deviceMemory());
    QVERIFY(controller->wifiTaskRunning() && !controller->countPollOn());
    const int polls = countPolls(rig->sim);
    QTest::qWait(2500); // longer than a poll interval
    QCOMPARE(countPolls(rig->sim), polls);

    netCfg::EditedValues edited = deviceValues();
    edited.netSsid = "fieldnet";
    edited.isFixedIP = 1;
    const QByteArray expected = netCfg::build(edited);
    controller->answerWifiRecord(expected);
    QTRY_VERIFY_WITH_TIMEOUT(!controller->wifiTaskRunning(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(readFile(recordFile()), expected, 10000);
    QCOMPARE(readFile(configWifi()), expected);
    QCOMPARE(controller->wifiTaskStep(), 0);
    QVERIFY(controller->countPollOn());
    QTRY_VERIFY_WITH_TIMEOUT(countPolls(rig->sim) > polls, 10000); // the poll resumes
    QCOMPARE(question.size(), 1);
}

// Nothing to write: config.wifi keeps the memory as read, the device gets no write.
void tst_wifitask::cancelWritesNothing()
{
    QFETCH(bool, udp);
    QVERIFY(connectController(udp));
    QSignalSpy question(controller.get(), &AcquisitionController::wifiRecordQuestion);
    controller->startWifiConfiguration();
    QVERIFY(question.wait(5000));
    controller->answerWifiRecord(QByteArray());
    QTRY_VERIFY_WITH_TIMEOUT(!controller->wifiTaskRunning(), 10000);
    QCOMPARE(readFile(configWifi()), deviceMemory());
    // Every command the task sent has reached devsim by now: no memory write among them.
    QVERIFY(rig->sim.sync());
    QVERIFY(!wrote(rig->sim));
    QCOMPARE(readFile(recordFile()), deviceRecord());
    QVERIFY(controller->countPollOn());
}

void tst_wifitask::silentDeviceGivesUp()
{
    QFETCH(bool, udp);
    QVERIFY(connectController(udp));
    QSignalSpy question(controller.get(), &AcquisitionController::wifiRecordQuestion);
    QSignalSpy messages(controller.get(), &AcquisitionController::message);
    rig->sim.command("silent on");
    QVERIFY(rig->sim.sync());
    controller->startWifiConfiguration();
    QTRY_VERIFY_WITH_TIMEOUT(!controller->wifiTaskRunning(), 15000);
    QVERIFY(question.isEmpty());
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.at(0).at(0).value<Event>(), Event::WifiReadFailed);
    QCOMPARE(messages.at(0).at(1).toString(), QString("Could not get Device Config<p>Giving up Wifi Configuration"));
    QVERIFY(!QFile::exists(configWifi()));
    QCOMPARE(controller->wifiTaskStep(), 0);
    QVERIFY(controller->countPollOn());
    rig->sim.command("silent off");
}

// A device lost while the record is being edited ends the task: the late answer is
// dropped, and after re-plugging nothing of the old run reaches the new connection.
void tst_wifitask::disconnectionAbandonsTask()
{
    QVERIFY(connectController(false));
    QSignalSpy question(controller.get(), &AcquisitionController::wifiRecordQuestion);
    QSignalSpy messages(controller.get(), &AcquisitionController::message);
    controller->startWifiConfiguration();
    QVERIFY(question.wait(5000));
    // The idle serial line cannot tell the loss; the write command that follows the answer does.
    rig->sim.command("unplug");
    QVERIFY(rig->sim.sync());
    netCfg::EditedValues edited = deviceValues();
    edited.netSsid = "late";
    controller->answerWifiRecord(netCfg::build(edited));
    QTRY_VERIFY_WITH_TIMEOUT(controller->connectionState() != 4, 10000);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.at(0).at(0).value<Event>(), Event::DeviceDisconnected);
    QVERIFY(!controller->wifiTaskRunning());
    QCOMPARE(controller->wifiTaskStep(), 0);
    QVERIFY(controller->countPollOn());

    const int polls = countPolls(rig->sim);
    rig->sim.command("plug");
    QTRY_COMPARE_WITH_TIMEOUT(controller->connectionState(), 4, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(countPolls(rig->sim) > polls + 1, 10000);
    controller->answerWifiRecord(netCfg::build(edited)); // far too late: nobody asked
    QTest::qWait(500);
    QCOMPARE(question.size(), 1);
    QCOMPARE(readFile(recordFile()), deviceRecord());
    QVERIFY(!QFile::exists(configWifi()));
}

QTEST_GUILESS_MAIN(tst_wifitask)
#include "tst_wifitask.moc"
