#include "tracerecorder.h"

#include "buildinfo.h"
#include "config/daqconfig.h"
#include "recording/tracelayout.h"

#include <QDebug>
#include <QFileInfo>

TraceRecorder::TraceRecorder()
    : hdf(std::make_unique<myHdf>(QByteArray("Kestrova.exe Version") + KESTROVA_VERSION_TEXT, false))
{
}

TraceRecorder::~TraceRecorder()
{
    close();
}

bool TraceRecorder::open(const daqConfig &conf, const QString &fileName, const QDateTime &start)
{
    close();
    name = fileName;
    framesWritten = 0;
    failed = false;
    if (QFileInfo::exists(fileName))
        return false;
    QList<hdfDataset> records;
    writeTraceLayout(*hdf, conf, fileName, start, records);
    datasets = records.toVector();
    converter.configure(conf);
    return hdf->isOpened();
}

bool TraceRecorder::append(const uint8_t *frames, int n)
{
    if (n <= 0 || !hdf->isOpened())
        return !failed;
    int next = 0;
    bool ok = true;
    auto write = [&](const void *rows, int count) {
        ok = next < datasets.size() && hdf->appendRows(datasets[next], rows, hsize_t(count)) && ok;
        ++next;
    };
    if (const float *v = converter.adc16Values(frames, n))
        write(v, 2 * n);
    if (const float *v = converter.adc24Values(frames, n)) {
        qDebug("write Adc32");
        write(v, n);
    }
    if (const float *v = converter.imuValues(frames, n))
        write(v, n);
    if (const int16_t *w = converter.auxWords(frames, n)) {
        qDebug() << "heureka ########## " << converter.auxWordCount();
        write(w, n);
    }
    framesWritten += quint64(n);
    failed = failed || !ok;
    return ok;
}

void TraceRecorder::close()
{
    if (!hdf->isOpened())
        return;
    hdf->closeFile();
    datasets.clear();
}

bool TraceRecorder::isOpen() const
{
    return hdf->isOpened();
}

qint64 TraceRecorder::fileSize() const
{
    return name.isEmpty() ? 0 : QFileInfo(name).size();
}
