#include "configreader.h"

#include "configfile.h"
#include "configlimits.h"
#include "daqconfig.h"

#include <QDebug>

ConfigReader::ConfigReader(daqConfig &cfg) : m_cfg(cfg)
{
}

const char *ConfigReader::keyText(GeneralKey key)
{
    static const char *const keys[GeneralKeyCount] = {"timeline=", "maxDuration=", "sampleRate=", "sampleSize="};
    return keys[key];
}

void ConfigReader::refuse(const QString &why, int line)
{
    if (!m_problem.isEmpty())
        return;
    m_problem = why;
    m_problemLine = line;
}

void ConfigReader::read(const QByteArray &data)
{
    int start = 0;
    for (int end = data.indexOf('\n'); end >= 0; end = data.indexOf('\n', start)) {
        ++m_lineNumber;
        QString line = QString::fromLatin1(data.constData() + start, end - start + 1);
        // A file saved by a Windows editor ends its lines with CR LF: carriage returns
        // before the line feed belong to the line end, not to the last word (a name
        // would carry an invisible CR that the dialog then refuses).
        int crs = 0;
        while (crs + 1 < line.size() && line.at(line.size() - 2 - crs) == QLatin1Char('\r'))
            ++crs;
        line.remove(line.size() - 1 - crs, crs);
        processLine(line);
        start = end + 1;
    }
    checkWhole();
}

// A line starts with at most one key, so the first match decides.
void ConfigReader::processLine(const QString &line)
{
    qDebug() << "line = " << line;
    for (int k = 0; k < GeneralKeyCount; ++k) {
        if (line.startsWith(QLatin1String(keyText(GeneralKey(k))))) {
            processGeneral(GeneralKey(k), getmatch(line, QLatin1String(keyText(GeneralKey(k)))));
            return;
        }
    }
    if (line.startsWith(QLatin1String("adc16")))
        processAdc("adc16", m_cfg.adc16, getmatch(line, QStringLiteral("adc16")));
    else if (line.startsWith(QLatin1String("adc24")))
        processAdc("adc24", m_cfg.adc24, getmatch(line, QStringLiteral("adc24")));
    else if (line.startsWith(QLatin1String("imu6")))
        processImu(getmatch(line, QStringLiteral("imu6")));
    else if (line.startsWith(QLatin1String("aux")))
        processAux(getmatch(line, QStringLiteral("aux")));
}

void ConfigReader::processGeneral(GeneralKey key, const QString &value)
{
    const QString name = QString::fromLatin1(keyText(key)).chopped(1);
    if (m_generalLine[key] > 0) {
        refuseHere(tr("%1 is given a second time (first in line %2)").arg(name).arg(m_generalLine[key]));
        return;
    }
    m_generalLine[key] = m_lineNumber;
    if (value.trimmed().isEmpty()) {
        refuseHere(tr("%1 has no value").arg(name));
        return;
    }
    if (key == Timeline || key == MaxDuration)
        setDouble(key, value);
    else
        setInteger(key, value);
}

void ConfigReader::setDouble(GeneralKey key, const QString &value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok) {
        refuseHere(tr("%1%2 is not a number").arg(QLatin1String(keyText(key)), value.trimmed()));
        return;
    }
    const QString why = key == Timeline ? ConfigLimits::timelineProblem(number)
                                        : ConfigLimits::maxDurationProblem(number);
    if (!why.isEmpty())
        refuseHere(why);
    else if (key == Timeline)
        m_cfg.timeline = number;
    else
        m_cfg.maxDuration = number;
}

void ConfigReader::setInteger(GeneralKey key, const QString &value)
{
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    if (!ok) {
        refuseHere(tr("%1%2 is not a whole number").arg(QLatin1String(keyText(key)), value.trimmed()));
        return;
    }
    if (key == SampleRate) {
        const QString why = ConfigLimits::sampleRateProblem(number);
        if (!why.isEmpty())
            refuseHere(why);
        else
            m_cfg.sampleRate = number;
    } else if (number <= 0) {
        refuseHere(tr("the frame size (sampleSize) must be above 0 bytes"));
    } else {
        m_cfg.sampleSize = number;
    }
}

void ConfigReader::processAdc(const char *keyword, QVector<adcChannel> &list, const QString &value)
{
    if (qstrcmp(keyword, "adc24") == 0)
        m_adc24Seen = true;
    adcChannel channel;
    if (!adcdecode(value, channel)) {
        refuseHere(tr("an %1 line needs 2, the range ends and two coefficients as numbers, then a name")
                       .arg(QLatin1String(keyword)));
        return;
    }
    const QString why = ConfigLimits::adcProblem(channel);
    if (!why.isEmpty()) {
        refuseHere(why);
        return;
    }
    list.append(channel);
    m_computedSize += 4;
}

void ConfigReader::processImu(const QString &value)
{
    imuChannel imu;
    if (!imudecode(value, imu)) {
        refuseHere(tr("an imu6 line needs the acceleration and rotation ranges as numbers, then a name"));
        return;
    }
    const QString why = ConfigLimits::imuProblem(imu);
    if (!why.isEmpty()) {
        refuseHere(why);
        return;
    }
    m_cfg.imu6.append(imu);
    m_computedSize += 12;
}

// One AUX device at most: a second line would make the device send a frame that the
// decoder does not expect.
void ConfigReader::processAux(const QString &value)
{
    qDebug() << "auxline = " << value;
    if (m_auxLine > 0) {
        refuseHere(tr("a second aux line (the first is line %1); there is only one AUX device").arg(m_auxLine));
        return;
    }
    m_auxLine = m_lineNumber;
    int32_t length = 0;
    if (!auxdecode(value, length)) {
        refuseHere(tr("an aux line needs the number of 16-bit AUX words (0 or more)"));
        return;
    }
    qDebug() << "aux samplesize = " << length;
    m_cfg.aux.append(length);
    m_computedSize += 2 * qint64(length);
}

void ConfigReader::checkWhole()
{
    if (m_adc24Seen)
        m_computedSize += 4;
    qDebug("loadConfiguration(): sampleRate =%d", m_cfg.sampleRate);
    qDebug() << "samplesize " << m_cfg.sampleSize << " check " << m_computedSize;
    for (int k = 0; k < GeneralKeyCount; ++k) {
        if (m_generalLine[k] == 0)
            refuse(tr("the %1 line is missing").arg(QLatin1String(keyText(GeneralKey(k)))), 0);
    }
    const QString why = ConfigLimits::displayProblem(m_cfg);
    if (!why.isEmpty())
        refuse(why, 0);
    if (m_computedSize == 0)
        refuse(tr("no channel sends data (the frame size would be 0)"), 0);
    else if (m_cfg.sampleSize != m_computedSize)
        refuse(tr("sampleSize=%1 does not match the channels listed, which need %2 bytes per frame")
                   .arg(m_cfg.sampleSize).arg(m_computedSize), m_generalLine[SampleSize]);
}
