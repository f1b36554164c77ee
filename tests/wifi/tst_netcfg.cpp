// The device's network record: its byte layout, validity, limits, the block that carries
// it over the serial line, and the dialog that edits it.
#include "wifi/netcfg.h"
#include "wifi/stripblock.h"
#include "wifi/wificonfigdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtEndian>
#include <QtTest>

using Row = wificonfigdialog::Row;

namespace {
netCfg::EditedValues sampleValues()
{
    netCfg::EditedValues v;
    v.isAP = 0;
    v.isFixedIP = 1;
    v.apSsid = "apname";
    v.apPassword = "appass";
    v.apChannel = "6";
    v.stationName = "bench";
    v.netSsid = "home";
    v.netPassword = "netpass";
    v.ipAddress = "10.0.0.7";
    v.ipGateway = "10.0.0.1";
    v.ipNetmask = "255.0.0.0";
    return v;
}

qint32 intAt(const QByteArray &b, int offset) { return qFromLittleEndian<qint32>(b.constData() + offset); }

QByteArray recordWithMode(qint32 isAP, qint32 isFixedIP)
{
    QByteArray b = netCfg().bytes();
    qToLittleEndian<qint32>(isAP, b.data() + 4);
    qToLittleEndian<qint32>(isFixedIP, b.data() + 12);
    return b;
}

// The dialog's enabled rows and the mode words of the record it gives back.
QString state(const wificonfigdialog &d)
{
    QString s;
    for (int r = 0; r < wificonfigdialog::rowCount; ++r)
        s += d.lineEdit(Row(r))->isEnabled() ? '1' : '0';
    return s + QString(" %1%2").arg(intAt(d.getConfig(), 4)).arg(intAt(d.getConfig(), 12));
}
const QString apState = "111000000 10", dhcpState = "000111000 00", fixedState = "000011111 01";
} // namespace

class tst_netcfg : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void validity_data();
    void validity();
    void fieldLimits();
    void channelText_data();
    void channelText();
    void stripBlock_data();
    void stripBlock() { QFETCH(QByteArray, block); QTEST(::stripBlock(block), "payload"); }
    void dialogMode_data();
    void dialogMode();
};

// Mark, mode and channel words, then the texts at their fixed places, padded with zeros.
// A built record never carries the access-point address a record was read with.
void tst_netcfg::layout_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QVector<int>>("words");   // isAP, channel, isFixedIP
    QTest::addColumn<QStringList>("texts");    // at 16, 62, 108, 154, 186, 218, 282, 314, 378
    QTest::newRow("defaults") << netCfg().bytes() << QVector<int>{1, 11, 0}
        << QStringList{"192.168.178.2", "192.168.178.1", "255.255.255.0", "lumetrix", "networkName", "qzk", "lumetrix", "tarnequil", "192.168.4.1"};
    QTest::newRow("built") << netCfg::build(sampleValues()) << QVector<int>{0, 6, 1}
        << QStringList{"10.0.0.7", "10.0.0.1", "255.0.0.0", "bench", "home", "netpass", "apname", "appass", ""};
}

void tst_netcfg::layout()
{
    QFETCH(QByteArray, record);
    QFETCH(QVector<int>, words);
    QFETCH(QStringList, texts);
    QCOMPARE(record.size(), 425);
    QCOMPARE(record.left(4), QByteArray("\x78\x56\x34\x12", 4));
    QCOMPARE((QVector<int>{intAt(record, 4), intAt(record, 8), intAt(record, 12)}), words);
    const int places[9][2] = {{16, 46}, {62, 46}, {108, 46}, {154, 32}, {186, 32}, {218, 64}, {282, 32}, {314, 64}, {378, 46}};
    for (int i = 0; i < 9; ++i)
        QCOMPARE(record.mid(places[i][0], places[i][1]), texts[i].toLatin1() + QByteArray(places[i][1] - texts[i].size(), '\0'));
    QCOMPARE(record.at(424), '\0');
    QCOMPARE(definiteLengthBlock(record), "#3425" + record + "\n");   // as it goes over the serial line
    const netCfg read = netCfg::fromInput(record + QByteArray(87, 'x'));   // only the first 425 bytes count
    QCOMPARE(read.bytes(), record);
    QCOMPARE((QVector<int>{read.isAP(), read.apChannel(), read.isFixedIP()}), words);
    QCOMPARE(read.text(netCfg::netSsid), texts[4]);
    QCOMPARE(read.text(netCfg::apAddress), texts[8]);
}

void tst_netcfg::validity_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("valid");
    const QByteArray good = netCfg::build(sampleValues());
    QTest::newRow("425 with mark") << good << true;
    QTest::newRow("424 with mark") << good.left(424) << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("512 with mark") << good + QByteArray(87, char(0xff)) << true;
    QTest::newRow("mark byte-swapped") << QByteArray("\x12\x34\x56\x78", 4) + good.mid(4) << false;
    QTest::newRow("erased memory") << QByteArray(512, char(0xff)) << false;
}

