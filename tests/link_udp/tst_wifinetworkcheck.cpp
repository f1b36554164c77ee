#include "acquisition/acquisitioncontroller.h"
#include "link/wifiendpoint.h"
#include "link/wifinetworkcheck.h"
#include "mainwindow.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using Finding = WifiNetworkCheck::Finding;

namespace {

// Answers the next question box with `button` once it shows; records what it saw.
struct BoxAnswer
{
    QString text;
    QString title;
    QMessageBox::StandardButtons buttons;
    QAbstractButton *defaultButton = nullptr;
    QMessageBox::StandardButton defaultStandard = QMessageBox::NoButton;
    bool seen = false;

    void arm(QMessageBox::StandardButton button)
    {
        QTimer::singleShot(50, [this, button] { poll(button); });
    }

    void poll(QMessageBox::StandardButton button)
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(50, [this, button] { poll(button); });
            return;
        }
        seen = true;
        text = box->text();
        title = box->windowTitle();
        buttons = box->standardButtons();
        defaultButton = box->defaultButton();
        defaultStandard = box->standardButton(box->defaultButton());
        box->button(button)->click();
    }
};

} // namespace

class TestWifiNetworkCheck : public QObject
{
    Q_OBJECT

private slots:
    void examinesAddressTexts();
    void networkPrefixFollowsOverride();
    void noNetworkBoxPreselectsRetry();
    void wrongAccessPointBoxHasNoDefault();
    void mainWindowCheck();
};

void TestWifiNetworkCheck::examinesAddressTexts()
{
    const QString p = "192.168.4.";
    QCOMPARE(WifiNetworkCheck::examine({"127.0.0.1", "fe80::1%wlan0", "192.168.4.7"}, p),
             Finding::DeviceNetwork);
    QCOMPARE(WifiNetworkCheck::examine({"192.168.40.2", "127.0.0.1"}, p), Finding::NoNetwork);
    QCOMPARE(WifiNetworkCheck::examine({"10.0.0.3", "fe80::1%wlan0"}, p), Finding::WifiOnElsewhere);
    QCOMPARE(WifiNetworkCheck::examine({}, p), Finding::NoNetwork);
    QCOMPARE(WifiNetworkCheck::examine({"127.0.0.1"}, "127.0.0."), Finding::DeviceNetwork);
}

void TestWifiNetworkCheck::networkPrefixFollowsOverride()
{
    qunsetenv(WifiEndpoint::OverrideVariable);
    QCOMPARE(WifiEndpoint::networkPrefix(), QString("192.168.4."));
    qputenv(WifiEndpoint::OverrideVariable, "127.0.0.1:41234");
    QCOMPARE(WifiEndpoint::networkPrefix(), QString("127.0.0."));

    QHostAddress a;
    quint16 port = 0;
    QVERIFY(WifiEndpoint::parse("[::1]:5000", a, port));
    QCOMPARE(a, QHostAddress(QHostAddress::LocalHostIPv6));
    QCOMPARE(port, quint16(5000));
    QVERIFY(!WifiEndpoint::parse("127.0.0.1", a, port));
    QVERIFY(!WifiEndpoint::parse("127.0.0.1:0", a, port));
    QVERIFY(!WifiEndpoint::parse("nohost:12", a, port));

    // A malformed override must not fall back to the device network.
    qputenv(WifiEndpoint::OverrideVariable, "garbage");
    WifiEndpoint::resolve("192.168.4.1", a, port);
    QVERIFY(a.isNull());
    qputenv(WifiEndpoint::OverrideVariable, "127.0.0.5:4321");
    WifiEndpoint::resolve("192.168.4.1", a, port);
    QCOMPARE(a, QHostAddress("127.0.0.5"));
    QCOMPARE(port, quint16(4321));
}

void TestWifiNetworkCheck::noNetworkBoxPreselectsRetry()
{
    BoxAnswer answer;
    answer.arm(QMessageBox::Retry);
    QVERIFY(!WifiNetworkCheck::askToExit(nullptr, Finding::NoNetwork));
    QVERIFY(answer.seen);
    QCOMPARE(answer.title, QString("Kestrova"));
    QVERIFY(answer.text.startsWith("Network problem!\n\nis Wifi proper connected?"));
    QVERIFY(answer.text.endsWith("repower the device\n\nExit Program?\n"));
    QCOMPARE(answer.buttons, QMessageBox::Yes | QMessageBox::Retry);
    QCOMPARE(answer.defaultStandard, QMessageBox::Retry);

    answer = BoxAnswer();
    answer.arm(QMessageBox::Yes);
    QVERIFY(WifiNetworkCheck::askToExit(nullptr, Finding::NoNetwork));
}

void TestWifiNetworkCheck::wrongAccessPointBoxHasNoDefault()
{
    BoxAnswer answer;
    answer.arm(QMessageBox::No);
    QVERIFY(!WifiNetworkCheck::askToExit(nullptr, Finding::WifiOnElsewhere));
    QCOMPARE(answer.text, QString("Network problem!\n\nWifi is on, but I did not find the device\n\n"
                                  "wrong AP connected?\nconnect to the right Access Point\n\n"));
    QCOMPARE(answer.buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(!answer.defaultButton);
}

// The window asks the controller's network question in a box; Yes closes the window.
void TestWifiNetworkCheck::mainWindowCheck()
{
    MainWindow window;
    window.show();
    BoxAnswer answer;
    answer.arm(QMessageBox::Yes);
    emit window.controller().networkQuestion(Finding::NoNetwork);
    QTRY_VERIFY(answer.seen);
    QVERIFY(answer.text.startsWith("Network problem!"));
    QTRY_VERIFY(!window.isVisible());
}

QTEST_MAIN(TestWifiNetworkCheck)
#include "tst_wifinetworkcheck.moc"
