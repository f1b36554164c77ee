#include <QtTest>

#include "acquisition/frameconverter.h"
#include "config/daqconfig.h"
#include "filebytes.h"
#include "h5reader.h"
#include "hdf5tools.h"
#include "recording/metadataoverlay.h"
#include "recording/recordspace.h"
#include "recording/tracefilestate.h"
#include "recording/tracelayout.h"
#include "recording/tracerecording.h"
#include "recording/tracewriter.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <memory>

Q_DECLARE_METATYPE(daqConfig)

namespace {

// A trace file as HDF5's default driver reads it.
struct TraceContents
{
    bool opened = false;
    quint64 frames = 0;          // the fewest frames any "values" dataset holds
    quint64 mostFrames = 0;      // the most
    QString problem;             // empty when every stored row holds its frame's values
    QVector<quint64> gaps;       // three numbers a row
    QList<TraceMarker> markers;
};

// Deterministic noise of a frame and a position.
uint32_t noise(quint64 frame, int position)
{
    uint64_t x = frame * 0x9E3779B97F4A7C15ull + uint64_t(position) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return uint32_t(x ^ (x >> 31));
}

// A sensor-like signal in counts of a converter with the given full scale.
double signal(quint64 frame, int position, double fullScale)
{
    const double wave = 0.4 * std::sin(0.003 * double(frame) + 0.7 * position) + 0.05;
    return wave * fullScale + double(int(noise(frame, position) % 64) - 32) * fullScale / 8192.0;
}

// Compares the stored rows with the converted frames; returns the frames they hold.
template <typename T>
quint64 compareRows(const QVector<T> &stored, const T *expected, int valuesPerFrame, int rowsPerFrame,
                    QString *problem, const char *name)
{
    const int rowValues = valuesPerFrame / rowsPerFrame;
    const int rows = rowValues > 0 ? stored.size() / rowValues : 0;
    // One row of zeros is the placeholder a dataset is created with.
    bool zeros = rows == 1;
    for (const T &v : stored)
        zeros = zeros && v == T(0);
    if (zeros)
        return 0;
    if (rows % rowsPerFrame != 0 && problem->isEmpty())
        *problem = QStringLiteral("%1: %2 rows are no whole frames").arg(name).arg(rows);
    if (std::memcmp(stored.constData(), expected, size_t(stored.size()) * sizeof(T)) != 0 && problem->isEmpty())
        *problem = QStringLiteral("%1: stored values differ from the frames").arg(name);
    return quint64(rows / rowsPerFrame);
}

daqConfig traceTestConfig(int n16, int n24, int nImu, int auxWords, int sampleRate)
{
    daqConfig conf;
    conf.sampleRate = sampleRate;
    for (int i = 0; i < n16; ++i)
        conf.adc16.append(adcChannel(-6.0, 6.0, 1.0, 0.0, "a" + QByteArray::number(i + 1)));
    for (int i = 0; i < n24; ++i)
        conf.adc24.append(adcChannel(-2.4, 2.4 + 0.1 * i, 1.0, 0.0, "b" + QByteArray::number(i + 1)));
    for (int i = 0; i < nImu; ++i)
        conf.imu6.append(imuChannel(6.0, 500.0, "imu" + QByteArray::number(i + 1)));
    if (auxWords > 0)
        conf.aux = {auxWords};
    conf.sampleSize = conf.expectedSampleSize();
    return conf;
}

// `count` frames numbered from `first`: slow sines plus noise, a pure function of the
// frame number, so that any stretch can be made again to check a file.
QByteArray traceTestFrames(const daqConfig &conf, quint64 first, int count)
{
    const int n24 = conf.adc24.size();
    const int n16 = conf.adc16.size();
    const int nAux = conf.auxActive() ? conf.aux.first() : 0;
    QByteArray bytes(conf.sampleSize * count, '\0');
    for (int s = 0; s < count; ++s) {
        const quint64 f = first + quint64(s);
        uchar *p = reinterpret_cast<uchar *>(bytes.data()) + conf.sampleSize * s;
        if (n24 > 0) {
            qToLittleEndian<quint32>(quint32(f), p);   // status word
            p += 4;
            for (int k = 0; k < n24; ++k, p += 4)
                qToLittleEndian<qint32>(qint32(signal(f, k, 2147483647.0)), p);
        }
        const int words16 = 2 * n16 + 6 * conf.imu6.size() + nAux;
        for (int v = 0; v < words16; ++v, p += 2)
            qToLittleEndian<qint16>(qint16(signal(f, 100 + v, 32767.0)), p);
    }
    return bytes;
}

// The file as HDF5's default driver reads it, checked against the frames it should hold.
TraceContents readTrace(const QString &fileName, const daqConfig &conf)
{
    TraceContents contents;
    H5E_auto2_t oldFunc = nullptr;
    void *oldData = nullptr;
    H5Eget_auto2(H5E_DEFAULT, &oldFunc, &oldData);
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    const hid_t file = H5Fopen(fileName.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    contents.opened = file >= 0;
    if (file >= 0) {
        const QVector<float> adc16 = readFloats(file, "/adc/values");
        const QVector<float> adc24 = readFloats(file, conf.adc16.isEmpty() ? "/adc/values" : "/adc24/values");
        const QVector<float> imu = readFloats(file, "/imu6/values");
        const QVector<qint16> aux = readInt16s(file, "/aux/values");
        // The most frames any dataset may hold; the conversion follows the recording's.
        auto framesIn = [](int values, int perFrame) { return perFrame > 0 ? (values + perFrame - 1) / perFrame : 0; };
        const int most = std::max({framesIn(adc16.size(), 2 * conf.adc16.size()),
                                   framesIn(adc24.size(), conf.adc24.size()),
                                   framesIn(imu.size(), 6 * conf.imu6.size()),
                                   framesIn(aux.size(), conf.auxActive() ? conf.aux.first() : 0)});
        // Snapshot after snapshot of one recording: make its frames once.
        static QByteArray frames;
        static QVector<int> framesKey;
        const QVector<int> key{conf.sampleSize, conf.adc16.size(), conf.adc24.size(), conf.imu6.size()};
        if (key != framesKey || frames.size() < most * conf.sampleSize) {
            frames = traceTestFrames(conf, 0, most);
            framesKey = key;
        }
        FrameConverter conv;
        conv.configure(conf);
        const auto *raw = reinterpret_cast<const uint8_t *>(frames.constData());
        QList<quint64> counts;
        if (!conf.adc16.isEmpty())
            counts << compareRows(adc16, conv.adc16Values(raw, most), 2 * conf.adc16.size(), 2, &contents.problem, "adc16");
        if (!conf.adc24.isEmpty())
            counts << compareRows(adc24, conv.adc24Values(raw, most), conf.adc24.size(), 1, &contents.problem, "adc24");
        if (!conf.imu6.isEmpty())
            counts << compareRows(imu, conv.imuValues(raw, most), 6 * conf.imu6.size(), 1, &contents.problem, "imu6");
        if (conf.auxActive())
            counts << compareRows(aux, conv.auxWords(raw, most), conf.aux.first(), 1, &contents.problem, "aux");
        const auto [fewest, largest] = std::minmax_element(counts.begin(), counts.end());
        contents.frames = counts.isEmpty() ? 0 : *fewest;
        contents.mostFrames = counts.isEmpty() ? 0 : *largest;
        contents.gaps = readGaps(file);
        contents.markers = readMarkers(file);
        if (H5Fclose(file) < 0 && contents.problem.isEmpty())
            contents.problem = QStringLiteral("the file did not close cleanly");
    }
    H5Eset_auto2(H5E_DEFAULT, oldFunc, oldData);
    return contents;
}

const QDateTime startTime(QDate(2024, 4, 5), QTime(14, 7, 9));

// h5dump's text of a file on one line, without where and how well the chunks were
// stored. Empty when h5dump fails.
QString dumpText(const QString &fileName)
{
    QByteArray out;
    if (!runTool(QStringLiteral("h5dump"), {"-p", fileName}, 60000, &out).isEmpty())
        return QString();
    QStringList kept;
    for (const QString &line : QString::fromUtf8(out).split('\n'))
        if (!line.trimmed().startsWith("SIZE ") && !line.trimmed().startsWith("OFFSET "))
            kept << line.simplified();
    return kept.join(' ');
}

// Hands `frames` frames to a started writer in blocks of 100, calling `between` before
// each block, and waits for the end. Returns the frames the writer reports as written.
quint64 recordAll(TraceWriter &writer, const daqConfig &conf, int frames,
                  const std::function<void(int done)> &between = {})
{
    QSignalSpy finished(&writer, &TraceWriter::finished);
    const QByteArray data = traceTestFrames(conf, 0, frames);
    for (int done = 0; done < frames; done += 100) {
        if (between)
            between(done);
        if (!writer.appendFrames(reinterpret_cast<const uint8_t *>(data.constData()) + done * conf.sampleSize,
                                 qMin(100, frames - done)))
            return 0;
    }
    writer.finish();
    if (!finished.wait(10000) || !finished.at(0).at(0).toBool())
        return 0;
    return finished.at(0).at(1).toULongLong();
}

} // namespace

class tst_TraceWriter : public QObject
{
    Q_OBJECT

private:
    struct Snapshot
    {
        QString file;
        quint64 committed;   // frames of the last finished commit
        quint64 appended;
        bool synced;         // taken after a sync, else after a write
        int commit;          // the commit under way, -1 between commits
    };

