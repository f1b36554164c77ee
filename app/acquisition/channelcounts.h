#pragma once

#include <QByteArray>

// The device's answer to "conf:sca:num?": 24-bit channels, 16-bit channels, IMUs, AUX words.
struct ChannelCounts
{
    // The most the window can carry: 144 display values in all, every 24-bit or 16-bit
    // channel one value, every IMU six, every AUX word one.
    static constexpr int MaxDisplayValues = 144;
    static constexpr int MaxImus = MaxDisplayValues / 6;

    int adc24 = 0;
    int adc16 = 0;
    int imu = 0;
    int aux = 0;
    // False for an answer that is not four counts the program could ever use: a part
    // missing or not a decimal number, a negative count, or one beyond the limits above.
    // Such counts are a device fault and must not be used.
    bool valid = false;

    // Each comma-separated part is trimmed of blanks and line ends first (UDP answers
    // arrive untrimmed); a missing or non-numeric part counts 0 (and makes the answer invalid).
    static ChannelCounts parse(const QByteArray &answer);
};
