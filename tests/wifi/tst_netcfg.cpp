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

QByteArray fieldAt(const QByteArray &b, int offset, int width) { return b.mid(offset, width); }

QByteArray padded(const QByteArray &text, int width) { return text + QByteArray(width - text.size(), '\0'); }

} // namespace

class tst_netcfg : public QObject
{
    Q_OBJECT

private slots:
    void defaultsAtTheirOffsets();
    void validity_data();
    void validity();
    void validInputUsesFirst425Bytes();
    void builtFieldsAtTheirOffsets();
    void fieldLimits_data();
    void fieldLimits();
    void channelText_data();
    void channelText();
    void builtRecordHasNoApAddress();
    void saveWritesBytesVerbatim();
    void saveReportsUnwritableFolder();
    void stripBlock_data();
    void stripBlock();
    void recordBlockForTheSerialLine();
};

void tst_netcfg::defaultsAtTheirOffsets()
{
    const QByteArray b = netCfg().bytes();
    QCOMPARE(b.size(), 425);
    QCOMPARE(b.left(4), QByteArray("\x78\x56\x34\x12", 4));
    QCOMPARE(intAt(b, 4), 1);
    QCOMPARE(intAt(b, 8), 11);
    QCOMPARE(intAt(b, 12), 0);
    QCOMPARE(fieldAt(b, 16, 46), padded("192.168.178.2", 46));
    QCOMPARE(fieldAt(b, 62, 46), padded("192.168.178.1", 46));
    QCOMPARE(fieldAt(b, 108, 46), padded("255.255.255.0", 46));
    QCOMPARE(fieldAt(b, 154, 32), padded("lumetrix", 32));
    QCOMPARE(fieldAt(b, 186, 32), padded("networkName", 32));
    QCOMPARE(fieldAt(b, 218, 64), padded("qzk", 64));
    QCOMPARE(fieldAt(b, 282, 32), padded("lumetrix", 32));
    QCOMPARE(fieldAt(b, 314, 64), padded("tarnequil", 64));
    QCOMPARE(fieldAt(b, 378, 46), padded("192.168.4.1", 46));
    QCOMPARE(b.at(424), '\0');
    QCOMPARE(netCfg().text(netCfg::netSsid), QString("networkName"));
}

void tst_netcfg::validity_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("valid");
    QByteArray good = netCfg().bytes();
    QTest::newRow("425 with mark") << good << true;
    QTest::newRow("424 with mark") << good.left(424) << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("512 with mark") << good + QByteArray(87, char(0xff)) << true;
    QByteArray bigEndian = good;
    bigEndian.replace(0, 4, QByteArray("\x12\x34\x56\x78", 4));
    QTest::newRow("mark byte-swapped") << bigEndian << false;
    QTest::newRow("erased memory") << QByteArray(512, char(0xff)) << false;
}

void tst_netcfg::validity()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, valid);
    QCOMPARE(netCfg::isValidInput(input), valid);
    const netCfg record = netCfg::fromInput(input);
    QCOMPARE(record.bytes(), valid ? input.left(425) : netCfg().bytes());
}

void tst_netcfg::validInputUsesFirst425Bytes()
{
    QByteArray input = netCfg::build(sampleValues());
    input.append(QByteArray(87, 'x'));
    const netCfg record = netCfg::fromInput(input);
    QCOMPARE(record.bytes().size(), 425);
    QCOMPARE(record.bytes(), input.left(425));
    QCOMPARE(record.isAP(), 0);
    QCOMPARE(record.isFixedIP(), 1);
    QCOMPARE(record.apChannel(), 6);
    QCOMPARE(record.text(netCfg::ipAddress), QString("10.0.0.7"));
}

void tst_netcfg::builtFieldsAtTheirOffsets()
{
    const QByteArray b = netCfg::build(sampleValues());
    QCOMPARE(b.size(), 425);
    QCOMPARE(qFromLittleEndian<quint32>(b.constData()), 0x12345678u);
    QCOMPARE(intAt(b, 4), 0);
    QCOMPARE(intAt(b, 8), 6);
    QCOMPARE(intAt(b, 12), 1);
    QCOMPARE(fieldAt(b, 16, 46), padded("10.0.0.7", 46));
    QCOMPARE(fieldAt(b, 62, 46), padded("10.0.0.1", 46));
    QCOMPARE(fieldAt(b, 108, 46), padded("255.0.0.0", 46));
    QCOMPARE(fieldAt(b, 154, 32), padded("bench", 32));
    QCOMPARE(fieldAt(b, 186, 32), padded("home", 32));
    QCOMPARE(fieldAt(b, 218, 64), padded("netpass", 64));
    QCOMPARE(fieldAt(b, 282, 32), padded("apname", 32));
    QCOMPARE(fieldAt(b, 314, 64), padded("appass", 64));
}

