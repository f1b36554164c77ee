#include "adc16tab.h"

adc16Tab::adc16Tab(int count, const QVector<adcChannel> &channels, QWidget *parent)
    : channelTab(parent)
{
    buildAdcGrid(count, channels);
}

QVector<double> adc16Tab::ranges()
{
    return {6.0};
}
