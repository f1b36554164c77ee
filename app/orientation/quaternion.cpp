// The null checks below are part of the module's contract, so they stay active
// in release builds as well.
#ifdef NDEBUG
#undef NDEBUG
#endif
#include <cassert>

#include "quaternion.h"

#include <cmath>

namespace {

const float halfPi = 1.57079632679489661923f;

} // namespace

// Results are formed in locals first, so an output may alias an input.

void Quaternion_set(float w, float x, float y, float z, Quaternion *output)
{
    assert(output != NULL);
    output->w = w;
    output->x = x;
    output->y = y;
    output->z = z;
}

void Quaternion_setIdentity(Quaternion *q)
{
    assert(q != NULL);
    Quaternion_set(1.0f, 0.0f, 0.0f, 0.0f, q);
}

void Quaternion_copy(const Quaternion *q, Quaternion *output)
{
    assert(output != NULL);
    Quaternion_set(q->w, q->x, q->y, q->z, output);
}

bool Quaternion_equal(const Quaternion *q1, const Quaternion *q2)
{
    const double tolerance = 0.0001;
    return std::fabs(double(q1->w) - double(q2->w)) <= tolerance
        && std::fabs(double(q1->x) - double(q2->x)) <= tolerance
        && std::fabs(double(q1->y) - double(q2->y)) <= tolerance
        && std::fabs(double(q1->z) - double(q2->z)) <= tolerance;
}

int Quaternion_fprint(FILE *file, const Quaternion *q)
{
    return std::fprintf(file, "(%.3f, %.3f, %.3f, %.3f)",
                        double(q->w), double(q->x), double(q->y), double(q->z));
}

void Quaternion_fromAxisAngle(const float axis[3], float angle, Quaternion *output)
{
    assert(output != NULL);
    const float s = std::sin(angle / 2.0f);
    Quaternion_set(std::cos(angle / 2.0f), axis[0] * s, axis[1] * s, axis[2] * s, output);
}

float Quaternion_toAxisAngle(const Quaternion *q, float output[3])
{
    assert(output != NULL);
    const float angle = 2.0f * std::acos(q->w);
    const float root = std::sqrt(1.0f - q->w * q->w);
    if (root == 0.0f) {
        output[0] = 1.0f;
        output[1] = 0.0f;
        output[2] = 0.0f;
    } else {
        output[0] = q->x / root;
        output[1] = q->y / root;
        output[2] = q->z / root;
    }
    return angle;
}

void Quaternion_fromXRotation(float angle, Quaternion *output)
{
    const float axis[3] = {1.0f, 0.0f, 0.0f};
    Quaternion_fromAxisAngle(axis, angle, output);
}

void Quaternion_fromYRotation(float angle, Quaternion *output)
{
    const float axis[3] = {0.0f, 1.0f, 0.0f};
    Quaternion_fromAxisAngle(axis, angle, output);
}

void Quaternion_fromZRotation(float angle, Quaternion *output)
{
    const float axis[3] = {0.0f, 0.0f, 1.0f};
    Quaternion_fromAxisAngle(axis, angle, output);
}

void Quaternion_fromEulerZYX(const float euler[3], Quaternion *output)
{
    assert(output != NULL);
    const float cr = std::cos(euler[0] / 2.0f);
    const float sr = std::sin(euler[0] / 2.0f);
    const float cp = std::cos(euler[1] / 2.0f);
    const float sp = std::sin(euler[1] / 2.0f);
    const float cy = std::cos(euler[2] / 2.0f);
    const float sy = std::sin(euler[2] / 2.0f);
    Quaternion_set(cy * cr * cp + sy * sr * sp,
                   cy * sr * cp - sy * cr * sp,
                   cy * cr * sp + sy * sr * cp,
                   sy * cr * cp - cy * sr * sp,
                   output);
}

