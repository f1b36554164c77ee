#pragma once

#include "quaternion.h"

// Per-IMU state of the gradient-descent orientation filter.
struct MadgwickState
{
    int mode = 0;              // 0: gyroscope + accelerometer; otherwise with magnetometer
    float beta = 1.0f;         // filter gain
    float samplePeriod = 1.0f; // seconds between rows
    float accScale = 1.0f;     // normalised accelerometer value -> g
    float gyroScale = 1.0f;    // normalised gyroscope value -> degrees per second
    Quaternion q = {1.0f, 0.0f, 0.0f, 0.0f};
};

// Result of the last step: Euler angles ZYX divided by pi (elements 0..2) and
// the last gradient step magnitude minus one (element 3).
struct OrientationRecord
{
    float value[4] = {0.0f, 0.0f, 0.0f, 0.0f};

    float operator[](int i) const { return value[i]; }
};

// Resets the state to the identity orientation with the given scaling.
void madgwickInit(MadgwickState *state, double accRange, double gyroRange,
                  unsigned int sampleRate, float beta, int mode);

// One filter step. `input` holds the normalised accelerometer x, y, z and
// gyroscope x, y, z, followed by a magnetometer x, y, z when the mode asks for it.
// The returned record is shared by all filters and overwritten by the next step.
const OrientationRecord *madgwickStep(MadgwickState *state, const float *input);

// The update routines work on the process-wide working set that madgwickStep
// loads from and stores back into a state. Gyroscope in rad/s.
void updateIMU6(float gx, float gy, float gz, float ax, float ay, float az);
void updateIMU9(float gx, float gy, float gz, float ax, float ay, float az,
                float mx, float my, float mz);
