#include <QtTest>

#include "config/daqconfig.h"
#include "h5reader.h"
#include "recording/myHdf5.h"
#include "recording/tracelayout.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace {

const QByteArray creatorText = "Kestrova.exe Version1.2.0.1";
const QDateTime startTime(QDate(2024, 4, 5), QTime(14, 7, 9));

daqConfig config(int n16, int n24, int nImu, QVector<int32_t> aux = {})
{
    daqConfig conf;
    conf.sampleRate = 1000;
    for (int i = 0; i < n16; ++i)
        conf.adc16.append(adcChannel(-6.0, 6.0, 1.0, 0.0, "ch16_" + QByteArray::number(i + 1)));
    for (int i = 0; i < n24; ++i)
        conf.adc24.append(adcChannel(-2.4, 2.4 + i, 1.0, 0.0, "c24_" + QByteArray::number(i + 1)));
    for (int i = 0; i < nImu; ++i)
        conf.imu6.append(imuChannel(3.0 * (i + 1), 250.0 * (i + 1), "imu" + QByteArray::number(i + 1)));
    conf.aux = aux;
    conf.sampleSize = conf.expectedSampleSize();
    return conf;
}

// An open trace file for reading back, closed on scope exit.
struct ReadFile
{
    explicit ReadFile(const QString &name)
        : id(H5Fopen(name.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT)) {}
    ~ReadFile() { if (id >= 0) H5Fclose(id); }
    hid_t id;
};

// An attribute of the dataset at `path`.
StringAttr datasetStringAttr(hid_t file, const char *path, const char *name)
{
    const hid_t ds = H5Dopen2(file, path, H5P_DEFAULT);
    StringAttr a = readStringAttr(ds, name);
    H5Dclose(ds);
    return a;
}

QVector<hsize_t> dims(std::initializer_list<hsize_t> list)
{
    return QVector<hsize_t>(list);
}

} // namespace

class tst_HdfWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fileNameAndRootAttributes();
    void adc16AndImuLayout();
    void adc24AndAuxLayout();
    void mixedAdcKindsKeepBoth();
    void unwrittenDatasetsHoldOneZeroRow();
    void absentObjects();
    void chunkRowsRule();
    void secondFileWithSameWriter();
    void failuresAreReported();
    void standardReaderOpensTrace();

private:
    QString checkValuesDataset(hid_t file, const char *path, H5T_class_t typeClass, size_t size,
                               QVector<hsize_t> shape, QVector<hsize_t> chunk);
    std::unique_ptr<QTemporaryDir> dir;
};

void tst_HdfWriter::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void tst_HdfWriter::cleanup()
{
    dir.reset();
    // Every handle the writer made must be gone once its file is closed.
    QCOMPARE(H5Fget_obj_count(H5F_OBJ_ALL, H5F_OBJ_ALL), ssize_t(0));
}

// Checks type, shape, unlimited maximum, chunk shape and deflate 6 of a "values" dataset.
QString tst_HdfWriter::checkValuesDataset(hid_t file, const char *path, H5T_class_t typeClass,
                                          size_t size, QVector<hsize_t> shape, QVector<hsize_t> chunk)
{
    const DatasetInfo d = datasetInfo(file, path);
    if (!d.exists)
        return QStringLiteral("%1 missing").arg(path);
    if (d.typeClass != typeClass || d.typeSize != size || d.order != H5T_ORDER_LE)
        return QStringLiteral("%1 type").arg(path);
    if (typeClass == H5T_INTEGER && !d.isSigned)
        return QStringLiteral("%1 unsigned").arg(path);
    if (d.dims != shape)
        return QStringLiteral("%1 shape, first dim %2").arg(path).arg(d.dims.value(0));
    for (hsize_t m : d.maxDims)
        if (m != H5S_UNLIMITED)
            return QStringLiteral("%1 not unlimited").arg(path);
    if (d.chunk != chunk)
        return QStringLiteral("%1 chunk %2").arg(path).arg(d.chunk.value(0));
    if (d.deflateLevel != 6 || d.filterCount != 1)
        return QStringLiteral("%1 deflate %2").arg(path).arg(d.deflateLevel);
    return QString();
}

