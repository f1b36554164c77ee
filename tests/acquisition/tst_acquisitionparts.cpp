// The acquisition's plain pieces: channel-count answers, device families, the
// configuration command, frame conversion, trace names, what of an answer is shown, when
// to ask about a busy device again, the frame rate.
#include "acquisition/busyquestionrule.h"
#include "acquisition/channelcounts.h"
#include "acquisition/configcommand.h"
#include "acquisition/deviceanswer.h"
#include "acquisition/devicefamily.h"
#include "acquisition/frameconverter.h"
#include "acquisition/ratemeter.h"
#include "config/daqconfig.h"
#include "recording/tracelayout.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

Q_DECLARE_METATYPE(daqConfig)

namespace {
void put16(QByteArray &f, int at, int v) { qToLittleEndian<qint16>(qint16(v), f.data() + at); }
const uint8_t *bytes(const QByteArray &a) { return reinterpret_cast<const uint8_t *>(a.constData()); }

daqConfig makeConfig(int adc24, int adc16, QVector<imuChannel> imus, QVector<int> aux, int rate = 1000)
{
    daqConfig c;
    c.sampleRate = rate;
    for (int k = 0; k < adc24; ++k)
        c.adc24 << adcChannel(-2.4, 2.4, 1, 0, "a" + QByteArray::number(k));
    for (int k = 0; k < adc16; ++k)
        c.adc16 << adcChannel(k ? -5 : 0, k ? 5 : 10, 1, 0, "b" + QByteArray::number(k));
    c.imu6 = imus;
    c.aux = aux;
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
        QTest::newRow("absurd") << QByteArray("2000000000,2000000000,0,0") << QVector<int>{2000000000, 2000000000, 0, 0} << false;
        QTest::newRow("negative") << QByteArray("8,-1,2,2") << QVector<int>{8, -1, 2, 2} << false;
        QTest::newRow("beyond int") << QByteArray("99999999999,0,0,0") << QVector<int>{0, 0, 0, 0} << false;
        QTest::newRow("145 channels") << QByteArray("145,0,0,0") << QVector<int>{145, 0, 0, 0} << false;
        QTest::newRow("five parts") << QByteArray("1,2,3,4,5") << QVector<int>{1, 2, 3, 4} << false;
    }

