#include "configlimits.h"

#include "daqconfig.h"

#include <QTextCodec>

#include <cfloat>
#include <cmath>

namespace {

// Converted samples are 32-bit floats: a 16-bit count times span/65536, a 24-bit one
// times span/2^32, an IMU count times range/32768. Keeping every range end within the
// float range keeps every converted value within it too.
bool fitsFloat(double value)
{
    return std::isfinite(value) && std::fabs(value) <= double(FLT_MAX);
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

// One character as the user sees it: a surrogate pair stays together.
QString characterAt(const QString &text, int i)
{
    const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
    return text.mid(i, pair ? 2 : 1);
}

QString describeSeparator(QChar c)
{
    switch (c.unicode()) {
    case ' ': return ConfigLimits::tr("a blank");
    case '\t': return ConfigLimits::tr("a tab");
    case '\n':
    case '\r': return ConfigLimits::tr("a line break");
    default: break;
    }
    return c.isSpace() ? ConfigLimits::tr("a space character") : ConfigLimits::tr("a control character");
}

bool isSeparatorLike(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

// The file keeps names in the local 8-bit encoding and splits words at tab, line feed
// and blank bytes, so a character must encode, decode back unchanged and bring none of
// those bytes with it.
bool encodesSafely(const QString &character, QTextCodec *codec)
{
    const QChar first = character.at(0);
    if (first.isLowSurrogate() || (first.isHighSurrogate() && character.size() < 2))
        return false;
    if (!codec)
        return first.unicode() < 128;
    if (!codec->canEncode(character))
        return false;
    const QByteArray bytes = codec->fromUnicode(character);
    if (bytes.contains(' ') || bytes.contains('\t') || bytes.contains('\n') || bytes.contains('\r'))
        return false;
    return codec->toUnicode(bytes) == character;
}

} // namespace

QVector<int32_t> ConfigLimits::sampleRates()
{
    return {100, 200, 500, 1000, 2000, 4000};
}

QString ConfigLimits::timelineProblem(double seconds)
{
    if (std::isfinite(seconds) && seconds >= minTimeline && seconds <= maxTimeline)
        return QString();
    return tr("the timeline must be 1 to 600 seconds");
}

QString ConfigLimits::maxDurationProblem(double seconds)
{
    if (std::isfinite(seconds) && seconds >= 0.0 && seconds <= maxRecordDuration)
        return QString();
    return tr("the recording limit must be 0 (no limit) to 999999.99 seconds");
}

QString ConfigLimits::sampleRateProblem(int32_t rate)
{
    if (sampleRates().contains(rate))
        return QString();
    return tr("the sample rate must be 100, 200, 500, 1000, 2000 or 4000");
}

QString ConfigLimits::adcProblem(const adcChannel &channel)
{
    if (!fitsFloat(channel.rangeMin) || !fitsFloat(channel.rangeMax) || !fitsFloat(channel.coefA)
        || !fitsFloat(channel.coefB))
        return tr("ranges and coefficients must be numbers between -3.40282e+38 and 3.40282e+38");
    if (!(channel.rangeMin < channel.rangeMax))
        return tr("the lower end of the range (%1) must be below the upper end (%2)")
            .arg(number(channel.rangeMin), number(channel.rangeMax));
    return QString();
}

QString ConfigLimits::imuProblem(const imuChannel &imu)
{
    if (fitsFloat(imu.accRange) && fitsFloat(imu.gyroRange) && imu.accRange > 0.0 && imu.gyroRange > 0.0)
        return QString();
    return tr("IMU ranges must be positive numbers up to 3.40282e+38");
}

int ConfigLimits::displayChannels(const daqConfig &cfg)
{
    const qint64 aux = cfg.auxActive() ? cfg.aux.first() : 0;
    const qint64 total = qint64(cfg.adc24.size()) + cfg.adc16.size() + 6 * qint64(cfg.imu6.size()) + aux;
    return int(qMin<qint64>(total, INT32_MAX));
}

int ConfigLimits::graphs(const daqConfig &cfg)
{
    return cfg.adc24.size() + cfg.adc16.size() + cfg.imu6.size() + (cfg.auxActive() ? 1 : 0);
}

QString ConfigLimits::displayProblem(const daqConfig &cfg)
{
    const int channels = displayChannels(cfg);
    if (channels > maxDisplayChannels)
        return tr("%1 channels to show (an IMU counts 6); the plot shows at most 144").arg(channels);
    const int bands = graphs(cfg);
    if (bands > maxGraphs)
        return tr("%1 graphs to show (one per channel, IMU and AUX device); the plot shows at most 24")
            .arg(bands);
    return QString();
}

QString ConfigLimits::nameProblem(const QString &name)
{
    if (name.size() > maxNameLength)
        return tr("a name may have at most %1 characters").arg(maxNameLength);
    QTextCodec *codec = QTextCodec::codecForLocale();
    for (int i = 0; i < name.size();) {
        const QString character = characterAt(name, i);
        if (isSeparatorLike(character.at(0)))
            return tr("a name cannot contain %1: in the configuration file a name is one word")
                .arg(describeSeparator(character.at(0)));
        if (!encodesSafely(character, codec))
            return tr("a name cannot contain \"%1\": the configuration file cannot store it in this "
                      "system's character set").arg(character);
        i += character.size();
    }
    return QString();
}
