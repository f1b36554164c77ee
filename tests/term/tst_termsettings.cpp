#include "reconnectsearch.h"
#include "settingsdialog.h"
#include "termcommandline.h"
#include "termsettingsstore.h"
#include "translationcoverage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSerialPortInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

// "path vid pid sn" per port, ids in hex.
static QList<SerialPortEntry> entries(const QString &ports)
{
    QList<SerialPortEntry> list;
    for (const QString &port : ports.split(';', Qt::SkipEmptyParts)) {
        const QStringList f = port.split(' ');
        SerialPortEntry e;
        e.systemLocation = f[0];
        e.portName = QString(f[0]).remove("/dev/");
        e.hasVendorIdentifier = e.hasProductIdentifier = e.isVirtual = true;
        e.vendorId = quint16(f[1].toUInt(nullptr, 16));
        e.productId = quint16(f[2].toUInt(nullptr, 16));
        e.serialNumber = f.value(3);
        list << e;
    }
    return list;
}

// The parsed options in one line: baud rate, vendor, product, echo, no status lines,
// forced log, serial number.
static QString summary(const TermOptions &o)
{
    return QString("%1 %2 %3 %4 %5 %6 %7").arg(o.baudRate).arg(o.filterVid).arg(o.filterPid).arg(o.localEcho)
        .arg(o.noStatusLines).arg(o.forceLog).arg(o.filterSn);
}

class tst_TermSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    void declarePorts(const QString &ports)
    {
        QFile f(dir.path() + "/ports");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const SerialPortEntry &e : entries(ports))
            f.write(SerialPortList::formatDeclaration(e) + '\n');
    }

