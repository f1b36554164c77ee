// The device's network record: its byte layout, validity, limits, saving, and the block
// that carries it over the serial line.
#include "wifi/netcfg.h"
#include "wifi/stripblock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

netCfg::EditedValues sampleValues()
{
    netCfg::EditedValues v;
    v.isAP = 0;
    v.isFixedIP = 1;
    v.apSsid = "apname";
    v.apPassword = "appass";
    v.apChannel = "6";
    v.netPassword = "netpass";
    v.netSsid = "home";
    v.stationName = "bench";
    v.ipAddress = "10.0.0.7";
    v.ipGateway = "10.0.0.1";
    v.ipNetmask = "255.0.0.0";
    return v;
}

qint32 intAt(const QByteArray &b, int offset) { return qFromLittleEndian<qint32>(b.constData() + offset); }

// The edited value behind each text field but the access-point address, with its width.
const struct
{
    QString netCfg::EditedValues::*value;
    netCfg::TextField field;
    int width;
} editable[] = {{&netCfg::EditedValues::ipAddress, netCfg::ipAddress, 46},     {&netCfg::EditedValues::ipGateway, netCfg::ipGateway, 46},
                {&netCfg::EditedValues::ipNetmask, netCfg::ipNetmask, 46},     {&netCfg::EditedValues::stationName, netCfg::stationName, 32},
                {&netCfg::EditedValues::netSsid, netCfg::netSsid, 32},         {&netCfg::EditedValues::netPassword, netCfg::netPassword, 64},
                {&netCfg::EditedValues::apSsid, netCfg::apSsid, 32},           {&netCfg::EditedValues::apPassword, netCfg::apPassword, 64}};

} // namespace

class tst_netcfg : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void validity_data();
    void validity();
    void fieldLimits_data();
    void fieldLimits();
    void channelText_data();
    void channelText();
    void save();
    void stripBlock_data();
    void stripBlock() { QFETCH(QByteArray, block); QTEST(::stripBlock(block), "payload"); }
    void recordBlockForTheSerialLine();
};

// Mark, mode and channel words, then the text fields at their fixed places, each padded
// with zeros. A built record never carries the access-point address it was read with.
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
void tst_netcfg::fieldLimits_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("length");
    for (int i = 0; i < 8; ++i) {
        QTest::addRow("field %d, %d", int(editable[i].field), editable[i].width - 1) << i << editable[i].width - 1;
        QTest::addRow("field %d, %d", int(editable[i].field), editable[i].width) << i << editable[i].width;
    }
}

void tst_netcfg::fieldLimits()
{
    QFETCH(int, index);
    QFETCH(int, length);
    const auto &f = editable[index];
    netCfg::EditedValues v = sampleValues();
    v.*f.value = QString(length, QChar('s'));
    const QByteArray b = netCfg::build(v);
    QCOMPARE(b.isEmpty(), length == f.width);
    if (!b.isEmpty()) {
        QVERIFY(netCfg::isValidInput(b));
        QCOMPARE(netCfg::fromInput(b).text(f.field), v.*f.value);
        QCOMPARE(b.at(netCfg::offsetOf(f.field) + length), '\0');
    }
}

void tst_netcfg::channelText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("channel");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("eleven") << "11" << 11;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("letters") << "six" << 0;
    QTest::newRow("hex is not decimal") << "0x5" << 0;
}

void tst_netcfg::channelText()
{
    netCfg::EditedValues v = sampleValues();
    QFETCH(QString, text);
    v.apChannel = text;
    const QByteArray b = netCfg::build(v);
    QCOMPARE(b.size(), 425);
    QTEST(intAt(b, 8), "channel");
}

// config.wifi gets exactly the bytes given, over an older file; an unwritable folder fails.
void tst_netcfg::save()
{
    QTemporaryDir dir;
    QFile old(dir.filePath("config.wifi"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(2000, 'o')) == 2000);
    old.close();
    const QByteArray bytes = netCfg().bytes() + QByteArray(87, char(0xff));
    QVERIFY(netCfg::saveWifiConfig(dir.path(), bytes));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), bytes);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("save wificonfig to disk"));
    QTest::ignoreMessage(QtDebugMsg, "########## fatal Config File could not be opened");
    QVERIFY(!netCfg::saveWifiConfig(dir.filePath("missing/folder"), bytes));
    QVERIFY(!QFile::exists(dir.filePath("missing/folder/config.wifi")));
}

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

void tst_netcfg::recordBlockForTheSerialLine()
{
    const QByteArray record = netCfg().bytes();
    QCOMPARE(definiteLengthBlock(record), "#3425" + record + "\n");
    QCOMPARE(::stripBlock(definiteLengthBlock(record)), record);
    QCOMPARE(definiteLengthBlock("abcd"), QByteArray("#14abcd\n"));
}

QTEST_GUILESS_MAIN(tst_netcfg)
#include "tst_netcfg.moc"