    std::unique_ptr<QTemporaryDir> dir;

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    void cleanup()
    {
        TraceFileState::setTestHooks({});
        dir.reset();
        // Whatever the writer opened is closed once it has finished, failure or not.
        QCOMPARE(H5Fget_obj_count(H5F_OBJ_ALL, H5F_OBJ_ALL), ssize_t(0));
    }

    // Writes as "address type level size" (type s: superblock, b: B-tree, o: object header,
    // h: heap), the committed end, and the groups a commit makes of them.
    void overlayCommitOrder_data()
    {
        QTest::addColumn<QString>("writes");
        QTest::addColumn<int>("committedEnd");
        QTest::addColumn<QString>("plan");
        QTest::newRow("first commit: all fresh") << "0 s -1 96, 800 o -1 272, 96 b 0 544" << 0 << "fresh 0 96 800";
        QTest::newRow("split: fresh first, index from the root down")
            << "9000 b 0 300, 100 b 0 50, 4096 b 2 50, 300 b 1 50, 700 b 0 50, 400 o -1 50, 500 h -1 50, 0 s -1 96" << 8192
            << "fresh 9000 | 0 | 4096 | 300 | 100 500 700 | 400";
        QTest::newRow("no split: index with the superblock")
            << "100 b 0 50, 4096 b 2 50, 300 b 1 50, 2064 o -1 272, 0 s -1 96" << 8192 << "fresh | 0 4096 300 100 | 2064";
        QTest::newRow("a header straddling the committed end is in place") << "8000 o -1 400" << 8192 << "fresh | 8000";
        QTest::newRow("a header right at the committed end is fresh") << "8192 o -1 400" << 8192 << "fresh 8192";
    }

