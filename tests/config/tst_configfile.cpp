#include <QtTest>

#include <QTemporaryDir>
#include <QTextCodec>

#include "config/configfile.h"

static const QByteArray workedExample =
    "timeline=10\n"
    "maxDuration=0\n"
    "sampleRate=1000\n"
    "sampleSize=20\n"
    "adc16\t2\t-6\t6\t1\t0\tleft\n"
    "adc16\t2\t-6\t6\t1\t0\tright\n"
    "imu6\t6\t500\twrist\n";

static const QByteArray generalLines20 =
    "timeline=10\nmaxDuration=0\nsampleRate=1000\nsampleSize=20\n";

static const QString invalid = QStringLiteral("configuration file is invalid.");

class tst_configfile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void workedExampleRoundTrip();
    void wordAndKeyHelpers();
    void openFailures();
    void lineEndings();
    void generalKeyRules();
    void channelLineRules_data();
    void channelLineRules();
    void readingContinuesPastBadLines();
    void hostileInput();
    void saveRules();
    void nonAsciiNamesRoundTrip();

private:
    QString write(const QByteArray &content);
    QTemporaryDir dir;
    int fileCount = 0;
};

QString tst_configfile::write(const QByteArray &content)
{
    const QString path = dir.filePath(QStringLiteral("f%1.conf").arg(++fileCount));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write test file");
    return path;
}

static QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_configfile::initTestCase()
{
    QVERIFY(dir.isValid());
    // Names are written in the local 8-bit encoding; pin it so the test is repeatable.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
}

void tst_configfile::workedExampleRoundTrip()
{
    daqConfig cfg;
    cfg.adc16 = {adcChannel(-6, 6, 1, 0, "left"), adcChannel(-6, 6, 1, 0, "right")};
    cfg.imu6 = {imuChannel(6, 500, "wrist")};
    cfg.sampleSize = 20;
    const QString path = dir.filePath(QStringLiteral("example.conf"));
    QVERIFY(saveConfiguration(cfg, path));
    QCOMPARE(readAll(path), workedExample);

    daqConfig loaded;
    loaded.aux = {7};  // must be reset by the loader
    QCOMPARE(loadConfiguration(loaded, path), QString());
    QVERIFY(loaded == cfg);
    QCOMPARE(loaded.aux.size(), 0);

    // Saving again truncates and reproduces the same bytes.
    QVERIFY(saveConfiguration(loaded, path));
    QCOMPARE(readAll(path), workedExample);

    // Number formats: 'g' with six significant digits, 24-bit block counted.
    daqConfig odd;
    odd.timeline = 2.5;
    odd.maxDuration = 1234567;
    odd.sampleRate = 4000;
    odd.adc24 = {adcChannel(-2.4, 2.4, 1, 0, "x"), adcChannel(-2.4, 2.4, 1e-7, 0, "")};
    odd.aux = {2};
    odd.sampleSize = odd.expectedSampleSize();
    QCOMPARE(odd.sampleSize, 16);
    QVERIFY(saveConfiguration(odd, path));
    QCOMPARE(readAll(path), QByteArray("timeline=2.5\nmaxDuration=1.23457e+06\nsampleRate=4000\n"
                                       "sampleSize=16\nadc24\t2\t-2.4\t2.4\t1\t0\tx\n"
                                       "adc24\t2\t-2.4\t2.4\t1e-07\t0\t\naux\t2\n"));
    QCOMPARE(loadConfiguration(loaded, path), QString());
    QVERIFY(loaded == odd);
    QCOMPARE(loaded.maxDuration, 1234570.0);
}

