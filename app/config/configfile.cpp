#include "configfile.h"

#include <QDebug>
#include <QFile>

#include <cmath>

namespace {

// A configuration file is a few hundred bytes (1 MiB holds some 25000 channel lines);
// anything larger, or an endless device file, is rejected instead of being read and
// logged line by line without bound.
constexpr qint64 maxFileBytes = 1024 * 1024;
constexpr qint64 readChunk = 64 * 1024;

const QString msgCannotOpen = QStringLiteral("could not open configuration file.");
const QString msgEmpty = QStringLiteral("configuration file empty.");
const QString msgInvalid = QStringLiteral("configuration file is invalid.");

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

// General lines: a value that does not parse reads as 0 and still counts.
double generalDouble(const QString &value)
{
    double parsed = 0.0;
    return parseDouble(value, parsed) ? parsed : 0.0;
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

// Running totals of one load.
struct LoadState
{
    int keyCount = 0;
    qint64 computedSize = 0;  // 64-bit, so absurd lengths in a file cannot wrap around
    bool adc24Seen = false;
    bool parseError = false;
};

void processGeneralKeys(daqConfig &cfg, const QString &line, LoadState &state)
{
    QString value = getmatch(line, QStringLiteral("timeline="));
    if (!value.isEmpty()) {
        cfg.timeline = generalDouble(value);
        ++state.keyCount;
    }
    value = getmatch(line, QStringLiteral("maxDuration="));
    if (!value.isEmpty()) {
        cfg.maxDuration = generalDouble(value);
        ++state.keyCount;
    }
    value = getmatch(line, QStringLiteral("sampleRate="));
    if (!value.isEmpty()) {
        cfg.sampleRate = value.toInt(nullptr, 10);
        ++state.keyCount;
    }
    value = getmatch(line, QStringLiteral("sampleSize="));
    if (!value.isEmpty()) {
        cfg.sampleSize = value.toInt(nullptr, 10);
        ++state.keyCount;
    }
}

void processAdcKey(QVector<adcChannel> &list, const QString &value, LoadState &state)
{
    adcChannel channel;
    if (adcdecode(value, channel)) {
        list.append(channel);
        state.computedSize += 4;
    } else {
        state.parseError = true;
    }
}

void processChannelKeys(daqConfig &cfg, const QString &line, LoadState &state)
{
    QString value = getmatch(line, QStringLiteral("adc16"));
    if (!value.isEmpty())
        processAdcKey(cfg.adc16, value, state);
    value = getmatch(line, QStringLiteral("adc24"));
    if (!value.isEmpty()) {
        state.adc24Seen = true;
        processAdcKey(cfg.adc24, value, state);
    }
    value = getmatch(line, QStringLiteral("imu6"));
    if (!value.isEmpty()) {
        imuChannel imu;
        if (imudecode(value, imu)) {
            cfg.imu6.append(imu);
            state.computedSize += 12;
        } else {
            state.parseError = true;
        }
    }
    value = getmatch(line, QStringLiteral("aux"));
    if (!value.isEmpty()) {
        qDebug() << "auxline = " << value;
        int32_t length = 0;
        if (auxdecode(value, length)) {
            qDebug() << "aux samplesize = " << length;
            cfg.aux.append(length);
            state.computedSize += 2 * qint64(length);
        } else {
            state.parseError = true;
        }
    }
}

void processLine(daqConfig &cfg, const QString &line, LoadState &state)
{
    qDebug() << "line = " << line;
    processGeneralKeys(cfg, line, state);
    processChannelKeys(cfg, line, state);
}

// Only lines ended by a line feed count; bytes after the last one are never processed.
void processLines(daqConfig &cfg, const QByteArray &data, LoadState &state)
{
    int start = 0;
    for (int end = data.indexOf('\n'); end >= 0; end = data.indexOf('\n', start)) {
        processLine(cfg, QString::fromLatin1(data.constData() + start, end - start + 1), state);
        start = end + 1;
    }
}

QByteArray number(double value)
{
    return QString::number(value, 'g', 6).toLatin1();
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
    // Every entry is written: the loader counts each "aux" line into the frame size,
    // so dropping entries would leave a file that no longer loads.
    for (int32_t length : cfg.aux)
        text += "aux\t" + QByteArray::number(length) + '\n';
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

QString loadConfiguration(daqConfig &cfg, const QString &path)
{
    cfg.setDefaults();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return msgCannotOpen;
    const QByteArray data = readBounded(file);
    file.close();
    if (data.isEmpty())
        return msgEmpty;
    if (data.size() > maxFileBytes)
        return msgInvalid;

    cfg.sampleSize = 0;
    LoadState state;
    processLines(cfg, data, state);
    if (state.adc24Seen)
        state.computedSize += 4;

    qDebug("loadConfiguration(): sampleRate =%d", cfg.sampleRate);
    qDebug() << "samplesize " << cfg.sampleSize << " check " << state.computedSize;
    const bool valid = cfg.sampleSize != 0 && cfg.sampleSize == state.computedSize
        && state.keyCount == 4 && !state.parseError;
    return valid ? QString() : msgInvalid;
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
