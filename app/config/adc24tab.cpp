#include "adc24tab.h"

adc24Tab::adc24Tab(int count, const QVector<adcChannel> &channels, QWidget *parent)
    : channelTab(parent)
{
    buildAdcGrid(count, channels);
}

double adc24Tab::range()
{
    return 2.4;
}
