// The acquisition's plain pieces: channel-count answers, device families, the
// configuration command text, frame conversion, trace file names, what of a device's
// answer is shown, when to ask about a busy device again, the frame rate.
#include "acquisition/busyquestionrule.h"
#include "acquisition/channelcounts.h"
#include "acquisition/configcommand.h"
#include "acquisition/deviceanswer.h"
#include "acquisition/devicefamily.h"
#include "acquisition/frameconverter.h"
#include "acquisition/ratemeter.h"
#include "config/configdevicecheck.h"
#include "config/daqconfig.h"
#include "recording/tracelayout.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {
void put16(QByteArray &f, int at, int v) { qToLittleEndian<qint16>(qint16(v), f.data() + at); }
void put32(QByteArray &f, int at, qint32 v) { qToLittleEndian<qint32>(v, f.data() + at); }
const uint8_t *bytes(const QByteArray &a) { return reinterpret_cast<const uint8_t *>(a.constData()); }

daqConfig fourAdc24OneImu()
{
    daqConfig c;
    for (int k = 0; k < 4; ++k)
        c.adc24 << adcChannel(-2.4, 2.4, 1, 0, "adc" + QByteArray::number(k));
    c.imu6 << imuChannel(6, 500, "imu0");
    c.sampleSize = c.expectedSampleSize();
    return c;
}
}

