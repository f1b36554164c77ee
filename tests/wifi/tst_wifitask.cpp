// The acquisition controller's WiFi configuration task against devsim, over a
// pseudo-terminal and over loopback UDP; the edit is answered through the controller's slot.
#include "acquisition/acquisitioncontroller.h"
#include "devicerig.h"
#include "wifi/netcfg.h"

#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

using Event = Acquisition::Event;

namespace {
// The record as the device keeps it, with an access-point address; an edited one.
const QByteArray deviceRecord = netCfg().bytes();
QByteArray editedRecord(const QByteArray &ssid)
{
    return QByteArray(deviceRecord).replace(netCfg::offsetOf(netCfg::netSsid), 32, ssid.leftJustified(32, '\0'));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int countOf(const DevsimProcess &sim, const QByteArray &command)
{
    const QList<QByteArray> lines = sim.commandLines();
    return int(std::count_if(lines.cbegin(), lines.cend(), [&](const QByteArray &l) { return l.endsWith(command); }));
}
} // namespace

class tst_wifitask : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cancelThenEdit_data() { linkRows(); }
    void cancelThenEdit();
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

void tst_wifitask::cleanup()
{
    controller.reset();
    rig.reset();
    wifiSink.reset();
}

// A controller connected to devsim holding deviceRecord. On the serial run the UDP
// link, which always exists, points at a local socket nobody reads.
bool tst_wifitask::connectController(bool udp)
{
    rig = std::make_unique<DeviceRig>();
    QFile record(recordFile());
    if (!record.open(QIODevice::WriteOnly) || record.write(deviceRecord) != 425)
        return false;
    record.close();
    if (!rig->start({"--record-file", recordFile()}, udp))
        return false;
    if (!udp) {
        wifiSink = std::make_unique<QUdpSocket>();
        if (!wifiSink->bind(QHostAddress(QHostAddress::LocalHost), 0))
            return false;
        qputenv("LUMETRIX_WIFI_DEVICE", "127.0.0.1:" + QByteArray::number(wifiSink->localPort()));
    }
    controller = std::make_unique<AcquisitionController>();
    return QTest::qWaitFor([this] { return controller->connectionState() == 4 && controller->deviceAnswered(); }, 20000);
}

// The device's memory is shown. Cancelled: config.wifi keeps the memory as read, the
// device gets no write. Edited: while the record is edited no count poll goes out, then
// the edited record reaches the device and config.wifi, and the polls resume.
void tst_wifitask::cancelThenEdit()
{
    QFETCH(bool, udp);
    QVERIFY(connectController(udp));
    QSignalSpy question(controller.get(), &AcquisitionController::wifiRecordQuestion);
    const QByteArray memory = deviceRecord + QByteArray(512 - 425, char(0xff));
    controller->startWifiConfiguration();
    QVERIFY(question.wait(5000));
    QCOMPARE(question.at(0).at(0).toByteArray(), memory);
    controller->answerWifiRecord(QByteArray());
    QTRY_VERIFY_WITH_TIMEOUT(!controller->wifiTaskRunning(), 10000);
    QCOMPARE(readFile(configWifi()), memory);
    QVERIFY(rig->sim.sync());   // every command the task sent has reached devsim
    QCOMPARE(countOf(rig->sim, "mem:raw 580264"), 0);
    QCOMPARE(readFile(recordFile()), deviceRecord);
    QVERIFY(controller->countPollOn());

    controller->startWifiConfiguration();
    QVERIFY(question.wait(5000));
    QVERIFY(controller->wifiTaskRunning() && !controller->countPollOn());
    const int polls = countOf(rig->sim, "conf:sca:num?");
    QTest::qWait(2500);   // longer than a poll interval
    QCOMPARE(countOf(rig->sim, "conf:sca:num?"), polls);
    const QByteArray expected = editedRecord("fieldnet");
    controller->answerWifiRecord(expected);
    QTRY_VERIFY_WITH_TIMEOUT(!controller->wifiTaskRunning(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(readFile(recordFile()), expected, 10000);
    QCOMPARE(readFile(configWifi()), expected);
    QCOMPARE(controller->wifiTaskStep(), 0);
    QVERIFY(controller->countPollOn());
    QTRY_VERIFY_WITH_TIMEOUT(countOf(rig->sim, "conf:sca:num?") > polls, 10000);
    QCOMPARE(question.size(), 2);
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
}

// A device lost while the record is edited ends the task: the late answer is dropped,
// and after re-plugging nothing of the old run reaches the new connection.
void tst_wifitask::disconnectionAbandonsTask()
{
    QVERIFY(connectController(false));
    QSignalSpy question(controller.get(), &AcquisitionController::wifiRecordQuestion);
    QSignalSpy messages(controller.get(), &AcquisitionController::message);
    controller->startWifiConfiguration();
    QVERIFY(question.wait(5000));
    // The idle serial line cannot tell the loss; the write command after the answer does.
    rig->sim.command("unplug");
    QVERIFY(rig->sim.sync());
    controller->answerWifiRecord(editedRecord("late"));
    QTRY_VERIFY_WITH_TIMEOUT(controller->connectionState() != 4, 10000);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.at(0).at(0).value<Event>(), Event::DeviceDisconnected);
    QVERIFY(!controller->wifiTaskRunning() && controller->countPollOn());
    QCOMPARE(controller->wifiTaskStep(), 0);

    const int polls = countOf(rig->sim, "conf:sca:num?");
    rig->sim.command("plug");
    QTRY_COMPARE_WITH_TIMEOUT(controller->connectionState(), 4, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(countOf(rig->sim, "conf:sca:num?") > polls + 1, 10000);
    controller->answerWifiRecord(editedRecord("late"));   // far too late: nobody asked
    QVERIFY(!question.wait(500));
    QCOMPARE(question.size(), 1);
    QCOMPARE(readFile(recordFile()), deviceRecord);
    QVERIFY(!QFile::exists(configWifi()));
}

QTEST_GUILESS_MAIN(tst_wifitask)
#include "tst_wifitask.moc"