private slots:
    void initTestCase() { qputenv(SerialPortList::environmentVariable(), QFile::encodeName(dir.path() + "/ports")); }

    void storeDefaultsAndRoundTrip()
    {
        QSettings missing(dir.path() + "/missing.ini", QSettings::IniFormat);
        TermSettingsStore s;
        s.load(missing);
        QVERIFY(s.pos == QPoint(200, 200) && s.size == QSize(600, 400) && !s.localEcho && !s.crlf);
        QCOMPARE(s.baudRate, 9600u);
        QCOMPARE(s.keyList, TermSettingsStore::defaultKeys());

        s = {};
        s.pos = QPoint(10, 20);
        s.baudRate = 57600;
        s.localEcho = s.crlf = true;
        s.keyList[2] = "*idn?";
        QSettings store(dir.path() + "/store.ini", QSettings::IniFormat);
        s.save(store, false, true);   // the rate came from the command line: not kept
        QVERIFY(!store.contains("baudrate"));
        TermSettingsStore back;
        back.load(store);
        QVERIFY(back.pos == QPoint(10, 20) && back.baudRate == 9600u && back.localEcho && back.crlf);
        QCOMPARE(back.keyList, s.keyList);
    }

    void portDialog()
    {
        declarePorts("/dev/pts/77 1a86 7523 sn1;/dev/pts/78 1a86 7523");
        settingsdialog d(nullptr, 250000, QIcon(), true);
        auto *baud = d.findChild<QComboBox *>("baudBox");
        QCOMPARE(baud->count(), QSerialPortInfo::standardBaudRates().size() + 1);
        QCOMPARE(baud->currentText(), QString("250000"));   // the command line's, added
        auto *ports = d.findChild<QComboBox *>("portBox");
        ports->setCurrentIndex(ports->findText("pts/78"));
        QCOMPARE(ports->currentData().toStringList().value(3), QString("N/A"));
        d.findChild<QComboBox *>("stopBitsBox")->setCurrentIndex(1);
        d.findChild<QComboBox *>("flowBox")->setCurrentIndex(1);
        PortSettings s;
        s.flowControl = QSerialPort::SoftwareControl;
        QVERIFY(d.updateSettings(s));
        QCOMPARE(s.name, QString("/dev/pts/78"));
        QVERIFY(s.baudRate == 250000 && s.localEcho);   // echo ticked initially
        QCOMPARE(s.stopBits, QSerialPort::TwoStop);   // data bits and parity: the window test
        QCOMPARE(s.flowControl, QSerialPort::SoftwareControl);   // not taken from the dialog
    }

    // Which port the reconnect search takes: the first match by ids, then only the same
    // serial number (under any path); a serial-number filter alone is enough.
    void reconnectSearch_data()
    {
        QTest::addColumn<QString>("lastSn");   // "!" before it: given as a filter
        QTest::addColumn<QString>("ports");
        QTest::addColumn<int>("found");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("snAfter");
        const QString ports = "/dev/pts/3 0403 6001 A;/dev/pts/4 1a86 7523 KESTR1;/dev/pts/5 1a86 7523 other";
        QTest::newRow("first match by ids") << "" << ports << 1 << "/dev/pts/4" << "kestr1";
        QTest::newRow("same device under another path")
            << "kestr1" << "/dev/pts/9 1a86 7523 other;/dev/pts/8 1a86 7523 kestr1" << 1 << "/dev/pts/8" << "kestr1";
        QTest::newRow("two alike") << "" << "/dev/pts/4 1a86 7523 X;/dev/pts/5 1a86 7523 x" << 2 << "" << "";
        QTest::newRow("none") << "" << "" << 0 << "" << "";
        QTest::newRow("serial number filter") << "!kestr9" << "/dev/pts/4 1a86 7523 kestr1;/dev/pts/5 0403 6001 KESTR9"
                                              << 1 << "/dev/pts/5" << "kestr9";
    }

    void reconnectSearch()
    {
        QFETCH(QString, lastSn);
        QFETCH(QString, ports);
        ReconnectSearch s;
        s.snFilterGiven = lastSn.startsWith('!');
        s.lastVid = s.snFilterGiven ? -1 : 0x1a86;
        s.lastPid = s.snFilterGiven ? -1 : 0x7523;
        s.lastSn = QString(lastSn).remove('!');
        s.firstMatch = lastSn.isEmpty() || s.snFilterGiven;
        QString name;
        QFETCH(int, found);
        QCOMPARE(s.search(entries(ports), name), found);
        if (found == 1) {
            QTEST(name, "name");
            QTEST(s.lastSn, "snAfter");
            QCOMPARE(s.firstMatch, s.snFilterGiven);   // a serial-number filter is never replaced
        }
        ReconnectSearch fresh;
        fresh.remember(entries("/dev/pts/3 0403 6001 A;/dev/pts/4 1a86 7523 KESTR1"), "/dev/pts/4");
        QVERIFY(fresh.lastVid == 0x1a86 && fresh.lastPid == 0x7523 && fresh.lastSn == "kestr1");
    }

    // Every text of the terminal's sources marked for translation has its German.
    void germanCatalogue()
    {
        QTranslator german;
        QVERIFY(german.load(KESTROVA_BIN_DIR "/translations/corvun_de.qm"));
        QCOMPARE(german.translate("MainWindow", "Connected: localecho on"), QString("Verbunden: lokales Echo ein"));
        const TranslationCoverage coverage = TranslationCoverage::check({KESTROVA_SOURCE_DIR "/term"}, german, dir.path());
        QVERIFY2(coverage.error.isEmpty(), qPrintable(coverage.error));
        QVERIFY(coverage.texts > 50);
        QVERIFY2(coverage.missing.isEmpty(), qPrintable(coverage.missing.join('\n')));
    }

    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");     // -1: the program goes on
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("firstLine");   // a line the output must hold
        const QString error = "##################### Error in Commandline #######";
        QTest::newRow("defaults") << QStringList{} << -1 << "115200 -1 -1 -1 0 0 " << "";
        QTest::newRow("any case, bases") << QStringList{"--FILTERVID", "1A86", "--filterpid", "0x7523", "--filterSN",
                                                       "KeStR0001", "-B", "250000", "--NoStatusLines", "--forcelog",
                                                       "--localecho", "1f"}
                                         << -1 << "250000 6790 29987 31 1 1 kestr0001" << "localecho 31";
        QTest::newRow("vendor in hex, rate in decimal") << QStringList{"--filterVID", "10", "--baudrate", "10"} << -1
                                                        << "10 16 -1 -1 0 0 " << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "115200 -1 -1 -1 0 0 " << "\nUsage: corvun [options]";
        QTest::newRow("-?") << QStringList{"-?"} << 0 << "115200 -1 -1 -1 0 0 " << "\nUsage: corvun [options]";
        QTest::newRow("help ends parsing") << QStringList{"--forcelog", "--HELP", "junk", "--baudrate"} << 0
                                           << "115200 -1 -1 -1 0 1 " << "\nUsage: corvun [options]";
        QTest::newRow("rate not decimal") << QStringList{"-b", "1a"} << 1 << "-1 -1 -1 -1 0 0 " << error;
        QTest::newRow("filter stops at a failure") << QStringList{"--filterVID", "xyz", "--filterSN", "ABC"} << 1
                                                   << "115200 -1 -1 -1 0 0 " << error;
        QTest::newRow("unrecognised") << QStringList{"COM3"} << 1 << "115200 -1 -1 -1 0 0 "
                                      << "error: there are unrecognized parameters in the commandline";
        for (const char *opt : {"--baudrate", "-b", "--filterVID", "--filterPID", "--filterSN", "--localecho"})
            QTest::newRow(opt) << QStringList{"--forcelog", opt} << 1 << "115200 -1 -1 -1 0 1 " << error;
    }

    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        TermOptions o;
        const auto r = TermCommandLine::parse(QStringList{"corvun"} + args, o);
        QCOMPARE(r.exitNow ? r.exitCode : -1, exitCode);
        QTEST(summary(o), "options");
        QCOMPARE(r.lines.isEmpty(), firstLine.isEmpty());
        QVERIFY2(firstLine.isEmpty() || r.lines.count(firstLine) == 1, qPrintable(r.lines.join('|')));
        if (exitCode >= 0)
            QCOMPARE(r.lines.mid(r.lines.size() - 10), TermCommandLine::usageLines());
        if (args == QStringList{"-b", "1a"})   // a bad value is no unknown parameter
            QVERIFY(!r.lines.contains("error: there are unrecognized parameters in the commandline"));
        QVERIFY(TermCommandLine::parse({}, o).exitNow);   // not even a program name
    }
};

QTEST_MAIN(tst_TermSettings)
#include "tst_termsettings.moc"
