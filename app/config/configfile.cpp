#include "configfile.h"

#include "configreader.h"

#include <QDebug>
#include <QFile>
#include <QLocale>

#include <cmath>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>
#endif

namespace {

// A configuration file is a few hundred bytes (1 MiB holds some 25000 channel lines);
// anything larger is rejected instead of being read and logged line by line.
constexpr qint64 maxFileBytes = 1024 * 1024;
constexpr qint64 readChunk = 64 * 1024;

// Reads at most maxFileBytes + 1 bytes, so an oversized file shows up as oversized.
QByteArray readBounded(QFile &file)
{
    QByteArray data;
    while (data.size() <= maxFileBytes) {
        const QByteArray chunk = file.read(readChunk);
        if (chunk.isEmpty())
            break;
        data += chunk;
    }
    return data;
}

// Only regular files are read: opening a FIFO or a device file could block for ever
// or never end. The descriptor is opened without blocking and checked before use, so
// the file cannot be swapped for something else in between.
ConfigLoadResult openRegularFile(QFile &file, const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return ConfigLoadResult(ConfigLoadResult::Missing, path);
        return ConfigLoadResult(ConfigLoadResult::CannotOpen, path, qt_error_string(error));
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ConfigLoadResult(ConfigLoadResult::NotRegularFile, path);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ConfigLoadResult(ConfigLoadResult::CannotOpen, path, file.errorString());
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return ConfigLoadResult(ConfigLoadResult::Missing, path);
    if (!info.isFile())
        return ConfigLoadResult(ConfigLoadResult::NotRegularFile, path);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return ConfigLoadResult(ConfigLoadResult::CannotOpen, path, file.errorString());
#endif
    return ConfigLoadResult();
}

// "nan" and "inf" parse as numbers, but no range, coefficient or duration can be one;
// they would turn every converted sample into NaN or infinity downstream.
bool parseDouble(const QString &word, double &value)
{
    bool ok = false;
    const double parsed = word.toDouble(&ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

// Lines hold one Latin-1 character per file byte; the file's text is in the local
// 8-bit encoding, and names are kept as UTF-8.
QByteArray nameFromWord(const QString &word)
{
    const QByteArray bytes = word.toLatin1();
    return QString::fromLocal8Bit(bytes.constData(), bytes.size()).toUtf8();
}

QByteArray nameToFile(const QByteArray &utf8Name)
{
    return QString::fromUtf8(utf8Name.constData(), utf8Name.size()).toLocal8Bit();
}

// The shortest text that reads back as the same number: values of up to six
// significant digits look as they always did, and longer ones (a recording limit of
// 999999.99 s) are no longer rounded into a value the loader refuses.
QByteArray number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest).toLatin1();
}

QByteArray adcLine(const char *keyword, const adcChannel &ch)
{
    return QByteArray(keyword) + "\t2\t" + number(ch.rangeMin) + '\t' + number(ch.rangeMax)
        + '\t' + number(ch.coefA) + '\t' + number(ch.coefB) + '\t' + nameToFile(ch.name) + '\n';
}

QByteArray configurationText(const daqConfig &cfg)
{
    QByteArray text;
    text += "timeline=" + number(cfg.timeline) + '\n';
    text += "maxDuration=" + number(cfg.maxDuration) + '\n';
    text += "sampleRate=" + QByteArray::number(cfg.sampleRate) + '\n';
    text += "sampleSize=" + QByteArray::number(cfg.sampleSize) + '\n';
    for (const adcChannel &ch : cfg.adc16)
        text += adcLine("adc16", ch);
    for (const adcChannel &ch : cfg.adc24)
        text += adcLine("adc24", ch);
    for (const imuChannel &imu : cfg.imu6)
        text += "imu6\t" + number(imu.accRange) + '\t' + number(imu.gyroRange) + '\t'
            + nameToFile(imu.name) + '\n';
    // A configuration has one AUX device, so only the first entry is written.
    if (!cfg.aux.isEmpty())
        text += "aux\t" + QByteArray::number(cfg.aux.first()) + '\n';
    return text;
}

} // namespace