class tst_acquisitionparts : public QObject
{
    Q_OBJECT

private slots:
    void channelCounts_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QVector<int>>("counts");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain, CR LF") << QByteArray("8,0,2,2\r\n") << QVector<int>{8, 0, 2, 2} << true;
        QTest::newRow("blanks") << QByteArray(" 8 , 1 ,0, 0") << QVector<int>{8, 1, 0, 0} << true;
        QTest::newRow("window limits") << QByteArray("144,144,24,144") << QVector<int>{144, 144, 24, 144} << true;
        QTest::newRow("parts missing") << QByteArray("2,1") << QVector<int>{2, 1, 0, 0} << false;
        QTest::newRow("not numbers") << QByteArray("x, 4 ,,7") << QVector<int>{0, 4, 0, 7} << false;
        QTest::newRow("absurd") << QByteArray("2000000000,2000000000,0,0")
                                << QVector<int>{2000000000, 2000000000, 0, 0} << false;
        QTest::newRow("negative") << QByteArray("8,-1,2,2") << QVector<int>{8, -1, 2, 2} << false;
        QTest::newRow("beyond int") << QByteArray("99999999999,0,0,0") << QVector<int>{0, 0, 0, 0} << false;
        QTest::newRow("145 channels") << QByteArray("145,0,0,0") << QVector<int>{145, 0, 0, 0} << false;
        QTest::newRow("25 IMUs") << QByteArray("0,0,25,0") << QVector<int>{0, 0, 25, 0} << false;
        QTest::newRow("five parts") << QByteArray("1,2,3,4,5") << QVector<int>{1, 2, 3, 4} << false;
        QTest::newRow("error text") << QByteArray("error: unknown command") << QVector<int>{0, 0, 0, 0} << false;
    }

    void channelCounts()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QVector<int>, counts);
        QFETCH(bool, valid);
        const ChannelCounts c = ChannelCounts::parse(answer);
        QCOMPARE((QVector<int>{c.adc24, c.adc16, c.imu, c.aux}), counts);
        QCOMPARE(c.valid, valid);
    }

    void families()
    {
        QCOMPARE(DeviceFamily::of("KESTR0001"), DeviceFamily::Kestr);
        QCOMPARE(DeviceFamily::of("g12"), DeviceFamily::Kestr);
        QCOMPARE(DeviceFamily::of("H9"), DeviceFamily::Kestr);
        QCOMPARE(DeviceFamily::of("B77"), DeviceFamily::Vortiq);
        QCOMPARE(DeviceFamily::of("x1"), DeviceFamily::None);
        QCOMPARE(DeviceFamily::of(""), DeviceFamily::None);
    }

    void commandTextMainFamily()
    {
        const daqConfig c = fourAdc24OneImu();
        QCOMPARE(configurationCommandText(c, DeviceFamily::Kestr, false),
                 QByteArray("conf:sca:rat 1000\nconf:sca:hea 1\nconf:imu:para 0,6,500\n"
                            "conf:sca:ove 2\nconf:dev 4,0,1"));
        QVERIFY(configurationCommandText(c, DeviceFamily::Kestr, true).contains("conf:sca:hea 0\n"));
    }

    void commandTextOlderFamily()
    {
        daqConfig c;
        c.sampleRate = 500;
        c.adc24 << adcChannel(-1, 1, 1, 0, "a") << adcChannel(-1, 1, 1, 0, "b");
        QCOMPARE(configurationCommandText(c, DeviceFamily::Vortiq, false),
                 QByteArray("conf:sca:rat 500\nconf:sca:gai 0,1\nconf:sca:gai 1,1\nconf:dev 2,0,0"));
    }

    void commandTextRangesAndAux()
    {
        daqConfig c;
        c.imu6 << imuChannel(2000.0, 0.5, "i");
        c.aux << 2;
        const QByteArray t = configurationCommandText(c, DeviceFamily::Kestr, false);
        QVERIFY(t.contains("conf:imu:para 0,2000,0.5\n"));
        QVERIFY(t.endsWith("conf:dev 0,0,1,2"));
        c.aux = {0};
        QVERIFY(configurationCommandText(c, DeviceFamily::Kestr, false).endsWith("conf:dev 0,0,1,0"));
        c.aux.clear();
        QVERIFY(configurationCommandText(c, DeviceFamily::Kestr, false).endsWith("conf:dev 0,0,1"));
    }

    void frameLayoutAndDisplay()
    {
        const daqConfig c = fourAdc24OneImu();
        FrameConverter fc;
        fc.configure(c);
        QCOMPARE(fc.frameSize(), 32);
        QCOMPARE(fc.rowLength(), 10);
        QByteArray f(32, 0);
        put32(f, 4, 0x7FFFFFFF);
        put32(f, 8, qint32(0x80000000));
        put16(f, 20, 16384); // accelerometer x of the IMU sits at byte 20
        float row[FrameConverter::maxRowValues];
        QCOMPARE(fc.displayRow(bytes(f), row), 10);
        QCOMPARE(row[0], 32767.0f / 32768.0f);
        QCOMPARE(row[1], -1.0f);
        QCOMPARE(row[4], 0.5f);

        const float *v24 = fc.adc24Values(bytes(f), 1);
        QVERIFY(qAbs(v24[0] - 2.4f) < 1e-5f);
        QVERIFY(qAbs(v24[1] + 2.4f) < 1e-5f);
        const float *imu = fc.imuValues(bytes(f), 1);
        QCOMPARE(imu[0], 3.0f);
        QVERIFY(!fc.adc16Values(bytes(f), 1));
        QVERIFY(!fc.auxWords(bytes(f), 1));
    }

    void sixteenBitSectionAndAux()
    {
        daqConfig c;
        c.adc16 << adcChannel(0, 10, 1, 0, "a") << adcChannel(-5, 5, 1, 0, "b");
        c.aux << 3;
        FrameConverter fc;
        fc.configure(c);
        QCOMPARE(fc.frameSize(), 8 + 6);
        QByteArray frames(2 * 14, 0);
        for (int s = 0; s < 2; ++s) {
            // Sample-instant order: a1 b1 a2 b2
            put16(frames, 14 * s + 0, 1000 + s);
            put16(frames, 14 * s + 2, 2000 + s);
            put16(frames, 14 * s + 4, 3000 + s);
            put16(frames, 14 * s + 6, 4000 + s);
            put16(frames, 14 * s + 8, -1);
            put16(frames, 14 * s + 10, 7);
            put16(frames, 14 * s + 12, 32767);
        }
        float row[FrameConverter::maxRowValues];
        QCOMPARE(fc.displayRow(bytes(frames) + 14, row), 5);
        QCOMPARE(row[0], 1001 / 32768.0f);
        QCOMPARE(row[1], 2001 / 32768.0f);
        QCOMPARE(row[2], -1 / 32768.0f);

        const float *v16 = fc.adc16Values(bytes(frames), 2);
        const float scale = 10.0f / 65536.0f;
        QCOMPARE(v16[0], 1000 * scale);
        QCOMPARE(v16[1], 2000 * scale);
        QCOMPARE(v16[2], 3000 * scale);
        QCOMPARE(v16[7], 4001 * scale);
        const int16_t *aux = fc.auxWords(bytes(frames), 2);
        QCOMPARE(aux[0], int16_t(-1));
        QCOMPARE(aux[5], int16_t(32767));
    }

    void loadedConfigurationAgainstDevice()
    {
        daqConfig c;
        c.imu6 << imuChannel(6, 500, "a") << imuChannel(6, 500, "b") << imuChannel(6, 500, "c");
        c.adc24 << adcChannel(-1, 1, 1, 0, "x");
        // Only the first failing check is reported.
        QVERIFY(QByteArray(configDeviceMismatch(c, 0, 0, 2, 0)).contains("IMU"));
        QVERIFY(QByteArray(configDeviceMismatch(c, 0, 0, 3, 0)).contains("Adc24"));
        QVERIFY(!configDeviceMismatch(c, 0, 1, 3, 0));
        c.aux = {2};
        QVERIFY(QByteArray(configDeviceMismatch(c, 0, 1, 3, 0)).contains("Aux"));
        QVERIFY(!configDeviceMismatch(c, 0, 1, 3, 2));
        c.aux = {0};
        QVERIFY(!configDeviceMismatch(c, 0, 1, 3, 0));
    }

    void traceNamesNeverOverwrite()
    {
        QTemporaryDir dir;
        const QDateTime t(QDate(2024, 3, 5), QTime(14, 7, 9));
        const QString first = traceFileName(dir.path(), t);
        QCOMPARE(first, dir.path() + "/trace_2024.03.05_14-07-09.h5");
        QFile(first).open(QIODevice::WriteOnly);
        const QString second = traceFileName(dir.path(), t);
        QCOMPARE(second, dir.path() + "/trace_2024.03.05_14-07-09_1.h5");
        QFile(second).open(QIODevice::WriteOnly);
        QCOMPARE(traceFileName(dir.path(), t), dir.path() + "/trace_2024.03.05_14-07-09_2.h5");
    }

    // What of a device's answer may reach a message: text lines, never stream bytes.
    void readableAnswers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("shown");
        QTest::newRow("error text") << QByteArray("error: configuration refused: conf:dev 4,0,1,2\r\n")
                                    << "error: configuration refused: conf:dev 4,0,1,2";
        QTest::newRow("several lines") << QByteArray("error: a\r\nerror: b\r\n") << "error: a\nerror: b";
        QTest::newRow("stream block after a word") << QByteArray("abort #3792\x01\x02\xff\x10") << "abort";
        QTest::newRow("only a block") << QByteArray("#14\x00\x01\x02\x03\n") << QString();
        QTest::newRow("binary line") << QByteArray("ok\n\x01\x80\x81zz\n") << "ok";
        QTest::newRow("UTF-8 kept") << QByteArray("Fehler: Temperatur 20 \xc2\xb0""C") << "Fehler: Temperatur 20 °C";
        QTest::newRow("many lines cut") << QByteArray("1\n2\n3\n4\n5\n6\n") << "1\n2\n3\n4\n…";
        QTest::newRow("empty") << QByteArray() << QString();
    }

    void readableAnswers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, shown);
        QCOMPARE(readableAnswer(answer), shown);
    }

    // After Retry the busy question waits until the device was free in between or 30 s
    // have passed since the answer.
    void busyQuestionRule_data()
    {
        QTest::addColumn<bool>("retried");
        QTest::addColumn<bool>("freeBetween");
        QTest::addColumn<qint64>("laterMs");
        QTest::addColumn<bool>("ask");
        QTest::newRow("first time") << false << false << qint64(0) << true;
        QTest::newRow("right after Retry") << true << false << qint64(200) << false;
        QTest::newRow("29.9 s after Retry") << true << false << qint64(29900) << false;
        QTest::newRow("30 s after Retry") << true << false << qint64(30000) << true;
        QTest::newRow("free in between") << true << true << qint64(200) << true;
    }

    void busyQuestionRule()
    {
        QFETCH(bool, retried);
        QFETCH(bool, freeBetween);
        QFETCH(qint64, laterMs);
        QFETCH(bool, ask);
        BusyQuestionRule rule;
        const qint64 answeredAt = 5000;
        if (retried)
            rule.answeredRetry(answeredAt);
        if (freeBetween)
            rule.deviceFree();
        QCOMPARE(rule.shouldAsk(answeredAt + laterMs), ask);
    }

    // Frames per second over the last second, from the steps' counts.
    void frameRate()
    {
        RateMeter meter;
        for (qint64 t = 0; t <= 3000; t += 25)
            meter.add(t, 25);   // 1000 frames/s
        QCOMPARE(meter.perSecond(3000), 1000.0);
        QCOMPARE(meter.perSecond(3500), 500.0);   // the stream stopped half a second ago
        QCOMPARE(meter.perSecond(4100), 0.0);
    }
};

QTEST_GUILESS_MAIN(tst_acquisitionparts)
#include "tst_acquisitionparts.moc"