void tst_HdfWriter::fileNameAndRootAttributes()
{
    QCOMPARE(traceFileName("/x/traces", startTime), QStringLiteral("/x/traces/trace_2024.04.05_14-07-09.h5"));
    QCOMPARE(traceFileName("/x", QDateTime(QDate(2024, 12, 31), QTime(23, 5, 1))),
             QStringLiteral("/x/trace_2024.12.31_23-05-01.h5"));

    myHdf hdf(creatorText, false);
    QList<hdfDataset> records;
    const QString name = createTraceFile(hdf, config(1, 0, 0), dir->path(), startTime, records);
    QCOMPARE(name, dir->path() + "/trace_2024.04.05_14-07-09.h5");
    QVERIFY(hdf.isOpened());
    QVERIFY(hdf.closeFile());
    QVERIFY(!hdf.isOpened());

    ReadFile f(name);
    QVERIFY(f.id >= 0);
    const QByteArray stamp = QByteArray::number(startTime.toSecsSinceEpoch());
    const struct { const char *name; QByteArray text; } expected[] = {
        {"description", "lumetrix data file"},
        {"creator", creatorText},
        {"timestamp", stamp},
    };
    for (const auto &e : expected) {
        const StringAttr a = readStringAttr(f.id, e.name);
        QVERIFY2(a.exists, e.name);
        QVERIFY(a.scalar);
        QVERIFY(!a.variable);
        // Sized to the text: no terminator stored.
        QCOMPARE(a.size, size_t(e.text.size()));
        QCOMPARE(a.raw, e.text);
        QCOMPARE(a.pad, H5T_STR_NULLTERM);
        QCOMPARE(a.cset, H5T_CSET_ASCII);
    }

    // Without a timestamp text the attribute is left out.
    const QString plain = dir->path() + "/plain.h5";
    QVERIFY(hdf.createFile(plain.toUtf8(), QByteArray(), true));
    QVERIFY(hdf.closeFile());
    ReadFile g(plain);
    QVERIFY(!readStringAttr(g.id, "timestamp").exists);
    QVERIFY(readStringAttr(g.id, "creator").exists);
}

