#include <QtTest>

#include "orientation/madgwick.h"

#include <cmath>

namespace {

// An independent 6-axis update written from the published description: the
// gradient is J^T f of the gravity objective, evaluated in double precision.
struct ReferenceFilter
{
    double q[4] = {1.0, 0.0, 0.0, 0.0};
    double beta = 1.0;
    double dt = 0.001;
    double magnitude = 0.0;

    void step(double gx, double gy, double gz, double ax, double ay, double az)
    {
        const double w = q[0], x = q[1], y = q[2], z = q[3];
        // qDot = 0.5 * q (x) (0, g)
        double dot[4] = {
            0.5 * (-x * gx - y * gy - z * gz),
            0.5 * (w * gx + y * gz - z * gy),
            0.5 * (w * gy - x * gz + z * gx),
            0.5 * (w * gz + x * gy - y * gx),
        };
        const double an = std::sqrt(ax * ax + ay * ay + az * az);
        if (an != 0.0) {
            ax /= an;
            ay /= an;
            az /= an;
            const double f[3] = {
                2.0 * (x * z - w * y) - ax,
                2.0 * (w * x + y * z) - ay,
                2.0 * (0.5 - x * x - y * y) - az,
            };
            const double jt[4][3] = {
                {-2.0 * y, 2.0 * x, 0.0},
                {2.0 * z, 2.0 * w, -4.0 * x},
                {-2.0 * w, 2.0 * z, -4.0 * y},
                {2.0 * x, 2.0 * y, 0.0},
            };
            double grad[4];
            double sum = 0.0;
            for (int i = 0; i < 4; ++i) {
                grad[i] = jt[i][0] * f[0] + jt[i][1] * f[1] + jt[i][2] * f[2];
                sum += grad[i] * grad[i];
            }
            magnitude = std::sqrt(sum);
            if (magnitude > 0.0)
                for (int i = 0; i < 4; ++i)
                    dot[i] -= beta * grad[i] / magnitude;
        }
        double n = 0.0;
        for (int i = 0; i < 4; ++i) {
            q[i] += dot[i] * dt;
            n += q[i] * q[i];
        }
        n = std::sqrt(n);
        for (double &c : q)
            c /= n;
    }
};

const double degToRad = M_PI / 180.0;

const OrientationRecord *stepBoth(MadgwickState *state, ReferenceFilter *ref, const float in[6])
{
    const OrientationRecord *r = madgwickStep(state, in);
    ref->step(double(in[3]) * double(state->gyroScale) * degToRad,
              double(in[4]) * double(state->gyroScale) * degToRad,
              double(in[5]) * double(state->gyroScale) * degToRad,
              double(in[0]) * double(state->accScale),
              double(in[1]) * double(state->accScale),
              double(in[2]) * double(state->accScale));
    return r;
}

} // namespace

class tst_Madgwick : public QObject
{
    Q_OBJECT

private slots:
    void initFillsState();
    void stationaryStaysAtIdentity();
    void constantYawRate();
    void zeroAccelerometerIntegratesGyroOnly();
    void interleavedImusStayIndependent();
    void agreesWithReferenceUpdate();
    void convergesFromTilt();
};

void tst_Madgwick::initFillsState()
{
    MadgwickState s;
    s.q = {0.0f, 1.0f, 0.0f, 0.0f};
    madgwickInit(&s, 6.0, 2000.0, 4000u, 1.0f, 0);
    QCOMPARE(s.mode, 0);
    QCOMPARE(s.beta, 1.0f);
    QCOMPARE(s.samplePeriod, 1.0f / 4000.0f);
    QCOMPARE(s.accScale, 6.0f);
    QCOMPARE(s.gyroScale, 2000.0f);
    QCOMPARE(s.q.w, 1.0f);
    QCOMPARE(s.q.x, 0.0f);

    // Full-scale gyroscope input becomes 2000 deg/s in rad/s, gyroscope only.
    const float in[6] = {0, 0, 0, 0, 0, 1.0f};
    madgwickStep(&s, in);
    const float half = 0.5f * (2000.0f * 0.017453292f) * (1.0f / 4000.0f);
    const float n = 1.0f / std::sqrt(1.0f + half * half);
    QCOMPARE(s.q.w, n);
    QCOMPARE(s.q.z, half * n);
}

