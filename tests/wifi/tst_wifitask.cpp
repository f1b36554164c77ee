// End to end: the main window's WiFi configuration task against the simulated device,
// over a pseudo-terminal and over loopback UDP.
#include "devsimprocess.h"
#include "link/myadw.h"
#include "acquisition/acquisitioncontroller.h"
#include "mainwindow.h"
#include "startupoptions.h"
#include "wifi/netcfg.h"
#include "wifi/wificonfigdialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <QtEndian>
#include <QtTest>

#include <functional>
#include <memory>

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
// built by the dialog never does.
QByteArray deviceRecord()
{
    QByteArray record = netCfg::build(deviceValues());
    record.replace(netCfg::offsetOf(netCfg::apAddress), 11, "192.168.4.1");
    return record;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers whatever modal window the task opens: the configuration dialog through a
// handler, message boxes by pressing their default (or first) button.
class ModalAnswerer : public QObject
{
public:
    std::function<void(wificonfigdialog *)> onDialog;
    QStringList boxTexts;
    int dialogs = 0;

    ModalAnswerer()
    {
        connect(&poll, &QTimer::timeout, this, [this] { answer(); });
        poll.start(50);
    }

private:
    void answer()
    {
        // A handler that waits runs nested event loops; this timer must not re-enter.
        if (answering)
            return;
        answering = true;
        answerModal();
        answering = false;
    }

    void answerModal()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<wificonfigdialog *>(modal)) {
            ++dialogs;
            if (onDialog)
                onDialog(dialog);
            else
                dialog->reject();
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            boxTexts << box->text();
            QAbstractButton *button = box->defaultButton();
            if (!button && !box->buttons().isEmpty())
                button = box->buttons().first();
            if (button)
                button->click();
        }
    }

    QTimer poll;
    bool answering = false;
};

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
    bool connectWindow(bool udp);
    QString configWifi() const { return configDir->filePath("config.wifi"); }
    QString recordFile() const { return work->filePath("record"); }
    int countPolls(const QSignalSpy &spy) const;

    std::unique_ptr<QTemporaryDir> work;
    std::unique_ptr<QTemporaryDir> configDir;
    std::unique_ptr<DevsimProcess> devsim;
    std::unique_ptr<QUdpSocket> wifiSink;
    std::unique_ptr<MainWindow> window;
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
    work = std::make_unique<QTemporaryDir>();
    configDir = std::make_unique<QTemporaryDir>();
    QFile record(recordFile());
    QVERIFY(record.open(QIODevice::WriteOnly));
    record.write(deviceRecord());
    record.close();
}

void tst_wifitask::cleanup()
{
    window.reset();
    devsim.reset();
    wifiSink.reset();
    configDir.reset();
    work.reset();
}

// Starts devsim on the chosen side and a main window that finds it, and waits until the
// window is connected. The UDP link always exists: on the serial run its datagrams go to
// a local socket nobody reads, never to the device network.
bool tst_wifitask::connectWindow(bool udp)
{
    devsim = std::make_unique<DevsimProcess>();
    const QStringList side = udp ? QStringList{"--udp", "127.0.0.1:0"} : QStringList{"--pty"};
    if (!devsim->start(side + QStringList{"--record-file", recordFile()}))
        return false;
    if (udp) {
        qputenv("LUMETRIX_WIFI_DEVICE", devsim->udpEndpoint().toLocal8Bit());
    } else {
        wifiSink = std::make_unique<QUdpSocket>();
        if (!wifiSink->bind(QHostAddress(QHostAddress::LocalHost), 0))
            return false;
        qputenv("LUMETRIX_WIFI_DEVICE", "127.0.0.1:" + QByteArray::number(wifiSink->localPort()));
    }
    qputenv("LUMETRIX_VIRTUAL_PORTS", devsim->portsFile().toLocal8Bit());
    startupOptions().useWifi = udp;
    startupOptions().configDirectory = configDir->path();
    window = std::make_unique<MainWindow>();
    QDeadlineTimer deadline(20000);
    while (window->controller().connectionState() != 4 && !deadline.hasExpired())
        QTest::qWait(50);
    return window->controller().connectionState() == 4;
}

int tst_wifitask::countPolls(const QSignalSpy &spy) const
{
    int polls = 0;
    for (const QList<QVariant> &response : spy)
        polls += response.at(1).toByteArray().contains("conf:sca:num?") ? 1 : 0;
    return polls;
}

