#include "adcchannel.h"

adcChannel::adcChannel(double min, double max, double a, double b, const QByteArray &channelName)
    : rangeMin(min), rangeMax(max), coefA(a), coefB(b), name(channelName)
{
}

bool operator==(const adcChannel &a, const adcChannel &b)
{
    return a.rangeMin == b.rangeMin && a.rangeMax == b.rangeMax
        && a.coefA == b.coefA && a.coefB == b.coefB && a.name == b.name;
}

bool operator!=(const adcChannel &a, const adcChannel &b)
{
    return !(a == b);
}