    void overlayCommitOrder()
    {
        QFETCH(QString, writes);
        QFETCH(int, committedEnd);
        const QHash<QString, H5FD_mem_t> types{{"s", H5FD_MEM_SUPER}, {"b", H5FD_MEM_BTREE}, {"o", H5FD_MEM_OHDR},
                                               {"h", H5FD_MEM_LHEAP}};
        MetadataOverlay overlay;
        for (const QString &w : writes.split(", ")) {
            const QStringList f = w.split(' ');
            QByteArray bytes(f[3].toInt(), char(f[0].toInt() & 0x7f));
            if (f[2].toInt() >= 0)   // a B-tree node names its level
                bytes.replace(0, 8, QByteArray("TREE\x01", 5) + char(f[2].toInt()) + QByteArray(2, '\0'));
            overlay.write(f[0].toULongLong(), types.value(f[1]), bytes.constData(), size_t(bytes.size()));
        }
        const MetadataOverlay::CommitPlan result = overlay.commitPlan(haddr_t(committedEnd));
        QStringList groups{"fresh"};
        for (const MetadataOverlay::Extent *e : result.fresh)
            groups[0] += ' ' + QString::number(e->address);
        for (const auto &group : result.inPlace) {
            QStringList addresses;
            for (const MetadataOverlay::Extent *e : group)
                addresses << QString::number(e->address);
            groups << addresses.join(' ');
        }
        QTEST(groups.join(" | "), "plan");
    }