void tst_wifitask::editIsWrittenBack()
{
    QFETCH(bool, udp);
    QVERIFY(connectWindow(udp));
    QSignalSpy responses(window->controller().deviceLink(), SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    int pollsWhileDialog = -1;
    bool pollOffInDialog = false;
    bool validShown = false, dhcpShown = false;
    QString ssidShown, channelShown;
    // The handler runs inside the task's modal loop: it only records what it saw and
    // always closes the dialog, so a failing check cannot leave the test hanging.
    ModalAnswerer answerer;
    answerer.onDialog = [&](wificonfigdialog *dialog) {
        pollOffInDialog = !window->controller().countPollOn();
        pollsWhileDialog = countPolls(responses);
        validShown = dialog->inputValid();
        dhcpShown = dialog->dhcpButton()->isChecked();
        ssidShown = dialog->lineEdit(wificonfigdialog::rowNetSsid)->text();
        channelShown = dialog->lineEdit(wificonfigdialog::rowApChannel)->text();
        dialog->lineEdit(wificonfigdialog::rowNetSsid)->setText("fieldnet");
        dialog->fixedButton()->click();
        dialog->buttonBox()->button(QDialogButtonBox::Ok)->click();
    };
    window->onWifiConfig();
    QTRY_VERIFY_WITH_TIMEOUT(!window->controller().wifiTaskRunning(), 15000);
    QCOMPARE(answerer.dialogs, 1);
    QVERIFY(answerer.boxTexts.isEmpty());
    // The dialog showed the device's record: station with DHCP.
    QVERIFY(validShown);
    QVERIFY(dhcpShown);
    QCOMPARE(ssidShown, QString("labnet"));
    QCOMPARE(channelShown, QString("3"));
    QVERIFY(pollOffInDialog);
    // No count poll went out between the read and the end of the task.
    QCOMPARE(countPolls(responses), pollsWhileDialog);

    netCfg::EditedValues edited = deviceValues();
    edited.netSsid = "fieldnet";
    edited.isFixedIP = 1;
    const QByteArray expected = netCfg::build(edited);
    QCOMPARE(expected.size(), 425);
    QTRY_COMPARE_WITH_TIMEOUT(readFile(recordFile()), expected, 10000);
    QCOMPARE(readFile(configWifi()), expected);
    QCOMPARE(window->controller().wifiTaskStep(), 0);
    QVERIFY(window->controller().countPollOn());
    // The poll resumes.
    const int before = countPolls(responses);
    QTRY_VERIFY_WITH_TIMEOUT(countPolls(responses) > before, 10000);
    QCOMPARE(window->controller().connectionState(), 4);
}

void tst_wifitask::cancelWritesNothing()
{
    QFETCH(bool, udp);
    QVERIFY(connectWindow(udp));
    ModalAnswerer answerer;
    answerer.onDialog = [](wificonfigdialog *dialog) {
        dialog->lineEdit(wificonfigdialog::rowNetSsid)->setText("never");
        dialog->buttonBox()->button(QDialogButtonBox::Cancel)->click();
    };
    window->onWifiConfig();
    QTRY_VERIFY_WITH_TIMEOUT(!window->controller().wifiTaskRunning(), 15000);
    QCOMPARE(answerer.dialogs, 1);
    // config.wifi keeps the memory as read: the record and the erased rest.
    const QByteArray memory = deviceRecord() + QByteArray(512 - 425, char(0xff));
    QCOMPARE(readFile(configWifi()), memory);
    // Every command the task sent has reached devsim by now: no memory write among them.
    QVERIFY(devsim->sync());
    for (const QByteArray &line : devsim->commandLines())
        QVERIFY2(!line.endsWith("mem:raw 580264"), line.constData());
    QCOMPARE(readFile(recordFile()), deviceRecord());
    QVERIFY(window->controller().countPollOn());
}

void tst_wifitask::silentDeviceGivesUp()
{
    QFETCH(bool, udp);
    QVERIFY(connectWindow(udp));
    ModalAnswerer answerer;
    devsim->command("silent on");
    // Give devsim a moment to take the command before the read goes out.
    QTest::qWait(300);
    window->onWifiConfig();
    QTRY_VERIFY_WITH_TIMEOUT(!window->controller().wifiTaskRunning(), 15000);
    QCOMPARE(answerer.dialogs, 0);
    QVERIFY2(answerer.boxTexts.contains("Could not get Device Config<p>Giving up Wifi Configuration"),
             qPrintable(answerer.boxTexts.join(" | ")));
    QVERIFY(!QFile::exists(configWifi()));
    QCOMPARE(window->controller().wifiTaskStep(), 0);
    QVERIFY(window->controller().countPollOn());
    devsim->command("silent off");
}

// A device lost while the dialog is open ends the task: after re-plugging, nothing of the
// old run reaches the new connection and the count poll runs again.
void tst_wifitask::disconnectionAbandonsTask()
{
    QVERIFY(connectWindow(false));
    ModalAnswerer answerer;
    answerer.onDialog = [&](wificonfigdialog *dialog) {
        dialog->lineEdit(wificonfigdialog::rowNetSsid)->setText("late");
        // The idle serial line cannot tell the loss; the write command that follows Ok does.
        devsim->command("unplug");
        QTest::qWait(300);
        dialog->buttonBox()->button(QDialogButtonBox::Ok)->click();
    };
    window->onWifiConfig();
    QTRY_VERIFY_WITH_TIMEOUT(answerer.dialogs == 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(window->controller().connectionState() != 4, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(answerer.boxTexts.size() == 1, 10000);
    QVERIFY(answerer.boxTexts.first().startsWith("Device was disconnected"));
    QVERIFY(!window->controller().wifiTaskRunning());
    QCOMPARE(window->controller().wifiTaskStep(), 0);
    QVERIFY(window->controller().countPollOn());

    devsim->command("plug");
    QTRY_COMPARE_WITH_TIMEOUT(window->controller().connectionState(), 4, 20000);
    QSignalSpy responses(window->controller().deviceLink(), SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    QTRY_VERIFY_WITH_TIMEOUT(countPolls(responses) > 0, 10000);
    QCOMPARE(answerer.dialogs, 1);
    QCOMPARE(readFile(recordFile()), deviceRecord());
    QVERIFY(!QFile::exists(configWifi()));
}

QTEST_MAIN(tst_wifitask)
#include "tst_wifitask.moc"