void tst_HdfWriter::adc16AndImuLayout()
{
    myHdf hdf(creatorText, false);
    QList<hdfDataset> records;
    const QString name = createTraceFile(hdf, config(3, 0, 1), dir->path(), startTime, records);
    QCOMPARE(records.size(), 2);

    // Two blocks: the second continues where the first stopped.
    const int frames1 = 4, frames2 = 3;
    QVector<float> adc(2 * (frames1 + frames2) * 3);
    for (int i = 0; i < adc.size(); ++i)
        adc[i] = 0.5f * float(i) - 3.0f;
    QVector<float> imu((frames1 + frames2) * 6);
    for (int i = 0; i < imu.size(); ++i)
        imu[i] = float(i) * 0.25f;
    QVERIFY(hdf.appendRows(records[0], adc.constData(), 2 * frames1));
    QVERIFY(hdf.appendRows(records[1], imu.constData(), frames1));
    QVERIFY(hdf.appendRows(records[0], adc.constData() + 2 * frames1 * 3, 2 * frames2));
    QVERIFY(hdf.appendRows(records[1], imu.constData() + frames1 * 6, frames2));
    QCOMPARE(records[0].rowsWritten, hsize_t(2 * (frames1 + frames2)));
    QVERIFY(hdf.closeFile());

    ReadFile f(name);
    const int frames = frames1 + frames2;
    QString problem = checkValuesDataset(f.id, "/adc/values", H5T_FLOAT, 4,
                                         dims({hsize_t(2 * frames), 3}), dims({334, 3}));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = checkValuesDataset(f.id, "/imu6/values", H5T_FLOAT, 4,
                                 dims({hsize_t(frames), 1, 6}), dims({167, 1, 6}));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(readFloats(f.id, "/adc/values"), adc);
    QCOMPARE(readFloats(f.id, "/imu6/values"), imu);

    StringAttr a = datasetStringAttr(f.id, "/adc/values", "description");
    QCOMPARE(a.raw, QByteArray("data from 16 bit ADCs: [channel_1, channel_2,... channel_n]"));
    QVERIFY(a.scalar);
    a = datasetStringAttr(f.id, "/adc/values", "names");
    QVERIFY(!a.scalar);
    QCOMPARE(a.count, hsize_t(3));
    QCOMPARE(a.raw, QByteArray("ch16_1ch16_2ch16_3"));
    a = datasetStringAttr(f.id, "/adc/values", "unit");
    QVERIFY(a.scalar);
    QCOMPARE(a.raw, QByteArray("Volt"));

    const hid_t ds = H5Dopen2(f.id, "/adc/values", H5P_DEFAULT);
    int factor = 0;
    bool scalar = false;
    QVERIFY(readIntAttr(ds, "oversamplingFactor", &factor, &scalar));
    QCOMPARE(factor, 2);
    QVERIFY(scalar);
    QVERIFY(H5Aexists(ds, "ranges") == 0);
    H5Dclose(ds);

    DatasetInfo d = datasetInfo(f.id, "/adc/fSample");
    QVERIFY(d.dims.isEmpty());
    QCOMPARE(d.typeClass, H5T_FLOAT);
    QCOMPARE(d.typeSize, size_t(8));
    QCOMPARE(d.order, H5T_ORDER_LE);
    QCOMPARE(readDoubles(f.id, "/adc/fSample"), QVector<double>({2000.0}));
    d = datasetInfo(f.id, "/adc/ranges");
    QCOMPARE(d.dims, dims({3}));
    QCOMPARE(d.typeSize, size_t(8));
    QCOMPARE(readDoubles(f.id, "/adc/ranges"), QVector<double>({6.0, 6.0, 6.0}));

    a = datasetStringAttr(f.id, "/imu6/values", "description");
    QCOMPARE(a.raw, QByteArray("data from 6 axis IMU, [[acc_x, acc_y, acc_z, gyro_x, gyro_y, gyro_z],...]]"));
    a = datasetStringAttr(f.id, "/imu6/values", "names");
    QVERIFY(a.scalar);
    QCOMPARE(a.raw, QByteArray("imu1"));
    a = datasetStringAttr(f.id, "/imu6/values", "units");
    QVERIFY(!a.scalar);
    QCOMPARE(a.count, hsize_t(2));
    QCOMPARE(a.size, size_t(6));
    QCOMPARE(a.raw, QByteArray("g\0\0\0\0\0grad/s", 12));
    QCOMPARE(a.entries(), QList<QByteArray>({"g", "grad/s"}));
    d = datasetInfo(f.id, "/imu6/ranges");
    QCOMPARE(d.dims, dims({1, 2}));
    QCOMPARE(d.typeClass, H5T_FLOAT);
    QCOMPARE(readDoubles(f.id, "/imu6/ranges"), QVector<double>({3.0, 250.0}));
    QCOMPARE(readDoubles(f.id, "/imu6/fSample"), QVector<double>({1000.0}));
    QVERIFY(!objectExists(f.id, "/aux"));
}

