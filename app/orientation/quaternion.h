#pragma once

#include <cstdio>

// A rotation quaternion: four consecutive floats, scalar part first.
// The identity rotation is (1, 0, 0, 0). Angles are in radians throughout.
struct Quaternion
{
    float w;
    float x;
    float y;
    float z;
};

static_assert(sizeof(Quaternion) == 4 * sizeof(float), "a quaternion is four packed floats");

// Free functions on quaternions in single precision. Every result goes through
// an output pointer; a null output stops the program with an assertion.
// Three-float vectors (axes, vectors, Euler angles) are plain float[3].

void Quaternion_set(float w, float x, float y, float z, Quaternion *output);
void Quaternion_setIdentity(Quaternion *q);
void Quaternion_copy(const Quaternion *q, Quaternion *output);

// True when every component differs by at most 0.0001.
bool Quaternion_equal(const Quaternion *q1, const Quaternion *q2);

// Writes "(w, x, y, z)" with three decimals; returns what fprintf returns.
int Quaternion_fprint(FILE *file, const Quaternion *q);

// The axis is used as given; it is not normalised.
void Quaternion_fromAxisAngle(const float axis[3], float angle, Quaternion *output);
// Returns the angle; writes the axis, or (1, 0, 0) for a rotation by 0.
float Quaternion_toAxisAngle(const Quaternion *q, float output[3]);

void Quaternion_fromXRotation(float angle, Quaternion *output);
void Quaternion_fromYRotation(float angle, Quaternion *output);
void Quaternion_fromZRotation(float angle, Quaternion *output);

// Euler angles ZYX: element 0 roll (about x), 1 pitch (about y), 2 yaw (about z).
void Quaternion_fromEulerZYX(const float euler[3], Quaternion *output);
void Quaternion_toEulerZYX(const Quaternion *q, float output[3]);

void Quaternion_conjugate(const Quaternion *q, Quaternion *output);
float Quaternion_norm(const Quaternion *q);
// No guard against a zero quaternion: its result is not finite.
void Quaternion_normalize(const Quaternion *q, Quaternion *output);

// Hamilton product q1 * q2.
void Quaternion_multiply(const Quaternion *q1, const Quaternion *q2, Quaternion *output);

// The vector part of q * (0, v) * conjugate(q); q is used as given, not normalised.
void Quaternion_rotate(const Quaternion *q, const float v[3], float output[3]);

// Spherical interpolation from q1 (t = 0) to q2 (t = 1), without a sign flip.
void Quaternion_slerp(const Quaternion *q1, const Quaternion *q2, float t, Quaternion *output);
