#pragma once

#include <QCoreApplication>
#include <QString>
#include <QVector>

#include <cstdint>

class daqConfig;
struct adcChannel;
struct imuChannel;

// What a measurement configuration may hold, whoever built it (file or dialog). Each
// check returns an empty text when the value is fine, else a short sentence in plain
// words for the user.
class ConfigLimits
{
    Q_DECLARE_TR_FUNCTIONS(ConfigLimits)

public:
    static constexpr double minTimeline = 1.0;          // s
    static constexpr double maxTimeline = 600.0;        // s
    static constexpr double maxRecordDuration = 999999.99;  // s; 0 = no limit
    static constexpr int maxDisplayChannels = 144;      // plot rows (an IMU fills 6)
    static constexpr int maxGraphs = 24;                // plot bands (an IMU fills 1)
    static constexpr int maxNameLength = 255;           // characters

    // Rates any device of the family can sample at; a given device offers a subset.
    static QVector<int32_t> sampleRates();

    static QString timelineProblem(double seconds);
    static QString maxDurationProblem(double seconds);
    static QString sampleRateProblem(int32_t rate);
    // Finite, ordered, and small enough that converted samples stay 32-bit floats.
    static QString adcProblem(const adcChannel &channel);
    static QString imuProblem(const imuChannel &imu);
    // Channel and graph counts the live plot can show.
    static QString displayProblem(const daqConfig &cfg);
    // Names are single words of the configuration file: no blank, tab, line break,
    // control character, or character the local 8-bit encoding cannot carry.
    static QString nameProblem(const QString &name);

    static int displayChannels(const daqConfig &cfg);
    static int graphs(const daqConfig &cfg);
};