void Quaternion_toEulerZYX(const Quaternion *q, float output[3])
{
    assert(output != NULL);
    const float w = q->w, x = q->x, y = q->y, z = q->z;

    // Roll: the denominator is formed in double and rounded once to float.
    const float rollDen = float(1.0 - 2.0 * double(x * x + y * y));
    const float roll = std::atan2(2.0f * (x * w + y * z), rollDen);

    // Pitch: clamp where asin would leave its domain (gimbal lock).
    const float p = 2.0f * (w * y - z * x);
    const float pitch = std::fabs(p) >= 1.0f ? std::copysign(halfPi, p) : std::asin(p);

    const float yaw = std::atan2(2.0f * (z * w + y * x), 1.0f - 2.0f * (y * y + z * z));

    output[0] = roll;
    output[1] = pitch;
    output[2] = yaw;
}

void Quaternion_conjugate(const Quaternion *q, Quaternion *output)
{
    assert(output != NULL);
    Quaternion_set(q->w, -q->x, -q->y, -q->z, output);
}

float Quaternion_norm(const Quaternion *q)
{
    assert(q != NULL);
    return std::sqrt(q->w * q->w + q->x * q->x + q->y * q->y + q->z * q->z);
}

void Quaternion_normalize(const Quaternion *q, Quaternion *output)
{
    assert(output != NULL);
    const float n = Quaternion_norm(q);
    Quaternion_set(q->w / n, q->x / n, q->y / n, q->z / n, output);
}

void Quaternion_multiply(const Quaternion *q1, const Quaternion *q2, Quaternion *output)
{
    assert(output != NULL);
    const float w = q1->w * q2->w - q1->x * q2->x - q1->y * q2->y - q1->z * q2->z;
    const float x = q1->w * q2->x + q1->x * q2->w + q1->y * q2->z - q1->z * q2->y;
    const float y = q1->w * q2->y - q1->x * q2->z + q1->y * q2->w + q1->z * q2->x;
    const float z = q1->w * q2->z + q1->x * q2->y - q1->y * q2->x + q1->z * q2->w;
    Quaternion_set(w, x, y, z, output);
}

void Quaternion_rotate(const Quaternion *q, const float v[3], float output[3])
{
    assert(output != NULL);
    const float ww = q->w * q->w;
    const float xx = q->x * q->x;
    const float yy = q->y * q->y;
    const float zz = q->z * q->z;
    const float wx = 2.0f * q->w * q->x;
    const float wy = 2.0f * q->w * q->y;
    const float wz = 2.0f * q->w * q->z;
    const float xy = 2.0f * q->x * q->y;
    const float xz = 2.0f * q->x * q->z;
    const float yz = 2.0f * q->y * q->z;

    const float r0 = v[0] * (ww + xx - yy - zz) + v[1] * (xy - wz) + v[2] * (xz + wy);
    const float r1 = v[0] * (xy + wz) + v[1] * (ww - xx + yy - zz) + v[2] * (yz - wx);
    const float r2 = v[0] * (xz - wy) + v[1] * (yz + wx) + v[2] * (ww - xx - yy + zz);
    output[0] = r0;
    output[1] = r1;
    output[2] = r2;
}

void Quaternion_slerp(const Quaternion *q1, const Quaternion *q2, float t, Quaternion *output)
{
    assert(output != NULL);
    const float d = q1->w * q2->w + q1->x * q2->x + q1->y * q2->y + q1->z * q2->z;
    if (std::fabs(d) >= 1.0f) {
        Quaternion_copy(q1, output);
        return;
    }
    const float h = std::acos(d);
    const float r = std::sqrt(1.0f - d * d);
    const float a = std::sin((1.0f - t) * h) / r;
    const float b = std::sin(t * h) / r;
    Quaternion_set(a * q1->w + b * q2->w, a * q1->x + b * q2->x,
                   a * q1->y + b * q2->y, a * q1->z + b * q2->z, output);
}
