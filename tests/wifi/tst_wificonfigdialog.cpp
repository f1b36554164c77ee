// The dialog that edits the device's network record: the mode it opens in, the fields it
// shows and enables, its input limits, and the record it gives back.
#include "wifi/netcfg.h"
#include "wifi/wificonfigdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtEndian>
#include <QtTest>

using Row = wificonfigdialog::Row;

namespace {
QByteArray recordWithMode(qint32 isAP, qint32 isFixedIP)
{
    QByteArray b = netCfg().bytes();
    qToLittleEndian<qint32>(isAP, b.data() + netCfg::isAPOffset);
    qToLittleEndian<qint32>(isFixedIP, b.data() + netCfg::isFixedIPOffset);
    return b;
}

// Enabled rows and the mode words of the record given back.
QString state(const wificonfigdialog &d)
{
    QString s;
    for (int r = 0; r < wificonfigdialog::rowCount; ++r)
        s += d.lineEdit(Row(r))->isEnabled() ? '1' : '0';
    const QByteArray b = d.getConfig();
    return s + QString(" %1%2").arg(qFromLittleEndian<qint32>(b.constData() + netCfg::isAPOffset))
                   .arg(qFromLittleEndian<qint32>(b.constData() + netCfg::isFixedIPOffset));
}
const QString apState = "111000000 10", dhcpState = "000111000 00", fixedState = "000011111 01";
} // namespace

class tst_wificonfigdialog : public QObject
{
    Q_OBJECT

private slots:
    void initialMode_data();
    void initialMode();
    void showsAndGivesBackTheRecord();
    void modeButtons();
    void inputLimits();
};

// A broken record (wrong size, no mark) opens as the defaults in AP mode, and says so.
void tst_wificonfigdialog::initialMode_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("state");
    QTest::newRow("AP") << recordWithMode(1, 0) << true << apState;
    QTest::newRow("AP wins over fixed") << recordWithMode(5, 1) << true << apState;
    QTest::newRow("DHCP") << recordWithMode(0, 0) << true << dhcpState;
    QTest::newRow("fixed") << recordWithMode(0, 1) << true << fixedState;
    QTest::newRow("512 bytes, fixed") << recordWithMode(0, 1) + QByteArray(87, char(0xff)) << true << fixedState;
    QTest::newRow("424 bytes") << recordWithMode(0, 1).left(424) << false << apState;
    QTest::newRow("erased") << QByteArray(512, char(0xff)) << false << apState;
}

void tst_wificonfigdialog::initialMode()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, valid);
    wificonfigdialog d(nullptr, input);
    QCOMPARE(d.inputValid(), valid);
    const auto labels = d.findChildren<QLabel *>();
    QCOMPARE(std::any_of(labels.cbegin(), labels.cend(), [](QLabel *l) { return l->text().contains("Input Configuration broken"); }),
             !valid);
    QTEST(state(d), "state");
    QCOMPARE(d.lineEdit(wificonfigdialog::rowApSsid)->text(), QString("lumetrix"));
}

// Every field of the record in its row; unchanged, the record comes back as read, but
// for the access-point address; a too long field gives no record at all.
void tst_wificonfigdialog::showsAndGivesBackTheRecord()
{
    netCfg::EditedValues v;
    v.isAP = 0;
    v.isFixedIP = 1;
    v.apSsid = "a1";
    v.apPassword = "a2";
    v.apChannel = "7";
    v.stationName = "s1";
    v.netSsid = "n1";
    v.netPassword = "n2";
    v.ipAddress = "10.1.2.3";
    v.ipGateway = "10.1.2.1";
    v.ipNetmask = "255.255.0.0";
    QByteArray read = netCfg::build(v);
    read.replace(netCfg::offsetOf(netCfg::apAddress), 11, "192.168.4.1");
    wificonfigdialog d(nullptr, read);
    const QStringList expected{"a1", "a2", "7", "s1", "n1", "n2", "10.1.2.3", "10.1.2.1", "255.255.0.0"};
    const QStringList labels{"AP SSID", "AP Password", "AP channel", "Station Name", "Net SSID", "Net Password",
                             "IP Address", "IP Gateway", "IP NetMask"};
    for (int r = 0; r < wificonfigdialog::rowCount; ++r) {
        QCOMPARE(d.lineEdit(Row(r))->text(), expected[r]);
        QCOMPARE(d.rowLabel(Row(r))->text(), labels[r]);
    }
    QCOMPARE(d.getConfig(), netCfg::build(v));
    d.lineEdit(wificonfigdialog::rowNetSsid)->setText(QString(32, 'n'));
    QVERIFY(d.getConfig().isEmpty());
}

// The mode buttons choose the rows that matter; a disabled field still goes into the record.
void tst_wificonfigdialog::modeButtons()
{
    wificonfigdialog d(nullptr, recordWithMode(1, 0));
    d.lineEdit(wificonfigdialog::rowStationName)->setText("hidden");
    d.fixedButton()->click();
    QCOMPARE(state(d), fixedState);
    QCOMPARE(netCfg::fromInput(d.getConfig()).text(netCfg::stationName), QString("hidden"));
    d.dhcpButton()->click();
    QCOMPARE(state(d), dhcpState);
    d.apButton()->click();
    QCOMPARE(state(d), apState);
    d.onFixedButtonClicked(false);   // the argument does not matter
    QCOMPARE(state(d), fixedState);
}

// The channel takes 0 to 11; the addresses take dotted quads of bytes.
void tst_wificonfigdialog::inputLimits()
{
    wificonfigdialog d(nullptr, recordWithMode(1, 0));
    QLineEdit *channel = d.lineEdit(wificonfigdialog::rowApChannel);
    for (const auto &typed : {qMakePair(QString("12"), QString("1")), qMakePair(QString("011"), QString("0")),
                              qMakePair(QString("11"), QString("11")), qMakePair(QString("x"), QString())}) {
        channel->clear();
        QTest::keyClicks(channel, typed.first);
        QCOMPARE(channel->text(), typed.second);
    }
    QCOMPARE(qFromLittleEndian<qint32>(d.getConfig().constData() + netCfg::apChannelOffset), 0);
    d.fixedButton()->click();
    for (Row row : {wificonfigdialog::rowIpAddress, wificonfigdialog::rowIpGateway, wificonfigdialog::rowIpNetmask}) {
        QLineEdit *edit = d.lineEdit(row);
        edit->clear();
        QTest::keyClicks(edit, "256.1.1.1");
        QVERIFY(edit->text() != "256.1.1.1");
        edit->clear();
        QTest::keyClicks(edit, "1.2.3.a");
        QCOMPARE(edit->text(), QString("1.2.3."));
        QVERIFY(!edit->hasAcceptableInput());
        edit->clear();
        QTest::keyClicks(edit, "10.20.30.255");
        QVERIFY(edit->hasAcceptableInput());
    }
}

QTEST_MAIN(tst_wificonfigdialog)
#include "tst_wificonfigdialog.moc"
