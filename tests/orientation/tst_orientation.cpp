#include <QtTest>

#include "orientation/madgwick.h"

#include <cmath>

namespace {

const double degToRad = M_PI / 180.0;

Quaternion quat(float w, float x, float y, float z)
{
    Quaternion q;
    Quaternion_set(w, x, y, z, &q);
    return q;
}

bool near(float a, float b, float tolerance = 1e-5f)
{
    return std::fabs(a - b) <= tolerance;
}

// An independent 6-axis update written from the published description: the gradient
// is J^T f of the gravity objective, in double precision. Gyroscope in rad/s.
struct ReferenceFilter
{
    double q[4] = {1.0, 0.0, 0.0, 0.0};
    double dt = 0.001;
    double magnitude = 0.0;

    void step(double gx, double gy, double gz, double ax, double ay, double az)
    {
        const double w = q[0], x = q[1], y = q[2], z = q[3];
        double dot[4] = {0.5 * (-x * gx - y * gy - z * gz), 0.5 * (w * gx + y * gz - z * gy),
                         0.5 * (w * gy - x * gz + z * gx), 0.5 * (w * gz + x * gy - y * gx)};
        const double an = std::sqrt(ax * ax + ay * ay + az * az);
        if (an != 0.0) {
            const double f[3] = {2.0 * (x * z - w * y) - ax / an, 2.0 * (w * x + y * z) - ay / an,
                                 2.0 * (0.5 - x * x - y * y) - az / an};
            const double jt[4][3] = {{-2.0 * y, 2.0 * x, 0.0}, {2.0 * z, 2.0 * w, -4.0 * x},
                                     {-2.0 * w, 2.0 * z, -4.0 * y}, {2.0 * x, 2.0 * y, 0.0}};
            double grad[4], sum = 0.0;
            for (int i = 0; i < 4; ++i) {
                grad[i] = jt[i][0] * f[0] + jt[i][1] * f[1] + jt[i][2] * f[2];
                sum += grad[i] * grad[i];
            }
            magnitude = std::sqrt(sum);
            for (int i = 0; i < 4 && magnitude > 0.0; ++i)
                dot[i] -= grad[i] / magnitude;   // beta 1
        }
        for (int i = 0; i < 4; ++i)
            q[i] += dot[i] * dt;
        const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        for (double &c : q)
            c /= n;
    }
};

} // namespace

using Floats = QVector<float>;

class tst_Orientation : public QObject
{
    Q_OBJECT

private slots:
    void quaternionAlgebra()
    {
        // Hamilton: i j = k, j i = -k; q conj(q) = |q|^2.
        const Quaternion i = quat(0, 1, 0, 0), j = quat(0, 0, 1, 0), k = quat(0, 0, 0, 1), minusK = quat(0, 0, 0, -1);
        Quaternion out, c;
        QVERIFY(!Quaternion_equal(&k, &minusK));
        Quaternion_multiply(&i, &j, &out);
        QVERIFY(Quaternion_equal(&out, &k));
        Quaternion_multiply(&j, &i, &out);
        QVERIFY(Quaternion_equal(&out, &minusK));
        const Quaternion q = quat(1, 2, -2, 4), square = quat(25, 0, 0, 0);
        Quaternion_conjugate(&q, &c);
        Quaternion_multiply(&q, &c, &out);
        QVERIFY(Quaternion_equal(&out, &square));
    }

    void eulerAngles()
    {
        // Yaw * pitch * roll and back.
        Quaternion rx, ry, rz, t, q;
        Quaternion_fromXRotation(0.3f, &rx);
        Quaternion_fromYRotation(-0.7f, &ry);
        Quaternion_fromZRotation(2.1f, &rz);
        Quaternion_multiply(&rz, &ry, &t);
        Quaternion_multiply(&t, &rx, &q);
        float out[3];
        Quaternion_toEulerZYX(&q, out);
        QVERIFY2(near(out[0], 0.3f) && near(out[1], -0.7f) && near(out[2], 2.1f), qPrintable(QString::number(out[2])));
        // Pitch at +-pi/2, also where an unnormalised input would give asin NaN.
        for (const Quaternion &edge : {quat(0.5f, 0.5f, 0.5f, -0.5f), quat(1, 0, 1, 0), quat(1, 0, -1, 0)}) {
            Quaternion_toEulerZYX(&edge, out);
            QCOMPARE(std::fabs(out[1]), float(M_PI / 2));
        }
    }