// Each field takes its width minus one bytes, so that a terminator always follows.
void tst_netcfg::fieldLimits_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("built");
    const struct { const char *name; int width; } fields[] = {
        {"apSsid", 32}, {"apPassword", 64}, {"netPassword", 64}, {"netSsid", 32},
        {"stationName", 32}, {"ipAddress", 46}, {"ipGateway", 46}, {"ipNetmask", 46}};
    for (const auto &f : fields) {
        QTest::addRow("%s %d", f.name, f.width - 1) << f.name << f.width - 1 << true;
        QTest::addRow("%s %d", f.name, f.width) << f.name << f.width << false;
    }
}

void tst_netcfg::fieldLimits()
{
    QFETCH(QString, field);
    QFETCH(int, length);
    QFETCH(bool, built);
    netCfg::EditedValues v = sampleValues();
    const QString text(length, QChar('s'));
    QString *target = field == "apSsid" ? &v.apSsid : field == "apPassword" ? &v.apPassword
        : field == "netPassword" ? &v.netPassword : field == "netSsid" ? &v.netSsid
        : field == "stationName" ? &v.stationName : field == "ipAddress" ? &v.ipAddress
        : field == "ipGateway" ? &v.ipGateway : &v.ipNetmask;
    *target = text;
    const QByteArray b = netCfg::build(v);
    QCOMPARE(b.isEmpty(), !built);
    if (built) {
        const netCfg record = netCfg::fromInput(b);
        QVERIFY(netCfg::isValidInput(b));
        const netCfg::TextField tf = field == "apSsid" ? netCfg::apSsid : field == "apPassword" ? netCfg::apPassword
            : field == "netPassword" ? netCfg::netPassword : field == "netSsid" ? netCfg::netSsid
            : field == "stationName" ? netCfg::stationName : field == "ipAddress" ? netCfg::ipAddress
            : field == "ipGateway" ? netCfg::ipGateway : netCfg::ipNetmask;
        QCOMPARE(record.text(tf), text);
        QCOMPARE(b.at(netCfg::offsetOf(tf) + length), '\0');
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
    QFETCH(QString, text);
    QFETCH(int, channel);
    netCfg::EditedValues v = sampleValues();
    v.apChannel = text;
    const QByteArray b = netCfg::build(v);
    QCOMPARE(b.size(), 425);
    QCOMPARE(intAt(b, 8), channel);
}

// The access-point address is not edited: a built record never carries the one read.
void tst_netcfg::builtRecordHasNoApAddress()
{
    const netCfg read = netCfg();
    QVERIFY(!read.text(netCfg::apAddress).isEmpty());
    netCfg::EditedValues v = sampleValues();
    v.isAP = 1;
    v.isFixedIP = 0;
    const QByteArray b = netCfg::build(v);
    QCOMPARE(b.mid(378, 47), QByteArray(47, '\0'));
    QCOMPARE(intAt(b, 4), 1);
    QCOMPARE(intAt(b, 12), 0);
}

void tst_netcfg::saveWritesBytesVerbatim()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile old(dir.filePath("config.wifi"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(2000, 'o'));
    old.close();

    QByteArray bytes = netCfg().bytes();
    bytes.append(QByteArray(87, char(0xff)));
    QVERIFY(netCfg::saveWifiConfig(dir.path(), bytes));
    QFile saved(dir.filePath("config.wifi"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), bytes);
}

void tst_netcfg::saveReportsUnwritableFolder()
{
    QTemporaryDir dir;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("save wificonfig to disk"));
    QTest::ignoreMessage(QtDebugMsg, "########## fatal Config File could not be opened");
    QVERIFY(!netCfg::saveWifiConfig(dir.filePath("missing/folder"), netCfg().bytes()));
    QVERIFY(!QFile::exists(dir.filePath("missing/folder/config.wifi")));
}

void tst_netcfg::stripBlock_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QByteArray>("payload");
    QByteArray memory = netCfg().bytes() + QByteArray(87, char(0xff));
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

void tst_netcfg::stripBlock()
{
    QFETCH(QByteArray, block);
    QFETCH(QByteArray, payload);
    QCOMPARE(::stripBlock(block), payload);
}

void tst_netcfg::recordBlockForTheSerialLine()
{
    const QByteArray record = netCfg().bytes();
    const QByteArray block = definiteLengthBlock(record);
    QCOMPARE(block.size(), 431);
    QVERIFY(block.startsWith("#3425"));
    QCOMPARE(block.mid(5, 425), record);
    QCOMPARE(block.at(430), '\n');
    QCOMPARE(::stripBlock(block), record);
    QCOMPARE(definiteLengthBlock("abcd"), QByteArray("#14abcd\n"));
}

QTEST_GUILESS_MAIN(tst_netcfg)
#include "tst_netcfg.moc"
