#pragma once

#include <QVector>

#include <cstdint>

class daqConfig;

// Turns stream frames into numbers: display rows normalised to -1 ... +1, and batches
// of physical values (volt, g, grad/s, raw AUX words) for the trace file.
//
// Frame layout, little-endian: [24-bit status word, N24 x int32] [N16 x 2 int16 in
// sample-instant order] [NIMU x (acc xyz, gyro xyz) int16] [L AUX int16 words].
class FrameConverter
{
public:
    static constexpr int maxRowValues = 144;  // the plot area's channel limit

    void configure(const daqConfig &conf);

    int frameSize() const { return sampleSize; }
    int rowLength() const { return n24 + n16 + 6 * nImu + nAux; }
    int imuCount() const { return nImu; }
    int auxWordCount() const { return nAux; }
    int imuRowOffset(int imu) const { return n24 + n16 + 6 * imu; }

    // Display conversion of one frame; returns the number of values written to row.
    int displayRow(const uint8_t *frame, float *row) const;

    // Recording conversions of n whole frames. Each returns a pointer to a buffer that
    // stays valid until the next conversion call: N24 values per frame, 2 rows of N16
    // per frame, 6*NIMU per frame, L words per frame. Null when the kind is absent.
    const float *adc24Values(const uint8_t *frames, int n);
    const float *adc16Values(const uint8_t *frames, int n);
    const float *imuValues(const uint8_t *frames, int n);
    const int16_t *auxWords(const uint8_t *frames, int n);

    // Converts n whole frames for the trace file and hands the rows of each values
    // dataset present to append(const void *rows, int rowCount), in the order the trace
    // layout creates the datasets: 16-bit (two rows a frame), 24-bit, IMU, AUX.
    template <typename Append>
    void forEachDataset(const uint8_t *frames, int n, Append append)
    {
        if (const float *v = adc16Values(frames, n))
            append(static_cast<const void *>(v), 2 * n);
        if (const float *v = adc24Values(frames, n))
            append(static_cast<const void *>(v), n);
        if (const float *v = imuValues(frames, n))
            append(static_cast<const void *>(v), n);
        if (const int16_t *w = auxWords(frames, n))
            append(static_cast<const void *>(w), n);
    }

private:
    int sampleSize = 0;
    int n24 = 0, n16 = 0, nImu = 0, nAux = 0;
    int offset16 = 0, offsetImu = 0, offsetAux = 0;
    QVector<float> factor24, factor16, factorImu;
    QVector<float> values;      // reused from step to step
    QVector<int16_t> words;
};