void tst_HdfWriter::adc24AndAuxLayout()
{
    daqConfig conf = config(0, 2, 2, {3});
    conf.adc24[0].name = "a";
    conf.adc24[1].name = "longer";
    myHdf hdf(creatorText, false);
    QList<hdfDataset> records;
    const QString name = createTraceFile(hdf, conf, dir->path(), startTime, records);
    QCOMPARE(records.size(), 3);
    QVERIFY(records[2].isInt16);

    const QVector<qint16> aux = {1, -2, 32767, -32768, 0, 7};
    QVERIFY(hdf.appendRows(records[2], aux.constData(), 2));
    QVERIFY(hdf.closeFile());

    ReadFile f(name);
    QString problem = checkValuesDataset(f.id, "/adc/values", H5T_FLOAT, 4, dims({1, 2}), dims({501, 2}));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = checkValuesDataset(f.id, "/imu6/values", H5T_FLOAT, 4, dims({1, 2, 6}), dims({84, 2, 6}));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = checkValuesDataset(f.id, "/aux/values", H5T_INTEGER, 2, dims({2, 3}), dims({334, 3}));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(readInt16s(f.id, "/aux/values"), aux);

    QCOMPARE(datasetStringAttr(f.id, "/adc/values", "description").raw,
             QByteArray("data from 24 bit ADCs: [channel_1, channel_2,... channel_n]"));
    const StringAttr names = datasetStringAttr(f.id, "/adc/values", "names");
    QCOMPARE(names.size, size_t(6));
    QCOMPARE(names.raw, QByteArray("a\0\0\0\0\0longer", 12));
    const hid_t ds = H5Dopen2(f.id, "/adc/values", H5P_DEFAULT);
    QVector<hsize_t> shape;
    bool nativeDouble = false;
    QCOMPARE(readDoubleAttr(ds, "ranges", &shape, &nativeDouble), QVector<double>({2.4, 3.4}));
    QCOMPARE(shape, dims({2}));
    QVERIFY(nativeDouble);
    int factor = 0;
    bool scalar = false;
    QVERIFY(readIntAttr(ds, "oversamplingFactor", &factor, &scalar));
    QCOMPARE(factor, 1);
    H5Dclose(ds);
    QCOMPARE(readDoubles(f.id, "/adc/fSample"), QVector<double>({1000.0}));
    QCOMPARE(readDoubles(f.id, "/adc/ranges"), QVector<double>({2.4, 3.4}));

    QCOMPARE(readDoubles(f.id, "/imu6/ranges"), QVector<double>({3.0, 250.0, 6.0, 500.0}));
    QCOMPARE(datasetInfo(f.id, "/imu6/ranges").dims, dims({2, 2}));
    QCOMPARE(datasetStringAttr(f.id, "/imu6/values", "names").raw, QByteArray("imu1imu2"));

    QCOMPARE(datasetStringAttr(f.id, "/aux/values", "description").raw,
             QByteArray("raw data from AUX device, int16 Array"));
    const StringAttr auxName = datasetStringAttr(f.id, "/aux/values", "name");
    QVERIFY(auxName.scalar);
    QCOMPARE(auxName.raw, QByteArray("auxName"));
    QCOMPARE(readDoubles(f.id, "/aux/fSample"), QVector<double>({1000.0}));
    QVERIFY(!objectExists(f.id, "/aux/ranges"));
}

void tst_HdfWriter::mixedAdcKindsKeepBoth()
{
    myHdf hdf(creatorText, false);
    QList<hdfDataset> records;
    const QString name = createTraceFile(hdf, config(2, 1, 0), dir->path(), startTime, records);
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[0].groupPath, QByteArray("/adc"));
    QCOMPARE(records[1].groupPath, QByteArray("/adc24"));
    QCOMPARE(records[0].status, 0);
    QCOMPARE(records[1].status, 0);

    const QVector<float> adc16 = {1, 2, 3, 4, 5, 6, 7, 8};  // two frames, two rows each
    const QVector<float> adc24 = {-1, -2};
    QVERIFY(hdf.appendRows(records[0], adc16.constData(), 4));
    QVERIFY(hdf.appendRows(records[1], adc24.constData(), 2));
    QVERIFY(hdf.closeFile());

    ReadFile f(name);
    QString problem = checkValuesDataset(f.id, "/adc/values", H5T_FLOAT, 4, dims({4, 2}), dims({501, 2}));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = checkValuesDataset(f.id, "/adc24/values", H5T_FLOAT, 4, dims({2, 1}), dims({1001, 1}));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(readFloats(f.id, "/adc/values"), adc16);
    QCOMPARE(readFloats(f.id, "/adc24/values"), adc24);
    QCOMPARE(readDoubles(f.id, "/adc/fSample"), QVector<double>({2000.0}));
    QCOMPARE(readDoubles(f.id, "/adc24/fSample"), QVector<double>({1000.0}));
    QCOMPARE(readDoubles(f.id, "/adc24/ranges"), QVector<double>({2.4}));
    QCOMPARE(datasetStringAttr(f.id, "/adc24/values", "description").raw,
             QByteArray("data from 24 bit ADCs: [channel_1, channel_2,... channel_n]"));
    QCOMPARE(datasetStringAttr(f.id, "/adc24/values", "names").raw, QByteArray("c24_1"));
    const hid_t ds = H5Dopen2(f.id, "/adc24/values", H5P_DEFAULT);
    QVERIFY(H5Aexists(ds, "ranges") > 0);
    H5Dclose(ds);
}

