#pragma once

#include "channeltab.h"

// The page of the device's 24-bit ADC channels.
class adc24Tab : public channelTab
{
    Q_OBJECT

public:
    adc24Tab(int count, const QVector<adcChannel> &channels, QWidget *parent = nullptr);

    // The fixed input range of every 24-bit channel, in volt (symmetric).
    static double range();
};
