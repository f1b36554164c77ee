#include "channelcounts.h"

#include <QList>

ChannelCounts ChannelCounts::parse(const QByteArray &answer)
{
    const QList<QByteArray> parts = answer.split(',');
    int values[4] = {0, 0, 0, 0};
    bool valid = parts.size() == 4;
    for (int i = 0; i < 4 && i < parts.size(); ++i) {
        bool ok = false;
        const int v = parts.at(i).trimmed().toInt(&ok, 10);
        values[i] = ok ? v : 0;
        valid = valid && ok && v >= 0;
    }
    ChannelCounts c;
    c.adc24 = values[0];
    c.adc16 = values[1];
    c.imu = values[2];
    c.aux = values[3];
    c.valid = valid && c.adc24 <= MaxDisplayValues && c.adc16 <= MaxDisplayValues && c.imu <= MaxImus
              && c.aux <= MaxDisplayValues;
    return c;
}