void tst_HdfWriter::unwrittenDatasetsHoldOneZeroRow()
{
    QString name;
    {
        myHdf hdf(creatorText, false);
        QList<hdfDataset> records;
        name = createTraceFile(hdf, config(3, 0, 1, {2}), dir->path(), startTime, records);
        // An empty block changes nothing, in particular not the initial row.
        QVERIFY(hdf.appendRows(records[0], nullptr, 0));
        // Destroying the writer closes the file.
    }

    ReadFile f(name);
    QCOMPARE(datasetInfo(f.id, "/adc/values").dims, dims({1, 3}));
    QCOMPARE(readFloats(f.id, "/adc/values"), QVector<float>(3, 0.0f));
    QCOMPARE(datasetInfo(f.id, "/imu6/values").dims, dims({1, 1, 6}));
    QCOMPARE(readFloats(f.id, "/imu6/values"), QVector<float>(6, 0.0f));
    QCOMPARE(datasetInfo(f.id, "/aux/values").dims, dims({1, 2}));
    QCOMPARE(readInt16s(f.id, "/aux/values"), QVector<qint16>(2, 0));
}

void tst_HdfWriter::absentObjects()
{
    // Every name empty: no "names"; too many channels for a range table: no "/ranges".
    daqConfig conf = config(25, 0, 5, {0});
    for (adcChannel &c : conf.adc16)
        c.name.clear();
    myHdf hdf(creatorText, false);
    QList<hdfDataset> records;
    QString name = createTraceFile(hdf, conf, dir->path(), startTime, records);
    QCOMPARE(records.size(), 2);
    QVERIFY(hdf.closeFile());
    {
        ReadFile f(name);
        QVERIFY(!datasetStringAttr(f.id, "/adc/values", "names").exists);
        QVERIFY(datasetStringAttr(f.id, "/adc/values", "unit").exists);
        QVERIFY(!objectExists(f.id, "/adc/ranges"));
        QVERIFY(objectExists(f.id, "/adc/fSample"));
        QCOMPARE(datasetInfo(f.id, "/adc/values").chunk, dims({41, 25}));
        QVERIFY(!objectExists(f.id, "/imu6/ranges"));
        QVERIFY(objectExists(f.id, "/imu6/values"));
        QVERIFY(!objectExists(f.id, "/aux"));
    }

    // Exactly 24 ADC channels and 4 IMUs still get their tables; two AUX entries give no group.
    conf = config(0, 24, 4, {2, 2});
    name = createTraceFile(hdf, conf, dir->path(), startTime.addSecs(1), records);
    QVERIFY(hdf.closeFile());
    ReadFile f(name);
    QCOMPARE(datasetInfo(f.id, "/adc/ranges").dims, dims({24}));
    QCOMPARE(datasetInfo(f.id, "/imu6/ranges").dims, dims({4, 2}));
    QVERIFY(!objectExists(f.id, "/aux"));
}

