#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QVector>

class daqConfig;
struct adcChannel;

// Fills a configuration from the text of a ".conf" file. Reading goes on past a bad
// line, but a refused value is never stored: after a failure the configuration holds
// only what the acceptable lines put into it. The first problem found is kept, with
// the line it is on.
class ConfigReader
{
    Q_DECLARE_TR_FUNCTIONS(ConfigReader)

public:
    explicit ConfigReader(daqConfig &cfg);

    // Processes every line ended by a line feed (or CR LF); bytes after the last one are
    // ignored.
    // Then checks the file as a whole (keys present, frame size, what the plot can show).
    void read(const QByteArray &data);

    bool ok() const { return m_problem.isEmpty(); }
    const QString &problem() const { return m_problem; }
    int problemLine() const { return m_problemLine; }  // 0 when no single line is at fault

private:
    enum GeneralKey { Timeline, MaxDuration, SampleRate, SampleSize, GeneralKeyCount };

    void processLine(const QString &line);
    void processGeneral(GeneralKey key, const QString &value);
    void setDouble(GeneralKey key, const QString &value);
    void setInteger(GeneralKey key, const QString &value);
    void processAdc(const char *keyword, QVector<adcChannel> &list, const QString &value);
    void processImu(const QString &value);
    void processAux(const QString &value);
    void checkWhole();
    void refuse(const QString &why, int line);
    void refuseHere(const QString &why) { refuse(why, m_lineNumber); }

    static const char *keyText(GeneralKey key);

    daqConfig &m_cfg;
    int m_lineNumber = 0;
    int m_generalLine[GeneralKeyCount] = {};  // line of each general key; 0 = not seen
    int m_auxLine = 0;
    qint64 m_computedSize = 0;  // 64-bit, so absurd lengths in a file cannot wrap around
    bool m_adc24Seen = false;
    QString m_problem;
    int m_problemLine = 0;
};