void tst_configfile::wordAndKeyHelpers()
{
    QCOMPARE(getmatch("timeline=10\n", "timeline="), QString("10"));
    QCOMPARE(getmatch("timeline=10\n\n", "timeline="), QString("10\n"));
    QCOMPARE(getmatch(" timeline=10\n", "timeline="), QString());
    QCOMPARE(getmatch("Timeline=10\n", "timeline="), QString());
    QCOMPARE(getmatch("timeline=\n", "timeline="), QString());
    QCOMPARE(getmatch("aux\t2\r\n", "aux"), QString("\t2\r"));

    QCOMPARE(splitWords("\t 2\t\t-6 x\ny\r\n"), QStringList({"2", "-6", "x", "y\r"}));
    QCOMPARE(splitWords(" \t\n"), QStringList());

    int32_t length = -1;
    QVERIFY(auxdecode("\t2", length));
    QCOMPARE(length, 2);
    QVERIFY(auxdecode("\t0\tignored", length));
    QCOMPARE(length, 0);
    QVERIFY(!auxdecode("\t", length));
    QVERIFY(!auxdecode("\ttwo", length));
    QVERIFY(!auxdecode("\t99999999999", length));
    QVERIFY(!auxdecode("\t-2", length));
    QCOMPARE(length, 0);

    adcChannel ch;
    QVERIFY(adcdecode("\t2\t-6\t6\t1\t0", ch));
    QCOMPARE(ch.name, QByteArray());
    QVERIFY(adcdecode("\t9\t-1e1\t+6.5\t1\t0\tn", ch));
    QCOMPARE(ch.rangeMin, -10.0);
    QCOMPARE(ch.rangeMax, 6.5);
    QCOMPARE(ch.name, QByteArray("n"));
    QVERIFY(!adcdecode("\t2\t-6\t6\t1", ch));
    QVERIFY(!adcdecode("\t2\t-6\tsix\t1\t0\tn", ch));
    QVERIFY(!adcdecode("\t2\tnan\t6\t1\t0\tn", ch));
    QVERIFY(!adcdecode("\t2\t-6\t1e999\t1\t0\tn", ch));

    imuChannel imu;
    QVERIFY(imudecode("\t3\t125", imu));
    QCOMPARE(imu.accRange, 3.0);
    QCOMPARE(imu.name, QByteArray());
    QVERIFY(imudecode("\t24\t2000\tarm", imu));
    QCOMPARE(imu.name, QByteArray("arm"));
    QVERIFY(imudecode("\t24\t2000\tleft arm", imu));
    QCOMPARE(imu.name, QByteArray());
    QVERIFY(!imudecode("\t24", imu));
    QVERIFY(!imudecode("\tx\t2000", imu));
    QVERIFY(!imudecode("\tinf\t2000", imu));
}

void tst_configfile::openFailures()
{
    daqConfig cfg;
    QCOMPARE(loadConfiguration(cfg, dir.filePath("missing.conf")),
             QString("could not open configuration file."));
    QCOMPARE(loadConfiguration(cfg, dir.path()), QString("could not open configuration file."));
    QCOMPARE(loadConfiguration(cfg, write(QByteArray())), QString("configuration file empty."));
    QCOMPARE(loadConfiguration(cfg, write("\n")), invalid);
}

void tst_configfile::lineEndings()
{
    daqConfig cfg;
    // The last line without its line feed is lost, so the sizes no longer match.
    QCOMPARE(loadConfiguration(cfg, write(workedExample.chopped(1))), invalid);
    QCOMPARE(cfg.imu6.size(), 0);
    QCOMPARE(cfg.adc16.size(), 2);

    // CR LF: numbers still read, the carriage return stays on the last word.
    QByteArray crlf = workedExample;
    crlf.replace("\n", "\r\n");
    QCOMPARE(loadConfiguration(cfg, write(crlf)), QString());
    QCOMPARE(cfg.sampleRate, 1000);
    QCOMPARE(cfg.sampleSize, 20);
    QCOMPARE(cfg.adc16.at(1).name, QByteArray("right\r"));
    QCOMPARE(cfg.imu6.at(0).name, QByteArray("wrist\r"));
    QCOMPARE(cfg.imu6.at(0).gyroRange, 500.0);
}