void tst_HdfWriter::chunkRowsRule()
{
    myHdf hdf(creatorText, false);
    const QString name = dir->path() + "/chunks.h5";
    QVERIFY(hdf.createFile(name.toUtf8(), "1", false));
    const hdfDataset plain = hdf.createDataset("plain", "d", {}, false);
    const hdfDataset one = hdf.createDataset("one", "d", {1}, false);
    const hdfDataset edge = hdf.createDataset("edge", "d", {999}, false);
    const hdfDataset wide = hdf.createDataset("wide", "d", {1000}, false);
    const hdfDataset deep = hdf.createDataset("deep", "d", {2, 3, 4, 5}, true);
    const hdfDataset tooDeep = hdf.createDataset("tooDeep", "d", {1, 1, 1, 1, 1}, false);
    QCOMPARE(plain.status, 0);
    QCOMPARE(deep.ndims, 5);
    QVERIFY(tooDeep.status != 0);
    QCOMPARE(hdf.datasets().size(), 5);  // the rejected one holds no handles

    // Appending to a one-dimensional dataset.
    hdfDataset rec = plain;
    const QVector<float> v = {1, 2, 3};
    QVERIFY(hdf.appendRows(rec, v.constData(), 3));
    QVERIFY(hdf.closeFile());

    ReadFile f(name);
    DatasetInfo d = datasetInfo(f.id, "/plain/values");
    QCOMPARE(d.chunk, dims({1001}));
    QCOMPARE(d.dims, dims({3}));
    QCOMPARE(d.filterCount, 0);  // compression off for this file
    QCOMPARE(readFloats(f.id, "/plain/values"), v);
    QCOMPARE(datasetInfo(f.id, "/one/values").chunk, dims({1001, 1}));
    QCOMPARE(datasetInfo(f.id, "/edge/values").chunk, dims({2, 999}));
    QCOMPARE(datasetInfo(f.id, "/wide/values").chunk, dims({1, 1000}));
    QCOMPARE(datasetInfo(f.id, "/deep/values").chunk, dims({9, 2, 3, 4, 5}));
    QCOMPARE(datasetInfo(f.id, "/deep/values").typeClass, H5T_INTEGER);
}

void tst_HdfWriter::secondFileWithSameWriter()
{
    myHdf hdf(creatorText, false);
    QList<hdfDataset> records;
    const QString first = createTraceFile(hdf, config(1, 0, 1), dir->path(), startTime, records);
    const QVector<float> adc = {0.25f, -0.5f};
    QVERIFY(hdf.appendRows(records[0], adc.constData(), 2));

    // The next recording closes the first file itself.
    const QString second = createTraceFile(hdf, config(0, 1, 0), dir->path(), startTime.addSecs(60), records);
    QVERIFY(first != second);
    QVERIFY(hdf.isOpened());
    QCOMPARE(records.size(), 1);
    QCOMPARE(hdf.datasets().size(), 1);
    const QVector<float> adc24 = {1.5f};
    QVERIFY(hdf.appendRows(records[0], adc24.constData(), 1));
    QVERIFY(hdf.closeFile());

    ReadFile f1(first);
    QVERIFY(f1.id >= 0);
    QCOMPARE(readFloats(f1.id, "/adc/values"), adc);
    QCOMPARE(datasetInfo(f1.id, "/imu6/values").dims, dims({1, 1, 6}));
    ReadFile f2(second);
    QCOMPARE(readFloats(f2.id, "/adc/values"), adc24);
    QVERIFY(!objectExists(f2.id, "/imu6"));
    QCOMPARE(readStringAttr(f2.id, "timestamp").raw,
             QByteArray::number(startTime.addSecs(60).toSecsSinceEpoch()));
}

