#pragma once

#include <QByteArray>

// The device's answer to "conf:sca:num?": 24-bit channels, 16-bit channels, IMUs, AUX words.
struct ChannelCounts
{
    int adc24 = 0;
    int adc16 = 0;
    int imu = 0;
    int aux = 0;

    // Each comma-separated part is trimmed of blanks and line ends first (UDP answers
    // arrive untrimmed); a missing or non-numeric part counts 0.
    static ChannelCounts parse(const QByteArray &answer);
};