void tst_configfile::generalKeyRules()
{
    daqConfig cfg;
    QByteArray text = workedExample;
    text.replace("timeline=10", " timeline=10");
    QCOMPARE(loadConfiguration(cfg, write(text)), invalid);

    text = workedExample;
    text.replace("maxDuration=0", "timeline=4");
    QCOMPARE(loadConfiguration(cfg, write(text)), QString());
    QCOMPARE(cfg.timeline, 4.0);
    QCOMPARE(cfg.maxDuration, 0.0);

    text = workedExample;
    text.replace("sampleRate=1000", "sampleRate=fast");
    QCOMPARE(loadConfiguration(cfg, write(text)), QString());
    QCOMPARE(cfg.sampleRate, 0);

    // Non-finite values read as 0, like any other unreadable number.
    text = workedExample;
    text.replace("timeline=10", "timeline=nan").replace("maxDuration=0", "maxDuration=-inf");
    QCOMPARE(loadConfiguration(cfg, write(text)), QString());
    QCOMPARE(cfg.timeline, 0.0);
    QCOMPARE(cfg.maxDuration, 0.0);

    text = workedExample;
    text.replace("maxDuration=0", "maxDuration=120");
    QCOMPARE(loadConfiguration(cfg, write(text)), QString());
    QCOMPARE(cfg.maxDuration, 120.0);

    // A key with nothing after it does not count.
    text = workedExample;
    text.replace("maxDuration=0", "maxDuration=");
    QCOMPARE(loadConfiguration(cfg, write(text)), invalid);

    QCOMPARE(loadConfiguration(cfg, write("timeline=10\nmaxDuration=0\nsampleRate=1000\nsampleSize=0\n")),
             invalid);
    text = workedExample;
    text.replace("sampleSize=20", "sampleSize=99999999999");
    QCOMPARE(loadConfiguration(cfg, write(text)), invalid);
    QCOMPARE(cfg.sampleSize, 0);

    // Order of lines is free.
    text = "imu6\t6\t500\twrist\nsampleSize=20\nadc16\t2\t-6\t6\t1\t0\tleft\nsampleRate=1000\n"
           "timeline=10\nadc16\t2\t-6\t6\t1\t0\tright\nmaxDuration=0\n";
    QCOMPARE(loadConfiguration(cfg, write(text)), QString());
    QCOMPARE(cfg.adc16.at(1).name, QByteArray("right"));
}

void tst_configfile::channelLineRules_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<int>("sampleSize");
    QTest::addColumn<bool>("valid");

    const QByteArray adc24 = "adc24\t2\t-2.4\t2.4\t1\t0\tp\n";
    QTest::newRow("two 24-bit with block word") << adc24 + adc24 << 12 << true;
    QTest::newRow("two 24-bit without block word") << adc24 + adc24 << 8 << false;
    QTest::newRow("two-word name") << QByteArray("adc16\t2\t-6\t6\t1\t0\tmy name\n") << 4 << true;
    QTest::newRow("three-number ADC line") << QByteArray("adc16\t2\t-6\t6\t1\n") << 4 << false;
    QTest::newRow("aux with only a tab") << QByteArray("adc16\t2\t-6\t6\t1\t0\tn\naux\t\n") << 4 << false;
    QTest::newRow("aux 0") << QByteArray("adc16\t2\t-6\t6\t1\t0\tn\naux\t0\n") << 4 << true;
    QTest::newRow("aux 2") << QByteArray("adc16\t2\t-6\t6\t1\t0\tn\naux\t2\n") << 8 << true;
    QTest::newRow("negative aux") << QByteArray("adc16\t2\t-6\t6\t1\t0\tn\nadc16\t2\t-6\t6\t1\t0\tn\naux\t-2\n")
                                  << 4 << false;
    QTest::newRow("huge aux") << QByteArray("aux\t2147483647\naux\t2147483647\n") << -4 << false;
    QTest::newRow("keyword alone") << QByteArray("adc16\n") << 0 << false;
    QTest::newRow("blanks between words") << QByteArray("imu6 3  125\t\tx\n") << 12 << true;
}

void tst_configfile::channelLineRules()
{
    QFETCH(QByteArray, lines);
    QFETCH(int, sampleSize);
    QFETCH(bool, valid);
    const QByteArray text = "timeline=10\nmaxDuration=0\nsampleRate=1000\nsampleSize="
        + QByteArray::number(sampleSize) + '\n' + lines;
    daqConfig cfg;
    QCOMPARE(loadConfiguration(cfg, write(text)), valid ? QString() : invalid);
    if (valid)
        QCOMPARE(cfg.expectedSampleSize(), cfg.sampleSize);
    if (QByteArray(QTest::currentDataTag()) == "two-word name")
        QCOMPARE(cfg.adc16.at(0).name, QByteArray());
    if (QByteArray(QTest::currentDataTag()) == "aux 0") {
        QCOMPARE(cfg.aux, QVector<int32_t>({0}));
        QVERIFY(!cfg.auxActive());
    }
}

