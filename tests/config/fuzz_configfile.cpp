// Feeds arbitrary bytes to the configuration loader as a file, once as they come and
// once spliced into a valid file so the channel-line parsers see hostile words too.
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "config/configfile.h"
#include "config/configlimits.h"

static const QByteArray validFile =
    "timeline=10\nmaxDuration=0\nsampleRate=1000\nsampleSize=32\n"
    "adc16\t2\t-6\t6\t1\t0\tleft\nadc24\t2\t-2.4\t2.4\t1\t0\tx\n"
    "imu6\t6\t500\twrist\naux\t2\n";

static void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

// An accepted file describes a frame its channels fill exactly, with values the rest
// of the program can use as they are.
static bool acceptable(const daqConfig &cfg)
{
    bool ok = cfg.sampleSize > 0 && cfg.sampleSize == cfg.expectedSampleSize() && cfg.aux.size() <= 1
        && ConfigLimits::timelineProblem(cfg.timeline).isEmpty()
        && ConfigLimits::maxDurationProblem(cfg.maxDuration).isEmpty()
        && ConfigLimits::sampleRateProblem(cfg.sampleRate).isEmpty()
        && ConfigLimits::displayProblem(cfg).isEmpty();
    for (const adcChannel &c : cfg.adc16 + cfg.adc24)
        ok = ok && ConfigLimits::adcProblem(c).isEmpty();
    for (const imuChannel &imu : cfg.imu6)
        ok = ok && ConfigLimits::imuProblem(imu).isEmpty();
    return ok;
}

static void loadOnce(const QString &path, const QByteArray &content)
{
    // A fresh file each time: truncating and rewriting makes some file systems flush.
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    file.write(content);
    file.close();

    daqConfig cfg, reloaded;
    const ConfigLoadResult result = readConfiguration(cfg, path);
    if (!result.ok() && result.problem() != ConfigLoadResult::Empty
        && (result.problem() != ConfigLoadResult::Invalid || result.detail().isEmpty()))
        std::abort();   // an unknown failure, or a refusal that does not say why
    // What loads is usable as it is, and saves to a file that loads back the same.
    const QString copy = path + QStringLiteral(".saved");
    if (result.ok() && (!acceptable(cfg) || !saveConfiguration(cfg, copy) || !readConfiguration(reloaded, copy).ok()
                        || !(reloaded == cfg) || reloaded.maxDuration != cfg.maxDuration))
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("fuzz.conf"));
    [[maybe_unused]] static const bool init = (qInstallMessageHandler(quiet), true);

    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    loadOnce(path, input);

    QByteArray spliced = validFile;
    const int at = size > 0 ? data[0] % (validFile.size() + 1) : 0;
    spliced.insert(at, input);
    loadOnce(path, spliced);
    return 0;
}