void tst_Madgwick::stationaryStaysAtIdentity()
{
    MadgwickState s;
    madgwickInit(&s, 3.0, 250.0, 1000u, 1.0f, 0);
    const float in[6] = {0.0f, 0.0f, 1.0f / 3.0f, 0.0f, 0.0f, 0.0f};
    const OrientationRecord *r = nullptr;
    for (int i = 0; i < 2000; ++i)
        r = madgwickStep(&s, in);
    // Gravity matches the estimate exactly: the gradient is zero, which must
    // neither move nor poison the estimate.
    QCOMPARE(s.q.w, 1.0f);
    QCOMPARE(s.q.x, 0.0f);
    QCOMPARE(s.q.y, 0.0f);
    QCOMPARE(s.q.z, 0.0f);
    QCOMPARE((*r)[0], 0.0f);
    QCOMPARE((*r)[1], 0.0f);
    QCOMPARE((*r)[2], 0.0f);
    QCOMPARE((*r)[3], -1.0f);
}

void tst_Madgwick::constantYawRate()
{
    // 90 deg/s about z on a 250 deg/s range for one second at 1000 rows/s.
    MadgwickState s;
    madgwickInit(&s, 3.0, 250.0, 1000u, 1.0f, 0);
    const float in[6] = {0.0f, 0.0f, 1.0f / 3.0f, 0.0f, 0.0f, 90.0f / 250.0f};
    const OrientationRecord *r = nullptr;
    for (int i = 0; i < 1000; ++i)
        r = madgwickStep(&s, in);
    QVERIFY2(std::fabs((*r)[2] - 0.5f) < 1e-3f, qPrintable(QString::number((*r)[2])));
    QVERIFY(std::fabs((*r)[0]) < 1e-5f);
    QVERIFY(std::fabs((*r)[1]) < 1e-5f);
    QVERIFY(std::fabs(s.q.w - float(std::cos(M_PI / 4))) < 1e-3f);
    QVERIFY(std::fabs(s.q.z - float(std::sin(M_PI / 4))) < 1e-3f);
}

void tst_Madgwick::zeroAccelerometerIntegratesGyroOnly()
{
    MadgwickState s;
    madgwickInit(&s, 6.0, 500.0, 1000u, 1.0f, 0);
    // A tilted reading leaves a non-zero step magnitude.
    const float tilted[6] = {0.1f, 0.0f, 0.15f, 0.0f, 0.0f, 0.0f};
    const float element3 = (*madgwickStep(&s, tilted))[3];
    QVERIFY(element3 > -1.0f);

    const Quaternion before = s.q;
    const float gyroOnly[6] = {0.0f, 0.0f, 0.0f, 0.2f, -0.1f, 0.05f};
    const OrientationRecord *r = madgwickStep(&s, gyroOnly);
    QCOMPARE((*r)[3], element3);

    ReferenceFilter ref;
    ref.q[0] = double(before.w);
    ref.q[1] = double(before.x);
    ref.q[2] = double(before.y);
    ref.q[3] = double(before.z);
    ref.step(0.2 * 500 * degToRad, -0.1 * 500 * degToRad, 0.05 * 500 * degToRad, 0, 0, 0);
    QVERIFY(std::fabs(s.q.w - float(ref.q[0])) < 1e-6f);
    QVERIFY(std::fabs(s.q.x - float(ref.q[1])) < 1e-6f);
    QVERIFY(std::fabs(s.q.y - float(ref.q[2])) < 1e-6f);
    QVERIFY(std::fabs(s.q.z - float(ref.q[3])) < 1e-6f);
    QVERIFY(std::isfinite(s.q.w));
}

