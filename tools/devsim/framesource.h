#pragma once

#include "streamlayout.h"

#include <QByteArray>
#include <QVector>

// Builds stream frames whose contents are known functions of the frame number, so that
// a receiver can check what it decoded: one sine per ADC channel, a slowly turning IMU
// with gravity on its accelerometer, and an AUX counter.
class FrameSource
{
public:
    FrameSource(const StreamLayout &layout, int rate, quint64 seed);

    int frameSize() const { return m_frameSize; }
    // Appends frame number `index` (counted from the start of the stream) to out.
    void appendFrame(QByteArray &out, quint64 index) const;

    static double channelFrequency(int channel) { return 0.5 * (channel + 1); }
    static double channelPhase(quint64 seed, int channel);
    static double imuTiltDegrees(int imu) { return 10.0 * (imu + 1); }
    static double imuTurnRate(int imu) { return 5.0 * (imu + 1); }

private:
    void write24(char *frame, double t) const;
    void write16(char *frame, double t) const;
    void writeImu(char *frame) const;
    void writeAux(char *frame, quint64 index) const;

    StreamLayout m_layout;
    int m_frameSize;
    double m_rate;
    QVector<double> m_phase24;
    QVector<double> m_phase16;
    QVector<qint16> m_imuWords;   // constant: the IMU turns at a steady rate
};
