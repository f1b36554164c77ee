#include "wifi/netcfg.h"
#include "wifi/wificonfigdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

QList<Row> enabledRows(const wificonfigdialog &d)
{
    QList<Row> rows;
    for (int r = 0; r < wificonfigdialog::rowCount; ++r)
        if (d.lineEdit(Row(r))->isEnabled())
            rows << Row(r);
    return rows;
}

bool hasBrokenLabel(const wificonfigdialog &d)
{
    for (const QLabel *label : d.findChildren<QLabel *>())
        if (label->text().contains("Input Configuration broken"))
            return true;
    return false;
}

const QList<Row> apRows{wificonfigdialog::rowApSsid, wificonfigdialog::rowApPassword, wificonfigdialog::rowApChannel};
const QList<Row> dhcpRows{wificonfigdialog::rowStationName, wificonfigdialog::rowNetSsid,
                          wificonfigdialog::rowNetPassword};
const QList<Row> fixedRows{wificonfigdialog::rowNetSsid, wificonfigdialog::rowNetPassword,
                           wificonfigdialog::rowIpAddress, wificonfigdialog::rowIpGateway,
                           wificonfigdialog::rowIpNetmask};

} // namespace

class tst_wificonfigdialog : public QObject
{
    Q_OBJECT

private slots:
    void initialMode_data();
    void initialMode();
    void showsRecordFields();
    void radioButtonsSetModeAndEnabling();
    void channelValidator();
    void addressValidator();
    void fixedIpWritesDisabledStationName();
    void tooLongFieldGivesEmptyConfig();
    void buttons();
};

void tst_wificonfigdialog::initialMode_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("checked");   // 0 AP, 1 DHCP, 2 fixed
    QTest::newRow("AP") << recordWithMode(1, 0) << true << 0;
    QTest::newRow("AP wins over fixed") << recordWithMode(5, 1) << true << 0;
    QTest::newRow("DHCP") << recordWithMode(0, 0) << true << 1;
    QTest::newRow("fixed") << recordWithMode(0, 1) << true << 2;
    QTest::newRow("512 bytes, fixed") << recordWithMode(0, 1) + QByteArray(87, char(0xff)) << true << 2;
    QTest::newRow("424 bytes") << recordWithMode(0, 1).left(424) << false << 0;
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("erased") << QByteArray(512, char(0xff)) << false << 0;
}

void tst_wificonfigdialog::initialMode()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, valid);
    QFETCH(int, checked);
    wificonfigdialog d(nullptr, input);
    QCOMPARE(d.windowTitle(), QString("Kestrova"));
    QCOMPARE(d.inputValid(), valid);
    QCOMPARE(hasBrokenLabel(d), !valid);
    QCOMPARE(d.apButton()->isChecked(), checked == 0);
    QCOMPARE(d.dhcpButton()->isChecked(), checked == 1);
    QCOMPARE(d.fixedButton()->isChecked(), checked == 2);
    QCOMPARE(enabledRows(d), checked == 0 ? apRows : checked == 1 ? dhcpRows : fixedRows);
    QCOMPARE(d.apMode(), checked == 0 ? 1 : 0);
    QCOMPARE(d.fixedIpMode(), checked == 2 ? 1 : 0);
    if (!valid)
        QCOMPARE(d.lineEdit(wificonfigdialog::rowApSsid)->text(), QString("lumetrix"));
}

void tst_wificonfigdialog::showsRecordFields()
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
    wificonfigdialog d(nullptr, netCfg::build(v));
    const QStringList expected{"a1", "a2", "7", "s1", "n1", "n2", "10.1.2.3", "10.1.2.1", "255.255.0.0"};
    const QStringList labels{"AP SSID", "AP Password", "AP channel", "Station Name", "Net SSID",
                             "Net Password", "IP Address", "IP Gateway", "IP NetMask"};
    for (int r = 0; r < wificonfigdialog::rowCount; ++r) {
        QCOMPARE(d.lineEdit(Row(r))->text(), expected[r]);
        QCOMPARE(d.rowLabel(Row(r))->text(), labels[r]);
    }
    // Unchanged fields give back the record as read, except for the access-point address.
    QByteArray expectedRecord = netCfg::build(v);
    QCOMPARE(d.getConfig(), expectedRecord);
}