void tst_Madgwick::interleavedImusStayIndependent()
{
    auto inputA = [](int i, float *in) {
        const float t = float(i) * 0.01f;
        in[0] = 0.1f * std::sin(t); in[1] = 0.05f; in[2] = 0.3f;
        in[3] = 0.2f; in[4] = -0.1f * std::cos(t); in[5] = 0.05f;
    };
    auto inputB = [](int i, float *in) {
        const float t = float(i) * 0.02f;
        in[0] = -0.2f; in[1] = 0.1f * std::cos(t); in[2] = 0.1f;
        in[3] = -0.3f; in[4] = 0.0f; in[5] = 0.4f * std::sin(t);
    };
    const int steps = 500;
    float in[6];

    MadgwickState a, b;
    madgwickInit(&a, 6.0, 500.0, 1000u, 1.0f, 0);
    madgwickInit(&b, 12.0, 2000.0, 500u, 0.5f, 0);
    for (int i = 0; i < steps; ++i) { inputA(i, in); madgwickStep(&a, in); }
    for (int i = 0; i < steps; ++i) { inputB(i, in); madgwickStep(&b, in); }
    const Quaternion aloneA = a.q, aloneB = b.q;

    madgwickInit(&a, 6.0, 500.0, 1000u, 1.0f, 0);
    madgwickInit(&b, 12.0, 2000.0, 500u, 0.5f, 0);
    for (int i = 0; i < steps; ++i) {
        inputA(i, in);
        madgwickStep(&a, in);
        inputB(i, in);
        madgwickStep(&b, in);
    }
    QCOMPARE(a.q.w, aloneA.w);
    QCOMPARE(a.q.x, aloneA.x);
    QCOMPARE(a.q.y, aloneA.y);
    QCOMPARE(a.q.z, aloneA.z);
    QCOMPARE(b.q.w, aloneB.w);
    QCOMPARE(b.q.z, aloneB.z);
    QVERIFY(!Quaternion_equal(&a.q, &b.q));
}

void tst_Madgwick::agreesWithReferenceUpdate()
{
    MadgwickState s;
    madgwickInit(&s, 6.0, 1000.0, 1000u, 1.0f, 0);
    ReferenceFilter ref;
    ref.beta = 1.0;
    ref.dt = double(s.samplePeriod);

    // Near equilibrium the normalised gradient chatters, so float and double
    // trajectories part after a few hundred steps; each step is compared from
    // the same starting estimate instead.
    for (int i = 0; i < 3000; ++i) {
        const float t = float(i) * 0.003f;
        float in[6] = {
            0.08f * std::sin(t), 0.05f * std::cos(1.7f * t), 0.16f,
            0.15f * std::sin(0.5f * t), -0.08f, 0.2f * std::cos(t),
        };
        if (i % 97 == 50)
            in[0] = in[1] = in[2] = 0.0f;  // a dropped accelerometer row
        ref.q[0] = double(s.q.w);
        ref.q[1] = double(s.q.x);
        ref.q[2] = double(s.q.y);
        ref.q[3] = double(s.q.z);
        const OrientationRecord *r = stepBoth(&s, &ref, in);

        const float d[4] = {s.q.w - float(ref.q[0]), s.q.x - float(ref.q[1]),
                            s.q.y - float(ref.q[2]), s.q.z - float(ref.q[3])};
        float worst = 0.0f;
        for (float v : d)
            worst = std::max(worst, std::fabs(v));
        QVERIFY2(worst < 2e-6f, qPrintable(QStringLiteral("step %1: %2").arg(i).arg(worst)));
        // Element 3 is the step magnitude minus one; a dropped row keeps the old value.
        const float magnitude = float(ref.magnitude);
        QVERIFY2(std::fabs((*r)[3] + 1.0f - magnitude) <= 1e-5f * std::max(1.0f, magnitude),
                 qPrintable(QStringLiteral("step %1").arg(i)));
    }
}

void tst_Madgwick::convergesFromTilt()
{
    // Gravity along +y: the estimate turns until roll reaches -90 degrees.
    MadgwickState s;
    madgwickInit(&s, 3.0, 250.0, 1000u, 1.0f, 0);
    const float in[6] = {0.0f, 1.0f / 3.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    const OrientationRecord *r = nullptr;
    for (int i = 0; i < 3000; ++i)
        r = madgwickStep(&s, in);
    QVERIFY2(std::fabs(std::fabs((*r)[0]) - 0.5f) < 0.01f, qPrintable(QString::number((*r)[0])));
    QVERIFY(std::isfinite(s.q.w));
}

QTEST_GUILESS_MAIN(tst_Madgwick)
#include "tst_madgwick.moc"
