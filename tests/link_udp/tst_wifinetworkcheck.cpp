#include "acquisition/acquisitioncontroller.h"
#include "link/wifiendpoint.h"
#include "link/wifinetworkcheck.h"
#include "mainwindow.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using Finding = WifiNetworkCheck::Finding;
Q_DECLARE_METATYPE(Finding)

namespace {

// Answers the next message box with `button` once it shows, and keeps the box's text.
struct BoxAnswer
{
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool seen = false;

    explicit BoxAnswer(QMessageBox::StandardButton button) { poll(button); }
    void poll(QMessageBox::StandardButton button)
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return QTimer::singleShot(50, [this, button] { poll(button); });
        seen = true;
        text = box->windowTitle() + ": " + box->text();
        buttons = box->standardButtons();
        defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
        box->button(button)->click();
    }
};

} // namespace

class TestWifiNetworkCheck : public QObject
{
    Q_OBJECT

private slots:
    void examinesAddressTexts();
    void endpointFollowsOverride();
    void questions_data();
    void questions();
    void mainWindowAsksTheControllersQuestion();
};

void TestWifiNetworkCheck::examinesAddressTexts()
{
    const QString p = "192.168.4.";
    QCOMPARE(WifiNetworkCheck::examine({"127.0.0.1", "fe80::1%wlan0", "192.168.4.7"}, p), Finding::DeviceNetwork);
    QCOMPARE(WifiNetworkCheck::examine({"192.168.40.2", "127.0.0.1"}, p), Finding::NoNetwork);
    QCOMPARE(WifiNetworkCheck::examine({"10.0.0.3", "fe80::1%wlan0"}, p), Finding::WifiOnElsewhere);
    QCOMPARE(WifiNetworkCheck::examine({}, p), Finding::NoNetwork);
    QCOMPARE(WifiNetworkCheck::examine({"127.0.0.1"}, "127.0.0."), Finding::DeviceNetwork);
}

void TestWifiNetworkCheck::endpointFollowsOverride()
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

void TestWifiNetworkCheck::questions_data()
{
    QTest::addColumn<Finding>("finding");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("exit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    const QString noNetwork = "Kestrova: Network problem!\n\nis Wifi proper connected?";
    const int yesRetry = QMessageBox::Yes | QMessageBox::Retry;
    QTest::newRow("no network, retry") << Finding::NoNetwork << int(QMessageBox::Retry) << false << noNetwork
                                       << yesRetry << int(QMessageBox::Retry);
    QTest::newRow("no network, exit") << Finding::NoNetwork << int(QMessageBox::Yes) << true << noNetwork
                                      << yesRetry << int(QMessageBox::Retry);
    QTest::newRow("wrong access point") << Finding::WifiOnElsewhere << int(QMessageBox::No) << false
                                        << "Kestrova: Network problem!\n\nWifi is on, but I did not find the device\n\n"
                                           "wrong AP connected?\nconnect to the right Access Point\n\n"
                                        << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::NoButton);
}

void TestWifiNetworkCheck::questions()
{
    QFETCH(Finding, finding);
    QFETCH(int, answer);
    BoxAnswer box{QMessageBox::StandardButton(answer)};
    QTEST(WifiNetworkCheck::askToExit(nullptr, finding), "exit");
    QVERIFY(box.seen);
    QFETCH(QString, text);
    QVERIFY2(box.text.startsWith(text), qPrintable(box.text));
    QVERIFY(finding != Finding::NoNetwork || box.text.endsWith("repower the device\n\nExit Program?\n"));
    QTEST(int(box.buttons), "buttons");
    QTEST(int(box.defaultButton), "defaultButton");
}

// The window asks the controller's network question in a box; Yes closes the window.
void TestWifiNetworkCheck::mainWindowAsksTheControllersQuestion()
{
    MainWindow window;
    window.show();
    BoxAnswer box{QMessageBox::Yes};
    emit window.controller().networkQuestion(Finding::NoNetwork);
    QTRY_VERIFY(box.seen);
    QVERIFY(box.text.startsWith("Kestrova: Network problem!"));
    QTRY_VERIFY(!window.isVisible());
}

QTEST_MAIN(TestWifiNetworkCheck)
#include "tst_wifinetworkcheck.moc"