void tst_configfile::readingContinuesPastBadLines()
{
    daqConfig cfg;
    const QByteArray text = generalLines20 + "adc16\t2\t-6\t6\t1\t0\tleft\n"
        "adc16\t2\tbad\t6\t1\t0\tright\n"
        "imu6\t6\t500\twrist\n";
    QCOMPARE(loadConfiguration(cfg, write(text)), invalid);
    QCOMPARE(cfg.adc16.size(), 1);
    QCOMPARE(cfg.imu6.size(), 1);
    QCOMPARE(cfg.imu6.at(0).name, QByteArray("wrist"));
    QCOMPARE(cfg.timeline, 10.0);
}

void tst_configfile::hostileInput()
{
    daqConfig cfg;
    QByteArray nul = workedExample;
    nul.replace("right", QByteArray("ri\0ght", 6));
    QCOMPARE(loadConfiguration(cfg, write(nul)), QString());
    QCOMPARE(cfg.adc16.at(1).name, QByteArray("ri\0ght", 6));

    QCOMPARE(loadConfiguration(cfg, write(QByteArray(100000, '\0'))), invalid);
    QCOMPARE(loadConfiguration(cfg, write(QByteArray(900000, 'x') + "\n")), invalid);

    // Far larger than any configuration: refused without being taken in whole.
    QByteArray huge = workedExample;
    huge += QByteArray(2 * 1024 * 1024, '\n');
    QCOMPARE(loadConfiguration(cfg, write(huge)), invalid);
    QVERIFY(!cfg.hasChannels());
    if (QFile::exists("/dev/zero"))
        QCOMPARE(loadConfiguration(cfg, "/dev/zero"), invalid);
}

void tst_configfile::saveRules()
{
    const QString path = dir.filePath("nochannels.conf");
    daqConfig empty;
    QVERIFY(!saveConfiguration(empty, path));
    QVERIFY(!QFile::exists(path));

    daqConfig cfg;
    cfg.aux = {0};
    QVERIFY(saveConfiguration(cfg, path));
    QCOMPARE(readAll(path), QByteArray("timeline=10\nmaxDuration=0\nsampleRate=1000\nsampleSize=0\naux\t0\n"));

    QVERIFY(!saveConfiguration(cfg, dir.filePath("no/such/folder/x.conf")));

    // Each AUX entry is written, so what the loader accepted saves to a file it accepts again.
    const QByteArray twoAux = generalLines20 + "adc16\t2\t-6\t6\t1\t0\tn\naux\t2\naux\t6\n";
    QCOMPARE(loadConfiguration(cfg, write(twoAux)), QString());
    QVERIFY(saveConfiguration(cfg, path));
    QCOMPARE(readAll(path), twoAux);
}

void tst_configfile::nonAsciiNamesRoundTrip()
{
    daqConfig cfg;
    cfg.adc16 = {adcChannel(-6, 6, 1, 0, QString::fromUtf8("Kraft_Süd").toUtf8())};
    cfg.imu6 = {imuChannel(3, 125, QString::fromUtf8("Δknie").toUtf8())};
    cfg.sampleSize = cfg.expectedSampleSize();
    const QString path = dir.filePath("umlaut.conf");
    QVERIFY(saveConfiguration(cfg, path));
    QVERIFY(readAll(path).contains(QString::fromUtf8("Kraft_Süd").toLocal8Bit()));
    daqConfig loaded;
    QCOMPARE(loadConfiguration(loaded, path), QString());
    QCOMPARE(loaded.adc16.at(0).name, cfg.adc16.at(0).name);
    QVERIFY(loaded == cfg);
}

QTEST_GUILESS_MAIN(tst_configfile)
#include "tst_configfile.moc"