    // The trace file as its readers know it: parts of its h5dump text.
    void layout_data()
    {
        QTest::addColumn<daqConfig>("conf");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");

        // Pieces of h5dump's text: fixed-size ASCII strings sized to their text, tables
        // stored as they are, values chunked and compressed.
        const auto strings = [](const char *name, const QStringList &texts) {
            int size = 0;
            for (const QString &t : texts)
                size = qMax(size, t.size());
            const QString space = texts.size() == 1 ? "SCALAR" : QStringLiteral("SIMPLE { ( %1 ) / ( %1 ) }").arg(texts.size());
            return QStringLiteral("ATTRIBUTE \"%1\" { DATATYPE H5T_STRING { STRSIZE %2; STRPAD H5T_STR_NULLTERM; "
                                  "CSET H5T_CSET_ASCII; CTYPE H5T_C_S1; } DATASPACE %3 DATA { (0): \"%4\" } }")
                .arg(name).arg(size).arg(space, texts.join("\", \""));
        };
        const QString plain = "STORAGE_LAYOUT { CONTIGUOUS } FILTERS { NONE } FILLVALUE { FILL_TIME H5D_FILL_TIME_IFSET "
                              "VALUE H5D_FILL_VALUE_DEFAULT } ALLOCATION_TIME { H5D_ALLOC_TIME_LATE } DATA { ";
        const auto group = [&plain](const char *name, int rate) {
            return QStringLiteral("GROUP \"%1\" { DATASET \"fSample\" { DATATYPE H5T_IEEE_F64LE DATASPACE SCALAR %2(0): %3 } }")
                .arg(name, plain).arg(rate);
        };
        const auto table = [&plain](const QString &dims, const QString &data) {
            return QStringLiteral("DATASET \"ranges\" { DATATYPE H5T_IEEE_F64LE DATASPACE SIMPLE { ( %1 ) / ( %1 ) } %2%3 } }")
                .arg(dims, plain, data);
        };
        const auto values = [](const char *type, const QString &dims, const QString &chunk) {
            const QString unlimited = QString("H5S_UNLIMITED, ").repeated(dims.count(QChar(44)) + 1).chopped(2);
            return QStringLiteral("DATASET \"values\" { DATATYPE %1 DATASPACE SIMPLE { ( %2 ) / ( %3 ) } STORAGE_LAYOUT "
                                  "{ CHUNKED ( %4 ) } FILTERS { COMPRESSION DEFLATE { LEVEL 6 } }")
                .arg(type, dims, unlimited, chunk);
        };
        const QString adc16 = "data from 16 bit ADCs: [channel_1, channel_2,... channel_n]";
        const QString adc24 = "data from 24 bit ADCs: [channel_1, channel_2,... channel_n]";
        const QString imu = "data from 6 axis IMU, [[acc_x, acc_y, acc_z, gyro_x, gyro_y, gyro_z],...]]";
        const QString stamp = QString::number(startTime.toSecsSinceEpoch());
        const char *f32 = "H5T_IEEE_F32LE";

        QTest::newRow("16-bit, IMU, AUX")
            << traceTestConfig(3, 0, 1, 2, 1000) << 300
            << QStringList{strings("creator", {traceCreatorText()}), strings("description", {"lumetrix data file"}),
                           strings("timestamp", {stamp}), group("adc", 2000), table("3", "(0): 6, 6, 6"),
                           values(f32, "600, 3", "334, 3"), strings("description", {adc16}),
                           strings("names", {"a1", "a2", "a3"}),
                           "ATTRIBUTE \"oversamplingFactor\" { DATATYPE H5T_STD_I32LE DATASPACE SCALAR DATA { (0): 2 } }",
                           strings("unit", {"Volt"}), group("aux", 1000), values("H5T_STD_I16LE", "300, 2", "501, 2"),
                           strings("description", {"raw data from AUX device, int16 Array"}), strings("name", {"auxName"}),
                           group("imu6", 1000), table("1, 2", "(0,0): 6, 500"), values(f32, "300, 1, 6", "167, 1, 6"),
                           strings("description", {imu}), strings("names", {"imu1"}), strings("units", {"g", "grad/s"})}
            << QStringList{"ATTRIBUTE \"ranges\"", "GROUP \"adc24\""};
        QTest::newRow("24-bit and four IMUs")
            << traceTestConfig(0, 8, 4, 0, 1000) << 300
            << QStringList{group("adc", 1000), table("8", "(0): 2.4, 2.5, 2.6, 2.7, 2.8, 2.9, 3, 3.1"),
                           values(f32, "300, 8", "126, 8"), strings("description", {adc24}),
                           "ATTRIBUTE \"oversamplingFactor\" { DATATYPE H5T_STD_I32LE DATASPACE SCALAR DATA { (0): 1 } }",
                           "ATTRIBUTE \"ranges\" { DATATYPE H5T_IEEE_F64LE DATASPACE SIMPLE { ( 8 ) / ( 8 ) } DATA { (0): 2.4, 2.5,",
                           table("4, 2", "(0,0): 6, 500, (1,0): 6, 500, (2,0): 6, 500, (3,0): 6, 500"),
                           values(f32, "300, 4, 6", "42, 4, 6"), strings("names", {"imu1", "imu2", "imu3", "imu4"})}
            << QStringList{"GROUP \"aux\"", "GROUP \"adc24\""};
        QTest::newRow("both ADC kinds: 24-bit apart")
            << traceTestConfig(2, 1, 0, 0, 1000) << 300
            << QStringList{group("adc", 2000), values(f32, "600, 2", "501, 2"), strings("description", {adc16}),
                           group("adc24", 1000), table("1", "(0): 2.4"), values(f32, "300, 1", "1001, 1"),
                           strings("description", {adc24}), strings("names", {"b1"})}
            << QStringList{"GROUP \"imu6\"", "GROUP \"aux\""};
        daqConfig many = traceTestConfig(25, 0, 5, 0, 1000);
        for (adcChannel &c : many.adc16)
            c.name.clear();
        many.aux = {0};
        QTest::newRow("unnamed, too many for range tables")
            << many << 300 << QStringList{values(f32, "600, 25", "41, 25"), strings("unit", {"Volt"}), values(f32, "300, 5, 6", "34, 5, 6")}
            << QStringList{"DATASET \"ranges\"", strings("description", {adc16}) + " ATTRIBUTE \"names\"", "GROUP \"aux\""};
        QTest::newRow("nothing recorded: one row of zeros")
            << traceTestConfig(3, 0, 1, 2, 1000) << 0
            << QStringList{values(f32, "1, 3", "334, 3"), "H5D_ALLOC_TIME_INCR } DATA { (0,0): 0, 0, 0 }",
                           "H5D_ALLOC_TIME_INCR } DATA { (0,0,0): 0, 0, 0, 0, 0, 0 }", "H5D_ALLOC_TIME_INCR } DATA { (0,0): 0, 0 }"}
            << QStringList{};
    }

