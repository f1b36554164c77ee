#include "recordspace.h"

#include "config/daqconfig.h"

#include <QStorageInfo>

#include <algorithm>

namespace {

// An empty trace file with its groups, attributes, gaps and markers takes some tens of
// kilobytes; the index grows by a few percent of the data, and every new index node may
// leave up to a page unused.
const qint64 headerAllowance = 256 * 1024;
const double indexOverhead = 1.05;
const qint64 pageAllowancePerSecond = 16 * 1024;

qint64 rawBytesPerFrame(const daqConfig &conf)
{
    const qint64 floats = conf.adc24.size() + 2 * conf.adc16.size() + 6 * conf.imu6.size();
    const qint64 auxWords = conf.auxActive() ? conf.aux.first() : 0;
    return 4 * floats + 2 * auxWords;
}

} // namespace

RecordSpace assessRecordSpace(qint64 bytesAvailable, const daqConfig &conf)
{
    RecordSpace space;
    space.bytesAvailable = std::max<qint64>(0, bytesAvailable);
    space.headerBytes = headerAllowance;
    space.bytesPerSecond = qint64(double(rawBytesPerFrame(conf)) * std::max(0, int(conf.sampleRate)) * indexOverhead)
                           + pageAllowancePerSecond;
    const qint64 forData = space.bytesAvailable - space.headerBytes;
    space.secondsThatFit = forData > 0 ? double(forData) / double(space.bytesPerSecond) : 0.0;
    space.canStart = space.secondsThatFit >= 1.0;
    space.lessThanAMinute = space.canStart && space.secondsThatFit < 60.0;
    return space;
}

RecordSpace checkRecordSpace(const QString &folder, const daqConfig &conf)
{
    const QStorageInfo storage(folder);
    const qint64 available = storage.isValid() && storage.isReady() ? storage.bytesAvailable() : 0;
    return assessRecordSpace(available, conf);
}