QString getmatch(const QString &line, const QString &key)
{
    if (!line.startsWith(key, Qt::CaseSensitive))
        return QString();
    QString rest = line.mid(key.size());
    if (rest.endsWith(QLatin1Char('\n')))
        rest.chop(1);
    return rest;
}

QStringList splitWords(const QString &text)
{
    QStringList words;
    QString word;
    for (const QChar c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char(' ')) {
            if (!word.isEmpty())
                words.append(word);
            word.clear();
        } else {
            word.append(c);
        }
    }
    if (!word.isEmpty())
        words.append(word);
    return words;
}

bool auxdecode(const QString &text, int32_t &length)
{
    const QStringList words = splitWords(text);
    qDebug() << "auxdecode size = " << words.size();
    if (words.isEmpty())
        return false;
    bool ok = false;
    const int value = words.first().toInt(&ok, 10);
    // A negative length would let a file shrink its frame size below what its
    // channels need, and the stream decoder trusts that size.
    if (!ok || value < 0)
        return false;
    length = value;
    qDebug() << "auxdecode len = " << length;
    return true;
}

bool adcdecode(const QString &text, adcChannel &channel)
{
    const QStringList words = splitWords(text);
    if (words.size() < 5)
        return false;
    adcChannel parsed;
    if (!parseDouble(words.at(1), parsed.rangeMin) || !parseDouble(words.at(2), parsed.rangeMax)
        || !parseDouble(words.at(3), parsed.coefA) || !parseDouble(words.at(4), parsed.coefB))
        return false;
    if (words.size() == 6)
        parsed.name = nameFromWord(words.at(5));
    channel = parsed;
    return true;
}

bool imudecode(const QString &text, imuChannel &channel)
{
    const QStringList words = splitWords(text);
    if (words.size() < 2)
        return false;
    imuChannel parsed;
    if (!parseDouble(words.at(0), parsed.accRange) || !parseDouble(words.at(1), parsed.gyroRange))
        return false;
    if (words.size() == 3)
        parsed.name = nameFromWord(words.at(2));
    channel = parsed;
    return true;
}

ConfigLoadResult readConfiguration(daqConfig &cfg, const QString &path)
{
    cfg.setDefaults();
    QFile file;
    const ConfigLoadResult opened = openRegularFile(file, path);
    if (!opened.ok())
        return opened;
    const QByteArray data = readBounded(file);
    if (file.error() != QFileDevice::NoError)
        return ConfigLoadResult(ConfigLoadResult::CannotOpen, path, file.errorString());
    file.close();
    if (data.isEmpty())
        return ConfigLoadResult(ConfigLoadResult::Empty, path);
    if (data.size() > maxFileBytes)
        return ConfigLoadResult(ConfigLoadResult::Invalid, path,
                                ConfigReader::tr("the file is larger than 1 MiB; a configuration file "
                                                 "is a few hundred bytes"));
    ConfigReader reader(cfg);
    reader.read(data);
    if (!reader.ok())
        return ConfigLoadResult(ConfigLoadResult::Invalid, path, reader.problem(), reader.problemLine());
    return ConfigLoadResult();
}

QString loadConfiguration(daqConfig &cfg, const QString &path)
{
    return readConfiguration(cfg, path).text();
}

bool saveConfiguration(const daqConfig &cfg, const QString &path)
{
    if (!cfg.hasChannels()) {
        qDebug() << "############# saveConfiguration(): no channel to configure.exit!";
        return false;
    }
    const QByteArray text = configurationText(cfg);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qDebug() << "########## fatal Config File could not be opened";
        return false;
    }
    // Flushing here catches a full disk that a buffered write would hide until close.
    if (file.write(text) < text.size() || !file.flush()) {
        qDebug() << "########## fatal Config File could write";
        return false;
    }
    file.close();
    return true;
}
