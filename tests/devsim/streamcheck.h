#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Test-side decoding of devsim's stream, written from the documented frame layout and
// signals (devsim --help), independent of both devsim and the application.
struct StreamCheck
{
    int n24 = 0;
    int n16 = 0;
    int nImu = 0;
    int nAux = 0;
    int rate = 1000;
    QVector<double> accRange;    // per IMU
    QVector<double> gyroRange;

    int frameSize() const;
    // Empty when the frames are what devsim documents; else what is wrong.
    // firstFrame: number of the first frame since "init".
    QString check(const QByteArray &frames, quint64 firstFrame) const;

    // Cuts definite-length blocks ("#", digit count, length, payload, line feed) out of
    // a serial stream; false with an error text on a framing fault.
    static bool splitBlocks(const QByteArray &stream, QByteArray &payload, int &blocks, QString &error);

    // Least-squares sine of frequency f (Hz) through samples taken at `sampleRate`:
    // amplitude and the largest deviation of a sample from the fitted sine.
    static void fitSine(const QVector<double> &samples, double sampleRate, double f, double &amplitude,
                        double &maxResidual);

private:
    QString check24(const QByteArray &frames, int count, quint64 firstFrame) const;
    QString check16(const QByteArray &frames, int count) const;
    QString checkImu(const QByteArray &frames, int count) const;
    QString checkAux(const QByteArray &frames, int count, quint64 firstFrame) const;
};
