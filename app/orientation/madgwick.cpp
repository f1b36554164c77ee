#include "madgwick.h"

#include <cmath>

namespace {

// The working set shared by every filter: loaded from a state before each step
// and stored back after it. The filter is therefore not reentrant.
Quaternion work = {1.0f, 0.0f, 0.0f, 0.0f};
float workBeta = 0.1f;
float workPeriod = 1.0f;
float stepMagnitude = 0.0f;
OrientationRecord record;

const float degToRad = 0.017453292f;
const float invPi = 0.31830987f;

float invSqrt(float x)
{
    return 1.0f / std::sqrt(x);
}

// Integrates a rate of change over one sample period and renormalises.
void integrate(float qDot1, float qDot2, float qDot3, float qDot4)
{
    work.w += qDot1 * workPeriod;
    work.x += qDot2 * workPeriod;
    work.y += qDot3 * workPeriod;
    work.z += qDot4 * workPeriod;
    const float n = invSqrt(work.w * work.w + work.x * work.x + work.y * work.y + work.z * work.z);
    work.w *= n;
    work.x *= n;
    work.y *= n;
    work.z *= n;
}

bool allZero(float a, float b, float c)
{
    return a == 0.0f && b == 0.0f && c == 0.0f;
}

} // namespace

void madgwickInit(MadgwickState *state, double accRange, double gyroRange,
                  unsigned int sampleRate, float beta, int mode)
{
    state->mode = mode;
    state->beta = beta;
    state->samplePeriod = 1.0f / float(sampleRate);
    state->accScale = float(accRange);
    state->gyroScale = float(gyroRange);
    Quaternion_setIdentity(&state->q);
}

const OrientationRecord *madgwickStep(MadgwickState *state, const float *input)
{
    Quaternion_copy(&state->q, &work);
    workBeta = state->beta;
    workPeriod = state->samplePeriod;

    const float ax = input[0] * state->accScale;
    const float ay = input[1] * state->accScale;
    const float az = input[2] * state->accScale;
    const float gx = input[3] * state->gyroScale * degToRad;
    const float gy = input[4] * state->gyroScale * degToRad;
    const float gz = input[5] * state->gyroScale * degToRad;

    if (state->mode == 0)
        updateIMU6(gx, gy, gz, ax, ay, az);
    else
        updateIMU9(gx, gy, gz, ax, ay, az, input[6], input[7], input[8]);

    float euler[3];
    Quaternion_toEulerZYX(&work, euler);
    Quaternion_copy(&work, &state->q);

    record.value[0] = euler[0] * invPi;
    record.value[1] = euler[1] * invPi;
    record.value[2] = euler[2] * invPi;
    record.value[3] = stepMagnitude - 1.0f;
    return &record;
}

void updateIMU6(float gx, float gy, float gz, float ax, float ay, float az)
{
    const float q0 = work.w, q1 = work.x, q2 = work.y, q3 = work.z;

    // Rate of change of the quaternion from the gyroscope.
    float qDot1 = 0.5f * (-q1 * gx - q2 * gy - q3 * gz);
    float qDot2 = 0.5f * (q0 * gx + q2 * gz - q3 * gy);
    float qDot3 = 0.5f * (q0 * gy - q1 * gz + q3 * gx);
    float qDot4 = 0.5f * (q0 * gz + q1 * gy - q2 * gx);

    // Without an accelerometer reading there is nothing to correct against.
    if (!allZero(ax, ay, az)) {
        const float recipNorm = invSqrt(ax * ax + ay * ay + az * az);
        ax *= recipNorm;
        ay *= recipNorm;
        az *= recipNorm;

        const float _2q0 = 2.0f * q0, _2q1 = 2.0f * q1, _2q2 = 2.0f * q2, _2q3 = 2.0f * q3;
        const float _4q0 = 4.0f * q0, _4q1 = 4.0f * q1, _4q2 = 4.0f * q2;
        const float _8q1 = 8.0f * q1, _8q2 = 8.0f * q2;
        const float q0q0 = q0 * q0, q1q1 = q1 * q1, q2q2 = q2 * q2, q3q3 = q3 * q3;

        // Gradient of the objective function (gravity direction error).
        float s0 = _4q0 * q2q2 + _2q2 * ax + _4q0 * q1q1 - _2q1 * ay;
        float s1 = _4q1 * q3q3 - _2q3 * ax + 4.0f * q0q0 * q1 - _2q0 * ay - _4q1
                 + _8q1 * q1q1 + _8q1 * q2q2 + _4q1 * az;
        float s2 = 4.0f * q0q0 * q2 + _2q0 * ax + _4q2 * q3q3 - _2q3 * ay - _4q2
                 + _8q2 * q1q1 + _8q2 * q2q2 + _4q2 * az;
        float s3 = 4.0f * q1q1 * q3 - _2q1 * ax + 4.0f * q2q2 * q3 - _2q2 * ay;

        stepMagnitude = std::sqrt(s0 * s0 + s1 * s1 + s2 * s2 + s3 * s3);
        // A zero gradient means the estimate already matches gravity; scaling
        // by its inverse would turn the estimate into NaN for good.
        if (stepMagnitude != 0.0f) {
            const float recipStep = 1.0f / stepMagnitude;
            s0 *= recipStep;
            s1 *= recipStep;
            s2 *= recipStep;
            s3 *= recipStep;
            qDot1 -= workBeta * s0;
            qDot2 -= workBeta * s1;
            qDot3 -= workBeta * s2;
            qDot4 -= workBeta * s3;
        }
    }

    integrate(qDot1, qDot2, qDot3, qDot4);
}

