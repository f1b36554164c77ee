#include "reconnectsearch.h"
#include "settingsdialog.h"
#include "termsettingsstore.h"
#include "toolsdialog.h"
#include "translationcoverage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSerialPortInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

static SerialPortEntry entry(const QString &path, quint16 vid, quint16 pid, const QString &sn)
{
    SerialPortEntry e;
    e.systemLocation = path;
    e.portName = QString(path).remove("/dev/");
    e.hasVendorIdentifier = e.hasProductIdentifier = true;
    e.vendorId = vid;
    e.productId = pid;
    e.serialNumber = sn;
    e.isVirtual = true;
    return e;
}

class tst_TermSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    void declarePorts(const QList<SerialPortEntry> &ports)
    {
        QFile f(dir.path() + "/ports");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const SerialPortEntry &e : ports)
            f.write(SerialPortList::formatDeclaration(e) + '\n');
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        qputenv(SerialPortList::environmentVariable(), QFile::encodeName(dir.path() + "/ports"));
    }

    void storeDefaults()
    {
        QSettings store(dir.path() + "/missing.ini", QSettings::IniFormat);
        TermSettingsStore s;
        s.load(store);
        QCOMPARE(s.pos, QPoint(200, 200));
        QCOMPARE(s.size, QSize(600, 400));
        QCOMPARE(s.baudRate, 9600u);
        QVERIFY(!s.localEcho);
        QVERIFY(!s.crlf);
        QCOMPARE(s.keyList, QStringList({"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10"}));
    }

    void storeRoundTripAndCommandLineValuesNotWritten()
    {
        const QString file = dir.path() + "/store.ini";
        {
            QSettings store(file, QSettings::IniFormat);
            TermSettingsStore s;
            s.pos = QPoint(10, 20);
            s.size = QSize(800, 500);
            s.baudRate = 57600;
            s.localEcho = true;
            s.crlf = true;
            s.keyList[2] = "*idn?";
            s.save(store, false, true);
        }
        QSettings store(file, QSettings::IniFormat);
        QVERIFY(!store.contains("baudrate"));
        QVERIFY(store.contains("localecho"));
        TermSettingsStore s;
        s.load(store);
        QCOMPARE(s.pos, QPoint(10, 20));
        QCOMPARE(s.size, QSize(800, 500));
        QCOMPARE(s.baudRate, 9600u);
        QVERIFY(s.localEcho);
        QVERIFY(s.crlf);
        QCOMPARE(s.keyList.size(), 10);
        QCOMPARE(s.keyList.at(2), QString("*idn?"));
        QCOMPARE(store.value("keyF10").toString(), QString("F10"));
    }

    void customBaudRate()
    {
        declarePorts({entry("/dev/pts/77", 0x1a86, 0x7523, "sn1")});
        settingsdialog d(nullptr, 250000, QIcon(), true);
        auto *baud = d.findChild<QComboBox *>("baudBox");
        QCOMPARE(baud->count(), QSerialPortInfo::standardBaudRates().size() + 1);
        QCOMPARE(baud->currentIndex(), baud->count() - 1);
        QCOMPARE(baud->currentText(), QString("250000"));
        auto *ports = d.findChild<QComboBox *>("portBox");
        ports->setCurrentIndex(ports->findText("pts/77"));
        PortSettings s;
        QVERIFY(d.updateSettings(s));
        QCOMPARE(s.baudRate, 250000);
        QCOMPARE(s.name, QString("/dev/pts/77"));
        QVERIFY(s.localEcho);  // ticked initially

        baud->setCurrentIndex(0);
        QVERIFY(d.updateSettings(s));
        QCOMPARE(s.baudRate, QSerialPortInfo::standardBaudRates().first());
    }

    void standardBaudRateSelectedWithoutCommandLine()
    {
        declarePorts({entry("/dev/pts/77", 0x1a86, 0x7523, "sn1")});
        settingsdialog d(nullptr, 19200, QIcon(), false);
        auto *baud = d.findChild<QComboBox *>("baudBox");
        QCOMPARE(baud->count(), QSerialPortInfo::standardBaudRates().size());
        QCOMPARE(baud->currentText(), QString("19200"));
        settingsdialog odd(nullptr, 12345, QIcon(), false);
        QCOMPARE(odd.findChild<QComboBox *>("baudBox")->currentIndex(), 0);
    }

    void lineFormatChoices()
    {
        declarePorts({entry("/dev/pts/77", 0x1a86, 0x7523, "sn1")});
        settingsdialog d(nullptr, 9600, QIcon(), false);
        d.findChild<QComboBox *>("dataBitsBox")->setCurrentIndex(2);
        d.findChild<QComboBox *>("parityBox")->setCurrentIndex(1);
        d.findChild<QComboBox *>("stopBitsBox")->setCurrentIndex(1);
        d.findChild<QComboBox *>("flowBox")->setCurrentIndex(1);
        d.findChild<QCheckBox *>("localEchoBox")->setChecked(false);
        PortSettings s;
        s.flowControl = QSerialPort::SoftwareControl;
        QVERIFY(d.updateSettings(s));
        QCOMPARE(s.dataBits, QSerialPort::Data7);
        QCOMPARE(s.parity, QSerialPort::EvenParity);
        QCOMPARE(s.stopBits, QSerialPort::TwoStop);
        QCOMPARE(s.flowControl, QSerialPort::SoftwareControl);  // not taken from the dialog
        QVERIFY(!s.localEcho);
    }

    void portInformation()
    {
        declarePorts({entry("/dev/pts/77", 0x1a86, 0x7523, "sn1"), entry("/dev/pts/78", 0x1a86, 0x7523, "")});
        settingsdialog d(nullptr, 9600, QIcon(), false);
        auto *ports = d.findChild<QComboBox *>("portBox");
        const int n = ports->count();
        QVERIFY(n >= 2);
        const int idx = ports->findText("pts/78");  // not a bare "78"
        QVERIFY(idx >= 0);
        const QStringList list = ports->itemData(idx).toStringList();
        QCOMPARE(list.size(), 8);
        QCOMPARE(list.at(3), QString("N/A"));
        QCOMPARE(list.at(4), QString("/dev/pts/78"));
        QCOMPARE(list.at(5), QString("1a86"));
        QCOMPARE(list.at(7), QString("available"));
        ports->setCurrentIndex(idx);
        d.showPortInfo(idx);
        const QString info = d.findChild<QLabel *>("infoLabel")->text();
        QVERIFY2(info.contains("Serial number: N/A\n"), qPrintable(info));
        QVERIFY(info.contains("Vendor Identifier: 0x1a86\n"));
        QVERIFY(info.contains("Location: /dev/pts/78\n"));
    }

    void noDevicePresent()
    {
        if (!SerialPortList::systemPorts().isEmpty())
            QSKIP("this machine lists real serial ports");
        declarePorts({});
        settingsdialog d(nullptr, 9600, QIcon(), false);
        QCOMPARE(d.fillPortsInfo(), 0);
        QVERIFY(d.findChild<QLabel *>("infoLabel")->text().contains("No Device present."));
        PortSettings s;
        QVERIFY(!d.updateSettings(s));
    }

    void toolsDialogReadBack()
    {
        ToolsRecord r{false, TermSettingsStore::defaultKeys()};
        toolsdialog d(nullptr, &r);
        auto *f2 = d.findChild<QLineEdit *>("keyF2");
        QCOMPARE(f2->text(), QString("F2"));
        QVERIFY(f2->minimumWidth() >= 300);
        f2->setText("conf:sca:num?");
        d.findChild<QCheckBox *>("crlfBox")->setChecked(true);
        QVERIFY(!r.crlf);  // untouched until read back
        QVERIFY(d.readBack());
        QVERIFY(r.crlf);
        QCOMPARE(r.keyList.size(), 10);
        QCOMPARE(r.keyList.at(1), QString("conf:sca:num?"));
    }

    void searchAdoptsFirstMatchAndFollowsRename()
    {
        ReconnectSearch s;
        s.lastVid = 0x1a86;
        s.lastPid = 0x7523;
        QString name;
        const QList<SerialPortEntry> ports{entry("/dev/pts/3", 0x0403, 0x6001, "A"),
                                           entry("/dev/pts/4", 0x1a86, 0x7523, "KESTR1"),
                                           entry("/dev/pts/5", 0x1a86, 0x7523, "other")};
        QCOMPARE(s.search(ports, name), 1);
        QCOMPARE(name, QString("/dev/pts/4"));
        QCOMPARE(s.lastSn, QString("kestr1"));
        QVERIFY(!s.firstMatch);

        // The same device back under another path.
        const QList<SerialPortEntry> later{entry("/dev/pts/9", 0x1a86, 0x7523, "other"),
                                           entry("/dev/pts/8", 0x1a86, 0x7523, "kestr1")};
        QCOMPARE(s.search(later, name), 1);
        QCOMPARE(name, QString("/dev/pts/8"));
    }

    void searchCountsDuplicates()
    {
        ReconnectSearch s;
        s.lastVid = 0x1a86;
        s.lastPid = 0x7523;
        QString name;
        QCOMPARE(s.search({entry("/dev/pts/4", 0x1a86, 0x7523, "X"), entry("/dev/pts/5", 0x1a86, 0x7523, "x")}, name), 2);
        QCOMPARE(s.search({}, name), 0);
    }

    void serialNumberAloneIsEnough()
    {
        ReconnectSearch s;
        s.lastSn = "kestr9";
        s.snFilterGiven = true;
        QString name;
        const QList<SerialPortEntry> ports{entry("/dev/pts/4", 0x1a86, 0x7523, "kestr1"),
                                           entry("/dev/pts/5", 0x0403, 0x6001, "KESTR9")};
        QCOMPARE(s.search(ports, name), 1);
        QCOMPARE(name, QString("/dev/pts/5"));
        QVERIFY(s.firstMatch);  // a serial-number filter is never replaced
    }

    // Every text of the terminal's sources marked for translation has its German.
    void germanCatalogue()
    {
        QTranslator german;
        QVERIFY(german.load(KESTROVA_BIN_DIR "/translations/corvun_de.qm"));
        QCOMPARE(german.translate("MainWindow", "Connected: localecho on"), QString("Verbunden: lokales Echo ein"));

        const TranslationCoverage coverage =
            TranslationCoverage::check({KESTROVA_SOURCE_DIR "/term"}, german, dir.path());
        QVERIFY2(coverage.error.isEmpty(), qPrintable(coverage.error));
        QVERIFY(coverage.texts > 50);
        QVERIFY2(coverage.missing.isEmpty(), qPrintable(coverage.missing.join('\n')));
    }

    void rememberTakesTheOpenedPort()
    {
        ReconnectSearch s;
        s.remember({entry("/dev/pts/4", 0x1a86, 0x7523, "KESTR1")}, "/dev/pts/4");
        QCOMPARE(s.lastVid, 0x1a86);
        QCOMPARE(s.lastPid, 0x7523);
        QCOMPARE(s.lastSn, QString("kestr1"));
    }
};

QTEST_MAIN(tst_TermSettings)
#include "tst_termsettings.moc"