void tst_netcfg::validity()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, valid);
    QCOMPARE(netCfg::isValidInput(input), valid);
    QCOMPARE(netCfg::fromInput(input).bytes(), valid ? input.left(425) : netCfg().bytes());
}

// Each field takes its width minus one bytes, so that a terminator always follows.
void tst_netcfg::fieldLimits()
{
    QString netCfg::EditedValues::*const fields[] = {&netCfg::EditedValues::ipAddress, &netCfg::EditedValues::ipGateway,
        &netCfg::EditedValues::ipNetmask, &netCfg::EditedValues::stationName, &netCfg::EditedValues::netSsid,
        &netCfg::EditedValues::netPassword, &netCfg::EditedValues::apSsid, &netCfg::EditedValues::apPassword};
    for (int f = 0; f < 8; ++f) {   // in the order of netCfg::TextField
        const netCfg::TextField field = netCfg::TextField(f);
        netCfg::EditedValues v = sampleValues();
        v.*fields[f] = QString(netCfg::widthOf(field), 's');
        QVERIFY(netCfg::build(v).isEmpty());
        (v.*fields[f]).chop(1);
        const QByteArray b = netCfg::build(v);
        QCOMPARE(netCfg::fromInput(b).text(field), v.*fields[f]);
        QCOMPARE(b.at(netCfg::offsetOf(field) + netCfg::widthOf(field) - 1), '\0');
    }
}

void tst_netcfg::channelText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("channel");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("eleven") << "11" << 11;
    QTest::newRow("letters") << "six" << 0;
    QTest::newRow("hex is not decimal") << "0x5" << 0;
}

void tst_netcfg::channelText()
{
    netCfg::EditedValues v = sampleValues();
    QFETCH(QString, text);
    v.apChannel = text;
    QTEST(intAt(netCfg::build(v), 8), "channel");
}

// What is taken from a block read over the serial line.
void tst_netcfg::stripBlock_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QByteArray>("payload");
    const QByteArray memory = netCfg().bytes() + QByteArray(87, char(0xff));
    QTest::newRow("#3512 + 512 + LF") << "#3512" + memory + "\n" << memory;
    QTest::newRow("#3512 + 512, no LF") << "#3512" + memory << memory;
    QTest::newRow("#14abcd CR LF") << QByteArray("#14abcd\r\n") << QByteArray("abcd");
    QTest::newRow("header digit 0") << "#0512" + memory + "\n" << QByteArray();
    QTest::newRow("non-digit header") << "#x512" + memory + "\n" << QByteArray();
    QTest::newRow("non-digit length") << "#35x2" + memory + "\n" << QByteArray();
    QTest::newRow("no hash") << "3512" + memory << QByteArray();
    QTest::newRow("too short") << QByteArray("#11ab") << QByteArray();
    QTest::newRow("length beyond data") << "#3512" + memory.left(511) << QByteArray();
    QTest::newRow("digits beyond data") << QByteArray("#91234") << QByteArray();
    QTest::newRow("nine digits, huge length") << QByteArray("#9999999999abc") << QByteArray();
}

// The dialog opens in the record's mode, enabling the rows that matter; a broken record
// opens as the defaults in AP mode and says so. The mode buttons switch.
void tst_netcfg::dialogMode_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("state");
    QTest::newRow("AP") << recordWithMode(1, 0) << true << apState;
    QTest::newRow("AP wins over fixed") << recordWithMode(5, 1) << true << apState;
    QTest::newRow("DHCP") << recordWithMode(0, 0) << true << dhcpState;
    QTest::newRow("512 bytes, fixed") << recordWithMode(0, 1) + QByteArray(87, char(0xff)) << true << fixedState;
    QTest::newRow("424 bytes") << recordWithMode(0, 1).left(424) << false << apState;
    QTest::newRow("erased") << QByteArray(512, char(0xff)) << false << apState;
}

void tst_netcfg::dialogMode()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, valid);
    wificonfigdialog d(nullptr, input);
    QCOMPARE(d.inputValid(), valid);
    const auto labels = d.findChildren<QLabel *>();
    QCOMPARE(std::any_of(labels.cbegin(), labels.cend(), [](QLabel *l) { return l->text().contains("Input Configuration broken"); }), !valid);
    QTEST(state(d), "state");
    QCOMPARE(d.lineEdit(wificonfigdialog::rowApSsid)->text(), QString("lumetrix"));
    QCOMPARE(d.getConfig().mid(16), (valid ? input : netCfg().bytes()).mid(16, 362) + QByteArray(47, '\0'));   // as read, no AP address
    d.fixedButton()->click();
    QCOMPARE(state(d), fixedState);
    d.dhcpButton()->click();
    QCOMPARE(state(d), dhcpState);
    d.apButton()->click();
    QCOMPARE(state(d), apState);
}

QTEST_MAIN(tst_netcfg)
#include "tst_netcfg.moc"
