#pragma once

#include <QVector>
#include <cstdint>

#include "adcchannel.h"
#include "imuchannel.h"

// The measurement configuration: a plain value type. Each channel list holds only the
// enabled channels of its kind, as a prefix of the device's channels in device order.
class daqConfig
{
public:
    daqConfig();

    // Empties the lists and restores the scalar defaults.
    void setDefaults();

    // Frame size in bytes implied by the lists: 4 per 16-bit channel, 4 per 24-bit
    // channel plus one 4-byte word for the 24-bit block, 12 per IMU, 2 per AUX word.
    int32_t expectedSampleSize() const;

    // True when any list is non-empty; an AUX entry of 0 counts.
    bool hasChannels() const;

    // True when there is exactly one AUX entry and it is greater than 0, i.e. the
    // stream carries AUX data.
    bool auxActive() const;

    int32_t sampleRate = 1000;     // frames per second
    int32_t sampleSize = 0;        // bytes per frame; 0 = not configured
    QVector<adcChannel> adc16;
    QVector<adcChannel> adc24;
    QVector<imuChannel> imu6;
    QVector<int32_t> aux;          // AUX part of a frame, in 16-bit words
    double timeline = 10.0;        // seconds shown by the live plot
    double maxDuration = 0.0;      // recording limit in seconds; 0 = no limit
};

// maxDuration is deliberately not compared: changing only the recording limit does
// not make a configuration "unsaved".
bool operator==(const daqConfig &a, const daqConfig &b);
bool operator!=(const daqConfig &a, const daqConfig &b);

