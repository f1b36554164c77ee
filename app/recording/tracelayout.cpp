#include "tracelayout.h"

#include <QFileInfo>

#include "buildinfo.h"
#include "config/daqconfig.h"

#include <QVector>

namespace {

QList<QByteArray> adcNames(const QVector<adcChannel> &channels)
{
    QList<QByteArray> names;
    for (const adcChannel &channel : channels)
        names.append(channel.name);
    return names;
}

QVector<double> adcRanges(const QVector<adcChannel> &channels)
{
    QVector<double> ranges;
    for (const adcChannel &channel : channels)
        ranges.append(channel.rangeMax);
    return ranges;
}

// Per-kind range tables are only stored for the channel counts a device has.
const int maxRangedAdcChannels = 24;
const int maxRangedImus = 4;

void addAdc16(myHdf &hdf, const daqConfig &conf, QList<hdfDataset> &records)
{
    const int n = conf.adc16.size();
    const hdfDataset record = hdf.createDataset(
        "adc", "data from 16 bit ADCs: [channel_1, channel_2,... channel_n]", {hsize_t(n)}, false);
    records.append(record);
    hdf.writeStringListAttribute(record, "names", adcNames(conf.adc16));
    hdf.writeStringListAttribute(record, "unit", {"Volt"});
    hdf.writeIntAttribute(record, "oversamplingFactor", 2);
    hdf.writeScalarDataset(record.groupPath + "/fSample", 2.0 * conf.sampleRate);
    if (n <= maxRangedAdcChannels)
        hdf.write1dDataset(record.groupPath + "/ranges", hsize_t(n), adcRanges(conf.adc16).constData());
}

// With 16-bit channels present the 24-bit kind gets a group of its own, so
// that both kinds are stored.
void addAdc24(myHdf &hdf, const daqConfig &conf, QList<hdfDataset> &records)
{
    const int n = conf.adc24.size();
    const QByteArray group = conf.adc16.isEmpty() ? "adc" : "adc24";
    const hdfDataset record = hdf.createDataset(
        group, "data from 24 bit ADCs: [channel_1, channel_2,... channel_n]", {hsize_t(n)}, false);
    records.append(record);
    const QVector<double> ranges = adcRanges(conf.adc24);
    hdf.writeDoubleArrayAttribute(record, "ranges", ranges.constData(), hsize_t(n), 1);
    hdf.writeStringListAttribute(record, "names", adcNames(conf.adc24));
    hdf.writeStringListAttribute(record, "unit", {"Volt"});
    hdf.writeIntAttribute(record, "oversamplingFactor", 1);
    hdf.writeScalarDataset(record.groupPath + "/fSample", double(conf.sampleRate));
    if (n <= maxRangedAdcChannels)
        hdf.write1dDataset(record.groupPath + "/ranges", hsize_t(n), ranges.constData());
}

void addImu(myHdf &hdf, const daqConfig &conf, QList<hdfDataset> &records)
{
    const int n = conf.imu6.size();
    const hdfDataset record = hdf.createDataset(
        "imu6", "data from 6 axis IMU, [[acc_x, acc_y, acc_z, gyro_x, gyro_y, gyro_z],...]]",
        {hsize_t(n), 6}, false);
    records.append(record);
    QVector<double> ranges;
    QList<QByteArray> names;
    for (const imuChannel &imu : conf.imu6) {
        ranges << imu.accRange << imu.gyroRange;
        names.append(imu.name);
    }
    if (n <= maxRangedImus)
        hdf.write2dDataset(record.groupPath + "/ranges", hsize_t(n), 2, ranges.constData());
    hdf.writeStringListAttribute(record, "names", names);
    hdf.writeStringListAttribute(record, "units", {"g", "grad/s"});
    hdf.writeScalarDataset(record.groupPath + "/fSample", double(conf.sampleRate));
}

void addAux(myHdf &hdf, const daqConfig &conf, QList<hdfDataset> &records)
{
    const hdfDataset record = hdf.createDataset(
        "aux", "raw data from AUX device, int16 Array", {hsize_t(conf.aux.first())}, true);
    records.append(record);
    hdf.writeStringListAttribute(record, "name", {"auxName"});
    hdf.writeScalarDataset(record.groupPath + "/fSample", double(conf.sampleRate));
}

} // namespace

QByteArray traceCreatorText()
{
    return QByteArrayLiteral("Kestrova.exe Version") + KESTROVA_VERSION_TEXT;
}

QString traceFileName(const QString &folder, const QDateTime &start)
{
    const QString base = folder + QStringLiteral("/trace") + start.toString(QStringLiteral("_yyyy.MM.dd_hh-mm-ss"));
    QString name = base + QStringLiteral(".h5");
    for (int i = 1; QFileInfo::exists(name); ++i)
        name = base + QLatin1Char('_') + QString::number(i) + QStringLiteral(".h5");
    return name;
}

QString createTraceFile(myHdf &hdf, const daqConfig &conf, const QString &folder,
                        QList<hdfDataset> &records)
{
    return createTraceFile(hdf, conf, folder, QDateTime::currentDateTime(), records);
}

QString createTraceFile(myHdf &hdf, const daqConfig &conf, const QString &folder,
                        const QDateTime &start, QList<hdfDataset> &records)
{
    const QString fileName = traceFileName(folder, start);
    writeTraceLayout(hdf, conf, fileName, start, records);
    return fileName;
}

void writeTraceLayout(myHdf &hdf, const daqConfig &conf, const QString &fileName,
                      const QDateTime &start, QList<hdfDataset> &records, hid_t fileAccess)
{
    const QByteArray timestamp = QByteArray::number(start.toSecsSinceEpoch());
    if (hdf.isOpened())
        hdf.closeFile();
    hdf.createFile(fileName.toUtf8(), timestamp, true, fileAccess);

    records.clear();
    if (!conf.adc16.isEmpty())
        addAdc16(hdf, conf, records);
    if (!conf.adc24.isEmpty())
        addAdc24(hdf, conf, records);
    if (!conf.imu6.isEmpty())
        addImu(hdf, conf, records);
    if (conf.auxActive())
        addAux(hdf, conf, records);
}