    void channelCounts()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QVector<int>, counts);
        const ChannelCounts c = ChannelCounts::parse(answer);
        QCOMPARE((QVector<int>{c.adc24, c.adc16, c.imu, c.aux}), counts);
        QTEST(c.valid, "valid");
    }

    void families()
    {
        QCOMPARE((QVector<int>{DeviceFamily::of("KESTR0001"), DeviceFamily::of("g12"), DeviceFamily::of("H9"), DeviceFamily::of("B77"),
                               DeviceFamily::of("x1"), DeviceFamily::of("")}),
                 (QVector<int>{DeviceFamily::Kestr, DeviceFamily::Kestr, DeviceFamily::Kestr, DeviceFamily::Vortiq, DeviceFamily::None, DeviceFamily::None}));
    }

    void commandText_data()
    {
        QTest::addColumn<daqConfig>("config");
        QTest::addColumn<int>("family");
        QTest::addColumn<bool>("wifi");
        QTest::addColumn<QByteArray>("text");
        const daqConfig usual = makeConfig(4, 0, {imuChannel(6, 500, "i")}, {});
        QTest::newRow("USB") << usual << DeviceFamily::Kestr << false
                             << QByteArray("conf:sca:rat 1000\nconf:sca:hea 1\nconf:imu:para 0,6,500\nconf:sca:ove 2\nconf:dev 4,0,1");
        QTest::newRow("WiFi: no headers") << usual << DeviceFamily::Kestr << true
                             << QByteArray("conf:sca:rat 1000\nconf:sca:hea 0\nconf:imu:para 0,6,500\nconf:sca:ove 2\nconf:dev 4,0,1");
        QTest::newRow("older family") << makeConfig(2, 0, {}, {}, 500) << DeviceFamily::Vortiq << false
                                      << QByteArray("conf:sca:rat 500\nconf:sca:gai 0,1\nconf:sca:gai 1,1\nconf:dev 2,0,0");
        QTest::newRow("IMU ranges, AUX") << makeConfig(0, 0, {imuChannel(2000.0, 0.5, "i")}, {2}) << DeviceFamily::Kestr
            << false << QByteArray("conf:sca:rat 1000\nconf:sca:hea 1\nconf:imu:para 0,2000,0.5\nconf:sca:ove 2\nconf:dev 0,0,1,2");
    }

    void commandText()
    {
        QFETCH(daqConfig, config);
        QFETCH(int, family);
        QFETCH(bool, wifi);
        QTEST(configurationCommandText(config, family, wifi), "text");
    }

    // Values at their place in the frame and in physical units: 24-bit, IMU
    // (accelerometer in g, gyroscope in grad/s), 16-bit in sample-instant order, AUX words.
    void frameConversion()
    {
        FrameConverter fc;
        fc.configure(makeConfig(4, 0, {imuChannel(6, 500, "i")}, {}));
        QVERIFY(fc.frameSize() == 32 && fc.rowLength() == 10);
        QByteArray f(32, 0);
        qToLittleEndian<qint32>(0x7FFFFFFF, f.data() + 4);
        qToLittleEndian<qint32>(qint32(0x80000000), f.data() + 8);
        put16(f, 20, 16384);   // accelerometer x
        put16(f, 26, -8192);   // gyroscope x
        float row[FrameConverter::maxRowValues];
        QCOMPARE(fc.displayRow(bytes(f), row), 10);
        QVERIFY(row[0] == 32767.0f / 32768.0f && row[1] == -1.0f && row[4] == 0.5f);
        const float *v24 = fc.adc24Values(bytes(f), 1);
        QVERIFY(qAbs(v24[0] - 2.4f) < 1e-5f && qAbs(v24[1] + 2.4f) < 1e-5f);
        const float *imu = fc.imuValues(bytes(f), 1);
        QVERIFY(imu[0] == 3.0f && imu[3] == -125.0f);   // 3 g, -125 grad/s
        QVERIFY(!fc.adc16Values(bytes(f), 1) && !fc.auxWords(bytes(f), 1));

        fc.configure(makeConfig(0, 2, {}, {3}));
        QCOMPARE(fc.frameSize(), 14);
        QByteArray frames(28, 0);
        for (int s = 0; s < 2; ++s) {
            const int words[7] = {1000 + s, 2000 + s, 3000 + s, 4000 + s, -1, 7, 32767};   // a1 b1 a2 b2, AUX
            for (int w = 0; w < 7; ++w)
                put16(frames, 14 * s + 2 * w, words[w]);
        }
        QCOMPARE(fc.displayRow(bytes(frames) + 14, row), 5);
        QVERIFY(row[0] == 1001 / 32768.0f && row[1] == 2001 / 32768.0f && row[2] == -1 / 32768.0f);
        const float *v16 = fc.adc16Values(bytes(frames), 2);
        const float scale = 10.0f / 65536.0f;
        QVERIFY(v16[0] == 1000 * scale && v16[1] == 2000 * scale && v16[2] == 3000 * scale && v16[7] == 4001 * scale);
        const int16_t *aux = fc.auxWords(bytes(frames), 2);
        QVERIFY(aux[0] == -1 && aux[5] == 32767);
    }

    void traceNamesNeverOverwrite()
    {
        QTemporaryDir dir;
        const QDateTime t(QDate(2024, 3, 5), QTime(14, 7, 9));
        for (const char *suffix : {"", "_1", "_2"}) {
            const QString name = traceFileName(dir.path(), t);
            QCOMPARE(name, dir.path() + "/trace_2024.03.05_14-07-09" + suffix + ".h5");
            QVERIFY(QFile(name).open(QIODevice::WriteOnly));
        }
    }

    // What of a device's answer may reach a message: text lines, never stream bytes.
    void readableAnswers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("shown");
        QTest::newRow("error text") << QByteArray("error: configuration refused: conf:dev 4,0,1,2\r\n")
                                    << "error: configuration refused: conf:dev 4,0,1,2";
        QTest::newRow("stream block after a word") << QByteArray("abort #3792\x01\x02\xff\x10") << "abort";
        QTest::newRow("only a block") << QByteArray("#14\x00\x01\x02\x03\n") << QString();
        QTest::newRow("binary line") << QByteArray("ok\n\x01\x80\x81zz\n") << "ok";
        QTest::newRow("UTF-8 kept") << QByteArray("Fehler: Temperatur 20 \xc2\xb0""C") << "Fehler: Temperatur 20 °C";
        QTest::newRow("many lines cut") << QByteArray("1\n2\n3\n4\n5\n6\n") << "1\n2\n3\n4\n…";
    }

    void readableAnswers()
    {
        QFETCH(QByteArray, answer);
        QTEST(readableAnswer(answer), "shown");
    }

    // After Retry the busy question waits until the device was free in between or 30 s passed.
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
        BusyQuestionRule rule;
        if (retried)
            rule.answeredRetry(5000);
        if (freeBetween)
            rule.deviceFree();
        QTEST(rule.shouldAsk(5000 + laterMs), "ask");
    }

    void frameRate()
    {
        RateMeter meter;
        for (qint64 t = 0; t <= 3000; t += 25)
            meter.add(t, 25);   // 1000 frames/s, then the stream stops
        QVERIFY(meter.perSecond(3000) == 1000.0 && meter.perSecond(3500) == 500.0 && meter.perSecond(4100) == 0.0);
    }
};

QTEST_GUILESS_MAIN(tst_acquisitionparts)
#include "tst_acquisitionparts.moc"