    void filterSettles_data()
    {
        QTest::addColumn<Floats>("input");   // acc x, y, z, gyro x, y, z at full scales 3 g, 250 deg/s
        QTest::addColumn<int>("steps");      // at 1000 rows/s
        QTest::addColumn<Floats>("record");  // roll, pitch, yaw over pi, step magnitude - 1
        QTest::addColumn<float>("tolerance");

        QTest::newRow("at rest stays at identity") << Floats{0, 0, 1.0f / 3, 0, 0, 0} << 2000 << Floats{0, 0, 0, -1}
                                                   << 0.0f;
        QTest::newRow("90 deg/s about z for 1 s") << Floats{0, 0, 1.0f / 3, 0, 0, 90.0f / 250} << 1000
                                                  << Floats{0, 0, 0.5f, -1} << 1e-3f;
        QTest::newRow("gravity along +y: roll 90 deg") << Floats{0, 1.0f / 3, 0, 0, 0, 0} << 3000
                                                        << Floats{0.5f, 0, 0, -1} << 0.01f;
    }

    void filterSettles()
    {
        QFETCH(Floats, input);
        QFETCH(int, steps);
        QFETCH(Floats, record);
        QFETCH(float, tolerance);
        MadgwickState s;
        madgwickInit(&s, 3.0, 250.0, 1000u, 1.0f, 0);
        const OrientationRecord *r = nullptr;
        for (int i = 0; i < steps; ++i)
            r = madgwickStep(&s, input.constData());
        for (int k = 0; k < 4; ++k)
            QVERIFY2(near((*r)[k], record[k], tolerance), qPrintable(QStringLiteral("%1: %2").arg(k).arg((*r)[k])));
        QVERIFY(std::isfinite(s.q.w));
    }

    // Every step is compared from the same estimate: near equilibrium the normalised
    // gradient chatters, so float and double trajectories would part.
    void filterAgreesWithReference()
    {
        MadgwickState s;
        madgwickInit(&s, 6.0, 1000.0, 1000u, 1.0f, 0);
        ReferenceFilter ref;
        for (int i = 0; i < 3000; ++i) {
            const float t = float(i) * 0.003f;
            float in[6] = {0.08f * std::sin(t), 0.05f * std::cos(1.7f * t), 0.16f,
                           0.15f * std::sin(0.5f * t), -0.08f, 0.2f * std::cos(t)};
            if (i % 97 == 50)
                in[0] = in[1] = in[2] = 0.0f;   // a dropped accelerometer row: gyroscope only
            ref.q[0] = double(s.q.w), ref.q[1] = double(s.q.x), ref.q[2] = double(s.q.y), ref.q[3] = double(s.q.z);
            const OrientationRecord *r = madgwickStep(&s, in);
            ref.step(in[3] * 1000.0 * degToRad, in[4] * 1000.0 * degToRad, in[5] * 1000.0 * degToRad,
                     in[0] * 6.0, in[1] * 6.0, in[2] * 6.0);
            const float worst = std::max({std::fabs(s.q.w - float(ref.q[0])), std::fabs(s.q.x - float(ref.q[1])),
                                          std::fabs(s.q.y - float(ref.q[2])), std::fabs(s.q.z - float(ref.q[3]))});
            QVERIFY2(worst < 2e-6f, qPrintable(QStringLiteral("step %1: %2").arg(i).arg(worst)));
            // A dropped row keeps the last magnitude.
            const float magnitude = float(ref.magnitude);
            QVERIFY2(std::fabs((*r)[3] + 1.0f - magnitude) <= 1e-5f * std::max(1.0f, magnitude), qPrintable(QString::number(i)));
        }
    }

};

QTEST_GUILESS_MAIN(tst_Orientation)
#include "tst_orientation.moc"
