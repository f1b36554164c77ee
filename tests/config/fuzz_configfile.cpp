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

static const QByteArray validFile =
    "timeline=10\nmaxDuration=0\nsampleRate=1000\nsampleSize=32\n"
    "adc16\t2\t-6\t6\t1\t0\tleft\nadc24\t2\t-2.4\t2.4\t1\t0\tx\n"
    "imu6\t6\t500\twrist\naux\t2\n";

static void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

static void loadOnce(const QString &path, const QByteArray &content)
{
    // A fresh file each time: truncating and rewriting makes some file systems flush.
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    file.write(content);
    file.close();

    daqConfig cfg;
    const QString result = loadConfiguration(cfg, path);
    const bool known = result.isEmpty() || result == QLatin1String("configuration file empty.")
        || result == QLatin1String("configuration file is invalid.");
    if (!known)
        std::abort();
    // An accepted file always describes a frame its channels fill exactly.
    if (result.isEmpty() && (cfg.sampleSize <= 0 || cfg.sampleSize != cfg.expectedSampleSize()))
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("fuzz.conf"));
    static const bool init = (qInstallMessageHandler(quiet), true);
    (void)init;

    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    loadOnce(path, input);

    QByteArray spliced = validFile;
    const int at = size > 0 ? data[0] % (validFile.size() + 1) : 0;
    spliced.insert(at, input);
    loadOnce(path, spliced);
    return 0;
}
