#pragma once

#include "channeltab.h"

// The page of the device's 16-bit ADC channels.
class adc16Tab : public channelTab
{
    Q_OBJECT

public:
    adc16Tab(int count, const QVector<adcChannel> &channels, QWidget *parent = nullptr);

    // Input ranges offered for 16-bit channels, in volt; the first one is used.
    static QVector<double> ranges();
};
