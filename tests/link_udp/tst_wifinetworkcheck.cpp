#include "acquisition/acquisitioncontroller.h"
#include "link/wifiendpoint.h"
#include "link/wifinetworkcheck.h"
#include "mainwindow.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using Finding = WifiNetworkCheck::Finding;
Q_DECLARE_METATYPE(Finding)

class TestWifiNetworkCheck : public QObject
{
    Q_OBJECT

private slots:
    void examinesAddressesAndEndpoints()
    {
        const QString p = "192.168.4.";
        QCOMPARE(WifiNetworkCheck::examine({"127.0.0.1", "fe80::1%wlan0", "192.168.4.7"}, p), Finding::DeviceNetwork);
        QCOMPARE(WifiNetworkCheck::examine({"192.168.40.2", "127.0.0.1"}, p), Finding::NoNetwork);
        QCOMPARE(WifiNetworkCheck::examine({"10.0.0.3", "fe80::1%wlan0"}, p), Finding::WifiOnElsewhere);
        QCOMPARE(WifiNetworkCheck::examine({}, p), Finding::NoNetwork);
        qunsetenv(WifiEndpoint::OverrideVariable);
        QCOMPARE(WifiEndpoint::networkPrefix(), QString("192.168.4."));
        qputenv(WifiEndpoint::OverrideVariable, "127.0.0.1:41234");
        QCOMPARE(WifiEndpoint::networkPrefix(), QString("127.0.0."));
        QHostAddress a;
        quint16 port = 0;
        QVERIFY(WifiEndpoint::parse("[::1]:5000", a, port) && a == QHostAddress::LocalHostIPv6 && port == 5000);
        QVERIFY(!WifiEndpoint::parse("127.0.0.1", a, port) && !WifiEndpoint::parse("127.0.0.1:0", a, port));
        QVERIFY(!WifiEndpoint::parse("nohost:12", a, port));
        // A malformed override must not fall back to the device network.
        qputenv(WifiEndpoint::OverrideVariable, "garbage");
        WifiEndpoint::resolve("192.168.4.1", a, port);
        QVERIFY(a.isNull());
        qputenv(WifiEndpoint::OverrideVariable, "127.0.0.5:4321");
        WifiEndpoint::resolve("192.168.4.1", a, port);
        QVERIFY(a == QHostAddress("127.0.0.5") && port == 4321);
    }

    // The window asks the controller's network question; Retry is the default where the
    // network is missing, and only Yes closes the window.
    void windowAsksTheQuestion_data()
    {
        QTest::addColumn<Finding>("finding");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("defaultButton");
        QTest::newRow("no network, retry") << Finding::NoNetwork << int(QMessageBox::Retry) << int(QMessageBox::Retry);
        QTest::newRow("wrong access point") << Finding::WifiOnElsewhere << int(QMessageBox::No) << int(QMessageBox::NoButton);
        QTest::newRow("no network, exit") << Finding::NoNetwork << int(QMessageBox::Yes) << int(QMessageBox::Retry);
    }

    void windowAsksTheQuestion()
    {
        QFETCH(Finding, finding);
        QFETCH(int, answer);
        MainWindow window;
        window.show();
        QString text;
        int defaultButton = -1;
        std::function<void()> poll = [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return QTimer::singleShot(50, poll);
            text = box->text();
            defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
            box->button(QMessageBox::StandardButton(answer))->click();
        };
        QTimer::singleShot(50, poll);
        emit window.controller().networkQuestion(finding);
        QTRY_VERIFY(text.startsWith("Network problem!\n\n"));
        QTEST(defaultButton, "defaultButton");
        QTRY_COMPARE(window.isVisible(), answer != QMessageBox::Yes);
    }
};

QTEST_MAIN(TestWifiNetworkCheck)
#include "tst_wifinetworkcheck.moc"