    void layout()
    {
        QFETCH(daqConfig, conf);
        QFETCH(int, frames);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        QCOMPARE(traceFileName("/x/traces", startTime), QStringLiteral("/x/traces/trace_2024.04.05_14-07-09.h5"));
        TraceWriter writer;
        QSignalSpy committed(&writer, &TraceWriter::committed);
        const QString name = traceFileName(dir->path(), startTime);
        QString error;
        QVERIFY2(writer.start(conf, name, startTime, &error), qPrintable(error));
        QVERIFY(readTrace(name, conf).opened);   // readable from the start
        QCOMPARE(recordAll(writer, conf, frames), quint64(frames));
        QCOMPARE(writer.framesHandedOver(), quint64(frames));
        QCOMPARE(writer.framesCommitted(), quint64(frames));
        QCOMPARE(writer.queueFill(), 0.0);
        QVERIFY(!writer.isRecording());
        QVERIFY(frames == 0 || committed.last().at(0).toULongLong() == quint64(frames));
        QVERIFY(frames == 0 || committed.last().at(1).toLongLong() == QFileInfo(name).size());
        const TraceContents contents = readTrace(name, conf);
        QVERIFY2(contents.problem.isEmpty(), qPrintable(contents.problem));
        QCOMPARE(contents.frames, quint64(frames));
        QVERIFY(contents.gaps.isEmpty() && contents.markers.isEmpty());

        const QString dump = dumpText(name);
        for (const QString &part : present)
            QVERIFY2(dump.contains(part), qPrintable(part + "\nnot in\n" + dump));
        for (const QString &part : absent)
            QVERIFY2(!dump.contains(part), qPrintable(part));
    }

    void gapsAndMarkers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("stored");

        const QByteArray full(64, 'x');
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("UTF-8") << QByteArray("Ventil auf, 20 °C") << QByteArray("Ventil auf, 20 °C");
        QTest::newRow("exactly 64 bytes") << full << full;
        QTest::newRow("cut before a character that does not fit") << QByteArray(63, 'y') + "ä" << QByteArray(63, 'y');
        QTest::newRow("cut between characters") << QByteArray("ü").repeated(40) << QByteArray("ü").repeated(32);
    }

