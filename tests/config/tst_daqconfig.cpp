#include <QtTest>

#include <cmath>
#include <limits>

#include "config/daqconfig.h"

class tst_daqconfig : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void sizeRules();
    void equalityIgnoresMaxDuration();
    void equalityComparesEveryListField();
    void nanIsNeverEqual();
    void copiesAreIndependent();
};

static daqConfig exampleConfig()
{
    daqConfig cfg;
    cfg.adc16 = {adcChannel(-6, 6, 1, 0, "left"), adcChannel(-6, 6, 1, 0, "right")};
    cfg.imu6 = {imuChannel(6, 500, "wrist")};
    cfg.sampleSize = cfg.expectedSampleSize();
    return cfg;
}

void tst_daqconfig::defaults()
{
    daqConfig cfg;
    QCOMPARE(cfg.sampleRate, 1000);
    QCOMPARE(cfg.sampleSize, 0);
    QCOMPARE(cfg.timeline, 10.0);
    QCOMPARE(cfg.maxDuration, 0.0);
    QCOMPARE(cfg.expectedSampleSize(), 0);
    QVERIFY(!cfg.hasChannels());

    cfg = exampleConfig();
    cfg.aux = {2};
    cfg.sampleRate = 4000;
    cfg.timeline = 3;
    cfg.maxDuration = 5;
    cfg.setDefaults();
    QVERIFY(cfg == daqConfig());
    QCOMPARE(cfg.maxDuration, 0.0);
    QVERIFY(!cfg.hasChannels());
}

void tst_daqconfig::sizeRules()
{
    daqConfig cfg;
    cfg.adc24 = {adcChannel(-2.4, 2.4, 1, 0, "a")};
    QCOMPARE(cfg.expectedSampleSize(), 8);  // channel plus the 24-bit block word
    cfg.adc24.append(adcChannel(-2.4, 2.4, 1, 0, "b"));
    QCOMPARE(cfg.expectedSampleSize(), 12);

    cfg = exampleConfig();
    QCOMPARE(cfg.expectedSampleSize(), 20);
    QVERIFY(!cfg.auxActive());
    cfg.aux = {2};
    QCOMPARE(cfg.expectedSampleSize(), 24);
    QVERIFY(cfg.auxActive());

    daqConfig auxOnly;
    auxOnly.aux = {0};
    QVERIFY(auxOnly.hasChannels());
    QCOMPARE(auxOnly.expectedSampleSize(), 0);
    QVERIFY(!auxOnly.auxActive());
}

void tst_daqconfig::equalityIgnoresMaxDuration()
{
    daqConfig a = exampleConfig();
    daqConfig b = a;
    b.maxDuration = 120;
    QVERIFY(a == b);
    b.timeline = 11;
    QVERIFY(a != b);
    b = a;
    b.sampleRate = 2000;
    QVERIFY(!(a == b));
    b = a;
    b.sampleSize = 0;
    QVERIFY(a != b);
}

void tst_daqconfig::equalityComparesEveryListField()
{
    const daqConfig a = exampleConfig();
    daqConfig b = a;
    b.imu6.append(imuChannel(6, 500, "ankle"));
    QVERIFY(a != b);

    b = a;
    b.imu6[0].gyroRange = 250;
    QVERIFY(a != b);
    b = a;
    b.imu6[0].name = "Wrist";
    QVERIFY(a != b);

    for (int field = 0; field < 5; ++field) {
        b = a;
        adcChannel &ch = b.adc16[1];
        switch (field) {
        case 0: ch.rangeMin = -5; break;
        case 1: ch.rangeMax = 5; break;
        case 2: ch.coefA = 2; break;
        case 3: ch.coefB = 0.5; break;
        default: ch.name = "right "; break;
        }
        QVERIFY2(a != b, qPrintable(QString::number(field)));
    }

    // The same channel under the other ADC kind is a different configuration.
    b = a;
    b.adc24 = b.adc16;
    b.adc16.clear();
    QVERIFY(a != b);

    b = a;
    b.aux = {0};
    QVERIFY(a != b);
    daqConfig c = b;
    QVERIFY(c == b);
    c.aux = {2};
    QVERIFY(c != b);
}

void tst_daqconfig::nanIsNeverEqual()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    daqConfig a = exampleConfig();
    a.timeline = nan;
    QVERIFY(a != a);

    a = exampleConfig();
    a.adc16[0].coefB = nan;
    daqConfig b = a;
    QVERIFY(a != b);

    a = exampleConfig();
    a.imu6[0].accRange = nan;
    QVERIFY(a != a);

    a = exampleConfig();
    a.maxDuration = nan;  // not compared
    QVERIFY(a == exampleConfig());
}

void tst_daqconfig::copiesAreIndependent()
{
    daqConfig conf = exampleConfig();
    const daqConfig backup = conf;
    conf.adc16[0].name = "changed";
    conf.imu6.clear();
    QCOMPARE(backup.adc16[0].name, QByteArray("left"));
    QCOMPARE(backup.imu6.size(), 1);
    QVERIFY(backup == exampleConfig());
}

QTEST_APPLESS_MAIN(tst_daqconfig)
#include "tst_daqconfig.moc"