void tst_HdfWriter::failuresAreReported()
{
    // HDF5 prints its own error stack for each failure below; keep the log readable.
    H5E_auto2_t oldFunc = nullptr;
    void *oldData = nullptr;
    H5Eget_auto2(H5E_DEFAULT, &oldFunc, &oldData);
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);

    myHdf hdf(creatorText, false);
    QVERIFY(!hdf.createFile((dir->path() + "/missing/folder/t.h5").toUtf8(), "1", true));
    QVERIFY(!hdf.isOpened());
    QVERIFY(!hdf.closeFile());

    // A recording whose file failed keeps running; its appends fail quietly.
    QList<hdfDataset> records;
    createTraceFile(hdf, config(2, 0, 1), dir->path() + "/missing", startTime, records);
    QVERIFY(!hdf.isOpened());
    QCOMPARE(records.size(), 2);
    QVERIFY(records[0].status != 0);
    const QVector<float> rows(12, 1.0f);
    QVERIFY(!hdf.appendRows(records[0], rows.constData(), 2));

    // A record outlives its file: appending after closeFile fails, the file is unharmed.
    const QString name = dir->path() + "/closed.h5";
    QVERIFY(hdf.createFile(name.toUtf8(), "1", true));
    hdfDataset rec = hdf.createDataset("adc", "d", {2}, false);
    QVERIFY(!hdf.writeStringListAttribute(rec, "names", {}));
    QVERIFY(!hdf.writeStringListAttribute(rec, "names", {"", ""}));
    // The group exists already.
    QVERIFY(hdf.createDataset("adc", "d", {2}, false).status != 0);
    QVERIFY(!hdf.writeScalarDataset("/adc/values", 1.0));
    QVERIFY(hdf.appendRows(rec, rows.constData(), 1));
    // The failed second dataset still counts: close reports its missing handles as absent, not as errors.
    QVERIFY(hdf.closeFile());
    QVERIFY(!hdf.appendRows(rec, rows.constData(), 1));

    H5Eset_auto2(H5E_DEFAULT, oldFunc, oldData);
    ReadFile f(name);
    QCOMPARE(datasetInfo(f.id, "/adc/values").dims, dims({1, 2}));
}

void tst_HdfWriter::standardReaderOpensTrace()
{
    const QString h5dump = QStandardPaths::findExecutable("h5dump");
    if (h5dump.isEmpty())
        QSKIP("h5dump (hdf5-tools) is not installed");

    myHdf hdf(creatorText, false);
    QList<hdfDataset> records;
    const QString name = createTraceFile(hdf, config(3, 0, 1, {2}), dir->path(), startTime, records);
    const QVector<float> adc(2 * 5 * 3, 0.125f);
    const QVector<float> imu(5 * 6, -1.0f);
    const QVector<qint16> aux(5 * 2, -3);
    QVERIFY(hdf.appendRows(records[0], adc.constData(), 10));
    QVERIFY(hdf.appendRows(records[1], imu.constData(), 5));
    QVERIFY(hdf.appendRows(records[2], aux.constData(), 5));
    QVERIFY(hdf.closeFile());

    QProcess dump;
    dump.start(h5dump, {"-p", name});
    QVERIFY(dump.waitForFinished(30000));
    const QByteArray out = dump.readAllStandardOutput();
    QVERIFY2(dump.exitCode() == 0, dump.readAllStandardError().constData());
    QVERIFY(out.contains("\"lumetrix data file\""));
    QVERIFY(out.contains("\"Kestrova.exe Version1.2.0.1\""));
    QVERIFY(out.contains("GROUP \"adc\""));
    QVERIFY(out.contains("GROUP \"imu6\""));
    QVERIFY(out.contains("GROUP \"aux\""));
    QVERIFY(out.contains("CHUNKED ( 334, 3 )"));
    QVERIFY(out.contains("CHUNKED ( 167, 1, 6 )"));
    QVERIFY(out.contains("DEFLATE { LEVEL 6 }"));
    QVERIFY(out.contains("H5T_STD_I16LE"));
    QVERIFY(out.contains("\"grad/s\""));
    QVERIFY(out.contains("-3, -3"));
}

QTEST_GUILESS_MAIN(tst_HdfWriter)
#include "tst_hdfwriter.moc"