    void gapsAndMarkers()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, stored);
        const daqConfig conf = traceTestConfig(0, 2, 1, 0, 500);
        TraceWriter writer;
        const QString name = dir->path() + "/marks.h5";
        QString error;
        QVERIFY2(writer.start(conf, name, startTime, &error), qPrintable(error));
        QCOMPARE(recordAll(writer, conf, 300, [&](int done) {
            if (done == 100)
                QVERIFY(writer.addGap(100, 5, true));
            if (done == 200) {
                QVERIFY(writer.addMarker(150, 0.3, text));
                QVERIFY(writer.addGap(200, 12, false));
            }
        }), quint64(300));

        const TraceContents contents = readTrace(name, conf);
        QVERIFY2(contents.problem.isEmpty(), qPrintable(contents.problem));
        QCOMPARE(contents.gaps, QVector<quint64>({100, 5, 1, 200, 12, 0}));
        QCOMPARE(contents.markers.size(), 1);
        QCOMPARE(contents.markers[0].frame, quint64(150));
        QCOMPARE(contents.markers[0].seconds, 0.3);
        QCOMPARE(contents.markers[0].text, stored);

        // The types as every reader sees them, uncompressed.
        QByteArray header;
        QVERIFY(runTool(QStringLiteral("h5dump"), {"-H", "-p", "-d", "/gaps", "-d", "/markers", name}, 60000, &header).isEmpty());
        const QString types = QString::fromUtf8(header).simplified();
        QVERIFY(types.contains("DATASET \"/gaps\" { DATATYPE H5T_STD_U64LE DATASPACE SIMPLE { ( 2, 3 ) / ( H5S_UNLIMITED, 3 ) }"));
        QVERIFY(types.contains("DATATYPE H5T_COMPOUND { H5T_STD_U64LE \"frame\"; H5T_IEEE_F64LE \"seconds\"; "
                               "H5T_STRING { STRSIZE 64; STRPAD H5T_STR_NULLPAD; CSET H5T_CSET_UTF8; CTYPE H5T_C_S1; } "
                               "\"text\"; } DATASPACE SIMPLE { ( 1 ) / ( H5S_UNLIMITED ) }"));
        QCOMPARE(types.count("FILTERS { NONE }"), 2);
    }

    // A commit takes the partial last chunk of every dataset unfiltered and full size, so
    // that it keeps its place in every later write and a kill never leaves the index
    // pointing at space reused since.
    void partialChunksStayInPlace()
    {
        const daqConfig conf = traceTestConfig(3, 0, 1, 2, 1000);
        const QString name = dir->path() + "/tails.h5";
        const QString first = dir->path() + "/first.h5";
        int frames = 0;
        {
            TraceRecording recording;
            QString error;
            QVERIFY2(recording.create(conf, name, startTime, &error), qPrintable(error));
            for (int block : {50, 400, 3, 37}) {
                const QByteArray data = traceTestFrames(conf, quint64(frames), block);
                recording.appendFrames(reinterpret_cast<const uint8_t *>(data.constData()), block);
                frames += block;
                QVERIFY(recording.writeChunks(false));
                QVERIFY(recording.commit());
                if (frames == 50)
                    QVERIFY(QFile::copy(name, first));
            }
            QVERIFY(recording.close());
        }
        // Filter mask 1: the chunk is stored as it is, without deflate.
        const QString script = QStringLiteral(
            "import h5py, sys\n"
            "f = h5py.File(sys.argv[1], 'r')\n"
            "print(sorted({d.id.get_chunk_info(i).filter_mask for d in (f['adc/values'], f['imu6/values'], f['aux/values'])"
            " for i in range(d.id.get_num_chunks())}))\n");
        for (const auto &[file, masks] : {qMakePair(first, QByteArray("[1]")), qMakePair(name, QByteArray("[0, 1]"))}) {
            const TraceContents contents = readTrace(file, conf);
            QVERIFY2(contents.problem.isEmpty(), qPrintable(contents.problem));
            QCOMPARE(contents.frames, quint64(file == first ? 50 : frames));
            QByteArray out;
            const QString problem = runPython(script, {file}, &out);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            QCOMPARE(out.trimmed(), masks);
        }
    }

    void everyWritePrefixIsReadable_data()
    {
        QTest::addColumn<daqConfig>("conf");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("commitEvery");
        QTest::addColumn<int>("snapshotFrom");   // frames appended before snapshots begin
        QTest::addColumn<bool>("rawWrites");     // also snapshot the chunk writes between commits
        QTest::addColumn<QStringList>("h5dumpOptions");
        QTest::newRow("every write") << traceTestConfig(3, 0, 1, 2, 1000) << 1200 << 240 << 0 << true
                                     << QStringList{"-o", "/dev/null"};
        // Over 3000 one-row AUX chunks: that index grows a third level on the way.
        QTest::newRow("commits while the index deepens") << traceTestConfig(0, 0, 1, 1000, 1000) << 3800 << 200
                                                         << 3000 << false << QStringList{"-H", "-p"};
    }

    // A kill at any moment leaves the file as one of these snapshots, taken after every
    // physical write: each one opens with the default driver and h5dump and holds at least
    // the frames of the last finished commit, every value as recorded. A power cut may also
    // leave any part of the writes since the last sync: see checkPowerLoss.
    void everyWritePrefixIsReadable()
    {
        QFETCH(daqConfig, conf);
        QFETCH(int, frames);
        QFETCH(int, commitEvery);
        QFETCH(int, snapshotFrom);
        QFETCH(bool, rawWrites);
        QFETCH(QStringList, h5dumpOptions);

        QList<Snapshot> snapshots;
        TraceRecording recording;
        bool started = false;
        int commit = -1;   // the commit under way, -1 between commits
        int commits = 0;
        TraceFileState::TestHooks hooks;
        hooks.audit = true;
        hooks.afterWrite = [&](const QString &path, bool synced) {
            if (!started || recording.framesAppended() < quint64(snapshotFrom) || (commit < 0 && !rawWrites))
                return;
            const QString copy = dir->path() + QStringLiteral("/snap%1.h5").arg(snapshots.size(), 5, 10, QChar('0'));
            QVERIFY(QFile::copy(path, copy));
            snapshots.append({copy, recording.framesCommitted(), recording.framesAppended(), synced, commit});
        };
        TraceFileState::setTestHooks(hooks);

        const QString name = dir->path() + "/trace.h5";
        QString error;
        QVERIFY2(recording.create(conf, name, startTime, &error), qPrintable(error));
        started = true;
        for (int done = 0; done < frames; done += 40) {
            const QByteArray data = traceTestFrames(conf, quint64(done), 40);
            recording.appendFrames(reinterpret_cast<const uint8_t *>(data.constData()), 40);
            if (done == 400)
                recording.addGap(440, 3, true);
            if (done == 520)
                recording.addMarker(560, 0.56, "valve");
            QVERIFY(recording.writeChunks(false));
            if ((done + 40) % commitEvery == 0) {
                commit = commits++;
                QVERIFY(recording.commit());
                commit = -1;
            }
        }
        QCOMPARE(recording.fileState()->auditViolations(), quint64(0));
        QVERIFY(recording.close());
        QVERIFY(snapshots.size() > 10);

        const TraceContents final = readTrace(name, conf);
        QVERIFY2(final.problem.isEmpty(), qPrintable(final.problem));
        QCOMPARE(final.frames, quint64(frames));
        if (rawWrites)
            QCOMPARE(final.gaps.size(), 3);
        else
            QVERIFY(fileBytes(name).contains(QByteArray("TREE\x01\x02", 6)));   // a level-2 index node

        for (const Snapshot &s : snapshots) {
            const TraceContents c = readTrace(s.file, conf);
            QVERIFY2(c.opened && c.problem.isEmpty(), qPrintable(s.file + ": " + c.problem));
            QVERIFY2(c.frames >= s.committed && c.mostFrames <= s.appended,
                     qPrintable(QStringLiteral("%1: %2 frames, committed %3").arg(s.file).arg(c.frames).arg(s.committed)));
            QVERIFY(c.gaps == final.gaps.mid(0, c.gaps.size()));
            QVERIFY(c.markers.size() <= final.markers.size());
            const QString dump = runTool(QStringLiteral("h5dump"), h5dumpOptions + QStringList{s.file});
            QVERIFY2(dump.isEmpty(), qPrintable(s.file + ": " + dump));
        }
        const int powerCuts = checkPowerLoss(snapshots, conf);
        qInfo("%d snapshots, %d files a power cut may leave checked", int(snapshots.size()), powerCuts);
        QVERIFY(powerCuts > 0);   // some group of a commit has several writes
    }

    // A power cut lands after a sync of a commit with any part of the next group's writes on
    // disk, in any order: every such file is readable and holds the committed frames. Each
    // write's bytes are what its snapshot changed over the one before.
    int checkPowerLoss(const QList<Snapshot> &snapshots, const daqConfig &conf)
    {
        int checked = 0;
        const QString image = dir->path() + "/powerloss.h5";
        for (int i = 0; i < snapshots.size(); ++i) {
            if (!snapshots[i].synced || snapshots[i].commit < 0)
                continue;
            int end = i + 1;   // the group's writes: up to the next sync
            while (end < snapshots.size() && !snapshots[end].synced && snapshots[end].commit == snapshots[i].commit)
                ++end;
            const int writes = end - i - 1;
            if (writes < 2 || writes > 8)
                continue;
            QByteArray before = fileBytes(snapshots[i].file);
            QList<QPair<int, QByteArray>> changes;   // (offset, bytes) of each write
            for (int w = i + 1; w < end; ++w) {
                const QByteArray after = fileBytes(snapshots[w].file);
                int from = 0;
                while (from < after.size() && from < before.size() && after[from] == before[from])
                    ++from;
                int to = after.size();
                while (to > from && to <= before.size() && after[to - 1] == before[to - 1])
                    --to;
                changes.append({from, after.mid(from, to - from)});
                before = after;
            }
            for (int subset = 1; subset < (1 << writes) - 1; ++subset) {
                QByteArray bytes = fileBytes(snapshots[i].file);
                for (int w = 0; w < writes; ++w)
                    if (subset & (1 << w))
                        bytes.replace(changes[w].first, changes[w].second.size(), changes[w].second);
                QFile out(image);
                if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
                    return -1;
                out.close();
                const TraceContents c = readTrace(image, conf);
                if (!c.opened || !c.problem.isEmpty() || c.frames < snapshots[i].committed) {
                    qWarning() << "power cut after" << snapshots[i].file << "with writes" << subset << c.problem;
                    return -1;
                }
                ++checked;
            }
        }
        return checked;
    }

    void failuresStopTheRecording_data()
    {
        QTest::addColumn<qint64>("sizeLimit");   // -1: none
        QTest::addColumn<double>("queueSeconds");
        QTest::addColumn<TraceWriter::Failure>("kind");
        QTest::newRow("disk full in the first chunks") << qint64(70 * 1024) << 5.0 << TraceWriter::DiskFull;
        QTest::newRow("disk full after some commits") << qint64(600 * 1024) << 5.0 << TraceWriter::DiskFull;
        QTest::newRow("queue full") << qint64(-1) << 0.005 << TraceWriter::QueueFull;   // 20 frames
    }

    // A full disk or queue stops the recording at once: failed() names the file and the
    // frames that are safe, nothing more is taken, and the file then holds exactly what
    // finished() reports: the last good commit, or all that was accepted.
    void failuresStopTheRecording()
    {
        QFETCH(qint64, sizeLimit);
        QFETCH(TraceWriter::Failure, kind);
        TraceFileState::TestHooks hooks;
        hooks.sizeLimit = sizeLimit;
        TraceFileState::setTestHooks(hooks);
        const daqConfig conf = traceTestConfig(0, 8, 4, 0, 4000);
        const QByteArray data = traceTestFrames(conf, 0, 24000);
        const auto *raw = reinterpret_cast<const uint8_t *>(data.constData());
        TraceWriter writer;
        TraceWriter::Options options;
        options.commitEveryFrames = 1500;   // commits land among the chunk writes
        QFETCH(double, queueSeconds);
        options.queueSeconds = queueSeconds;
        writer.setOptions(options);
        QSignalSpy failed(&writer, &TraceWriter::failed);
        QSignalSpy finished(&writer, &TraceWriter::finished);
        const QString name = dir->path() + "/full.h5";
        QString error;
        QVERIFY(!writer.start(conf, dir->path() + "/missing/full.h5", startTime, &error) && !error.isEmpty());
        QVERIFY2(writer.start(conf, name, startTime, &error), qPrintable(error));
        QVERIFY(writer.appendFrames(raw, 4));
        quint64 sent = 4;
        while (failed.isEmpty() && sent < 24000) {
            if (writer.appendFrames(raw + sent * conf.sampleSize, 400))
                sent += 400;
            QTest::qWait(5);
        }
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 10000);
        QCOMPARE(failed.at(0).at(0).value<TraceWriter::Failure>(), kind);
        QCOMPARE(failed.at(0).at(1).toString(), name);
        QVERIFY(kind != TraceWriter::DiskFull || failed.at(0).at(2).toString() == "the disk is full");
        const quint64 safe = failed.at(0).at(3).toULongLong();
        QVERIFY(safe <= sent && !writer.appendFrames(raw, 1));
        QCOMPARE(writer.framesHandedOver(), sent);

        writer.finish();
        QVERIFY(finished.wait(10000));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        const quint64 written = finished.at(0).at(1).toULongLong();
        QCOMPARE(written, kind == TraceWriter::DiskFull ? safe : sent);
        const TraceContents contents = readTrace(name, conf);
        QVERIFY2(contents.problem.isEmpty(), qPrintable(contents.problem));
        QVERIFY(contents.frames == written && contents.mostFrames == written);
        QVERIFY(sizeLimit < 0 || QFileInfo(name).size() <= sizeLimit + 4096);
    }

    void recordSpace_data()
    {
        QTest::addColumn<qint64>("available");
        QTest::addColumn<bool>("canStart");
        QTest::addColumn<bool>("warn");

        // 8 x 24-bit and 4 IMUs at 4000 frames/s: 128 bytes a frame, about 554 kB/s.
        const daqConfig conf = traceTestConfig(0, 8, 4, 0, 4000);
        const qint64 perSecond = assessRecordSpace(0, conf).bytesPerSecond;
        const qint64 header = assessRecordSpace(0, conf).headerBytes;
        QCOMPARE(perSecond, qint64(128 * 4000 * 1.05) + 16 * 1024);
        QTest::newRow("nothing free") << qint64(0) << false << false;
        QTest::newRow("header only") << header << false << false;
        QTest::newRow("just under a second") << header + perSecond - 1 << false << false;
        QTest::newRow("one second") << header + perSecond << true << true;
        QTest::newRow("59 seconds") << header + 59 * perSecond << true << true;
        QTest::newRow("a minute") << header + 60 * perSecond << true << false;
    }

    void recordSpace()
    {
        QFETCH(qint64, available);
        const daqConfig conf = traceTestConfig(0, 8, 4, 0, 4000);
        const RecordSpace space = assessRecordSpace(available, conf);
        QTEST(space.canStart, "canStart");
        QTEST(space.lessThanAMinute, "warn");
        QVERIFY(!space.canStart || space.secondsThatFit >= 1.0);
        // The folder under test has room; one that does not exist has none.
        QVERIFY(checkRecordSpace(dir->path(), conf).canStart);
        QVERIFY(!checkRecordSpace(dir->path() + "/missing/folder", conf).canStart);
    }
};

QTEST_GUILESS_MAIN(tst_TraceWriter)
#include "tst_tracewriter.moc"