void updateIMU9(float gx, float gy, float gz, float ax, float ay, float az,
                float mx, float my, float mz)
{
    if (allZero(mx, my, mz)) {
        updateIMU6(gx, gy, gz, ax, ay, az);
        return;
    }

    const float q0 = work.w, q1 = work.x, q2 = work.y, q3 = work.z;

    float qDot1 = 0.5f * (-q1 * gx - q2 * gy - q3 * gz);
    float qDot2 = 0.5f * (q0 * gx + q2 * gz - q3 * gy);
    float qDot3 = 0.5f * (q0 * gy - q1 * gz + q3 * gx);
    float qDot4 = 0.5f * (q0 * gz + q1 * gy - q2 * gx);

    if (!allZero(ax, ay, az)) {
        float recipNorm = invSqrt(ax * ax + ay * ay + az * az);
        ax *= recipNorm;
        ay *= recipNorm;
        az *= recipNorm;
        recipNorm = invSqrt(mx * mx + my * my + mz * mz);
        mx *= recipNorm;
        my *= recipNorm;
        mz *= recipNorm;

        const float _2q0mx = 2.0f * q0 * mx, _2q0my = 2.0f * q0 * my, _2q0mz = 2.0f * q0 * mz;
        const float _2q1mx = 2.0f * q1 * mx;
        const float _2q0 = 2.0f * q0, _2q1 = 2.0f * q1, _2q2 = 2.0f * q2, _2q3 = 2.0f * q3;
        const float _2q0q2 = 2.0f * q0 * q2, _2q2q3 = 2.0f * q2 * q3;
        const float q0q0 = q0 * q0, q0q1 = q0 * q1, q0q2 = q0 * q2, q0q3 = q0 * q3;
        const float q1q1 = q1 * q1, q1q2 = q1 * q2, q1q3 = q1 * q3;
        const float q2q2 = q2 * q2, q2q3 = q2 * q3, q3q3 = q3 * q3;

        // Reference direction of the earth's magnetic field.
        const float hx = mx * q0q0 - _2q0my * q3 + _2q0mz * q2 + mx * q1q1 + _2q1 * my * q2
                       + _2q1 * mz * q3 - mx * q2q2 - mx * q3q3;
        const float hy = _2q0mx * q3 + my * q0q0 - _2q0mz * q1 + _2q1mx * q2 - my * q1q1
                       + my * q2q2 + _2q2 * mz * q3 - my * q3q3;
        const float _2bx = std::sqrt(hx * hx + hy * hy);
        const float _2bz = -_2q0mx * q2 + _2q0my * q1 + mz * q0q0 + _2q1mx * q3 - mz * q1q1
                         + _2q2 * my * q3 - mz * q2q2 + mz * q3q3;
        const float _4bx = 2.0f * _2bx;
        const float _4bz = 2.0f * _2bz;

        // Gradient of the combined gravity and magnetic field objective.
        const float fa1 = 2.0f * q1q3 - _2q0q2 - ax;
        const float fa2 = 2.0f * q0q1 + _2q2q3 - ay;
        const float fa3 = 1.0f - 2.0f * q1q1 - 2.0f * q2q2 - az;
        const float fm1 = _2bx * (0.5f - q2q2 - q3q3) + _2bz * (q1q3 - q0q2) - mx;
        const float fm2 = _2bx * (q1q2 - q0q3) + _2bz * (q0q1 + q2q3) - my;
        const float fm3 = _2bx * (q0q2 + q1q3) + _2bz * (0.5f - q1q1 - q2q2) - mz;

        float s0 = -_2q2 * fa1 + _2q1 * fa2 - _2bz * q2 * fm1
                 + (-_2bx * q3 + _2bz * q1) * fm2 + _2bx * q2 * fm3;
        float s1 = _2q3 * fa1 + _2q0 * fa2 - 4.0f * q1 * fa3 + _2bz * q3 * fm1
                 + (_2bx * q2 + _2bz * q0) * fm2 + (_2bx * q3 - _4bz * q1) * fm3;
        float s2 = -_2q0 * fa1 + _2q3 * fa2 - 4.0f * q2 * fa3
                 + (-_4bx * q2 - _2bz * q0) * fm1 + (_2bx * q1 + _2bz * q3) * fm2
                 + (_2bx * q0 - _4bz * q2) * fm3;
        float s3 = _2q1 * fa1 + _2q2 * fa2 + (-_4bx * q3 + _2bz * q1) * fm1
                 + (-_2bx * q0 + _2bz * q2) * fm2 + _2bx * q1 * fm3;

        const float magnitude = std::sqrt(s0 * s0 + s1 * s1 + s2 * s2 + s3 * s3);
        if (magnitude != 0.0f) {
            const float recipStep = 1.0f / magnitude;
            qDot1 -= workBeta * s0 * recipStep;
            qDot2 -= workBeta * s1 * recipStep;
            qDot3 -= workBeta * s2 * recipStep;
            qDot4 -= workBeta * s3 * recipStep;
        }
    }

    integrate(qDot1, qDot2, qDot3, qDot4);
}