void tst_wificonfigdialog::radioButtonsSetModeAndEnabling()
{
    wificonfigdialog d(nullptr, recordWithMode(1, 0));
    d.fixedButton()->click();
    QVERIFY(d.fixedButton()->isChecked());
    QCOMPARE(enabledRows(d), fixedRows);
    QCOMPARE(d.apMode(), 0);
    QCOMPARE(d.fixedIpMode(), 1);
    d.dhcpButton()->click();
    QCOMPARE(enabledRows(d), dhcpRows);
    QCOMPARE(d.apMode(), 0);
    QCOMPARE(d.fixedIpMode(), 0);
    d.apButton()->click();
    QCOMPARE(enabledRows(d), apRows);
    QCOMPARE(d.apMode(), 1);
    QCOMPARE(d.fixedIpMode(), 0);
    // The argument does not matter.
    d.onFixedButtonClicked(false);
    QCOMPARE(d.fixedIpMode(), 1);
    QCOMPARE(qFromLittleEndian<qint32>(d.getConfig().constData() + netCfg::isFixedIPOffset), 1);
}

void tst_wificonfigdialog::channelValidator()
{
    wificonfigdialog d(nullptr, recordWithMode(1, 0));
    QLineEdit *channel = d.lineEdit(wificonfigdialog::rowApChannel);
    channel->clear();
    QTest::keyClicks(channel, "12");
    QCOMPARE(channel->text(), QString("1"));
    channel->clear();
    QTest::keyClicks(channel, "011");
    QCOMPARE(channel->text(), QString("0"));
    channel->clear();
    QTest::keyClicks(channel, "11");
    QCOMPARE(channel->text(), QString("11"));
    channel->clear();
    QTest::keyClicks(channel, "x");
    QCOMPARE(channel->text(), QString());
    QCOMPARE(qFromLittleEndian<qint32>(d.getConfig().constData() + netCfg::apChannelOffset), 0);
}

void tst_wificonfigdialog::addressValidator()
{
    wificonfigdialog d(nullptr, recordWithMode(0, 1));
    for (Row row : {wificonfigdialog::rowIpAddress, wificonfigdialog::rowIpGateway, wificonfigdialog::rowIpNetmask}) {
        QLineEdit *edit = d.lineEdit(row);
        QVERIFY(edit->hasAcceptableInput());
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
    QVERIFY(d.lineEdit(wificonfigdialog::rowIpAddress)->validator()
            == d.lineEdit(wificonfigdialog::rowIpNetmask)->validator());
}

void tst_wificonfigdialog::fixedIpWritesDisabledStationName()
{
    wificonfigdialog d(nullptr, recordWithMode(1, 0));
    d.lineEdit(wificonfigdialog::rowStationName)->setText("hidden");
    d.onFixedButtonClicked(true);
    QVERIFY(!d.lineEdit(wificonfigdialog::rowStationName)->isEnabled());
    const netCfg record = netCfg::fromInput(d.getConfig());
    QCOMPARE(record.text(netCfg::stationName), QString("hidden"));
    QCOMPARE(record.text(netCfg::apSsid), QString("lumetrix"));
    QCOMPARE(record.text(netCfg::apAddress), QString());
    QCOMPARE(record.isFixedIP(), 1);
}

void tst_wificonfigdialog::tooLongFieldGivesEmptyConfig()
{
    wificonfigdialog d(nullptr, recordWithMode(1, 0));
    d.lineEdit(wificonfigdialog::rowNetSsid)->setText(QString(31, 'n'));
    QCOMPARE(d.getConfig().size(), 425);
    d.lineEdit(wificonfigdialog::rowNetSsid)->setText(QString(32, 'n'));
    QVERIFY(d.getConfig().isEmpty());
}

void tst_wificonfigdialog::buttons()
{
    wificonfigdialog ok(nullptr, QByteArray());
    QTest::mouseClick(ok.buttonBox()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    QCOMPARE(ok.result(), int(QDialog::Accepted));
    wificonfigdialog cancel(nullptr, QByteArray());
    QTest::mouseClick(cancel.buttonBox()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    QCOMPARE(cancel.result(), int(QDialog::Rejected));
}

QTEST_MAIN(tst_wificonfigdialog)
#include "tst_wificonfigdialog.moc"
