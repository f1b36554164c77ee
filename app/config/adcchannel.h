#pragma once

#include <QByteArray>

// One enabled ADC channel (16-bit or 24-bit). Its position in the configuration's
// list is its device channel number minus one.
struct adcChannel
{
    double rangeMin = 0.0;  // volt
    double rangeMax = 0.0;  // volt
    double coefA = 1.0;     // stored and compared only; no conversion uses it
    double coefB = 0.0;     // stored and compared only; no conversion uses it
    QByteArray name;        // UTF-8

    adcChannel() = default;
    adcChannel(double min, double max, double a, double b, const QByteArray &channelName);
};

// Doubles compare with ==, so a NaN never equals anything.
bool operator==(const adcChannel &a, const adcChannel &b);
bool operator!=(const adcChannel &a, const adcChannel &b);

