#include <QtTest>

#include "orientation/quaternion.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// Runs `call` in a child process and returns what it wrote to stderr; `aborted`
// tells whether the child died by SIGABRT.
QByteArray stderrOfChild(const std::function<void()> &call, bool *aborted)
{
    int fds[2];
    if (pipe(fds) != 0)
        return QByteArray();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        call();
        _exit(0);
    }
    close(fds[1]);
    QByteArray text;
    char buffer[512];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, int(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    *aborted = WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT;
    return text;
}

bool near(float a, float b, float tolerance = 1e-6f)
{
    return std::fabs(a - b) <= tolerance;
}

} // namespace

class tst_Quaternion : public QObject
{
    Q_OBJECT

private slots:
    void equalityTolerance();
    void printing();
    void pitchClampAtHalfPi();
    void eulerRoundTrip();
    void axisAngle();
    void productAndConjugate();
    void rotateMatchesConjugateProduct();
    void slerpEndPoints();
    void nullOutputAsserts();
};

void tst_Quaternion::equalityTolerance()
{
    Quaternion a, b;
    Quaternion_set(1.0f, 0.0f, 0.5f, -0.5f, &a);
    Quaternion_copy(&a, &b);
    QVERIFY(Quaternion_equal(&a, &b));

    b.x = 0.0001f;
    QVERIFY(Quaternion_equal(&a, &b));
    QVERIFY(Quaternion_equal(&b, &a));
    b.x = 0.0002f;
    QVERIFY(!Quaternion_equal(&a, &b));
    b.x = 0.0f;
    b.z = -0.5002f;
    QVERIFY(!Quaternion_equal(&a, &b));
}

void tst_Quaternion::printing()
{
    char *text = nullptr;
    size_t size = 0;
    FILE *stream = open_memstream(&text, &size);
    QVERIFY(stream);
    Quaternion q;
    Quaternion_setIdentity(&q);
    const int written = Quaternion_fprint(stream, &q);
    Quaternion_set(-0.5f, 0.25f, 0.0f, 1.0f / 3.0f, &q);
    Quaternion_fprint(stream, &q);
    std::fclose(stream);
    const QByteArray out(text);
    std::free(text);
    QCOMPARE(out, QByteArray("(1.000, 0.000, 0.000, 0.000)(-0.500, 0.250, 0.000, 0.333)"));
    QCOMPARE(written, 28);
}

void tst_Quaternion::pitchClampAtHalfPi()
{
    const float halfPi = float(M_PI / 2);
    float e[3];

    // 2 (w y - z x) is exactly 1 here: asin would be fine, the clamp must still give pi/2.
    Quaternion q;
    Quaternion_set(0.5f, 0.5f, 0.5f, -0.5f, &q);
    Quaternion_toEulerZYX(&q, e);
    QCOMPARE(e[1], halfPi);

    // Unnormalised input pushes the argument past 1, where asin would give NaN.
    Quaternion_set(1.0f, 0.0f, 1.0f, 0.0f, &q);
    Quaternion_toEulerZYX(&q, e);
    QCOMPARE(e[1], halfPi);
    Quaternion_set(1.0f, 0.0f, -1.0f, 0.0f, &q);
    Quaternion_toEulerZYX(&q, e);
    QCOMPARE(e[1], -halfPi);
}

void tst_Quaternion::eulerRoundTrip()
{
    const float in[3] = {0.3f, -0.7f, 2.1f};
    Quaternion q;
    Quaternion_fromEulerZYX(in, &q);
    QVERIFY(near(Quaternion_norm(&q), 1.0f));

    // The same rotation built as yaw * pitch * roll.
    Quaternion rx, ry, rz, t, expected;
    Quaternion_fromXRotation(in[0], &rx);
    Quaternion_fromYRotation(in[1], &ry);
    Quaternion_fromZRotation(in[2], &rz);
    Quaternion_multiply(&rz, &ry, &t);
    Quaternion_multiply(&t, &rx, &expected);
    QVERIFY(Quaternion_equal(&q, &expected));

    float out[3];
    Quaternion_toEulerZYX(&q, out);
    for (int i = 0; i < 3; ++i)
        QVERIFY2(near(out[i], in[i], 1e-5f), qPrintable(QString::number(i)));
}

void tst_Quaternion::axisAngle()
{
    Quaternion q;
    Quaternion_setIdentity(&q);
    float axis[3] = {9.0f, 9.0f, 9.0f};
    QCOMPARE(Quaternion_toAxisAngle(&q, axis), 0.0f);
    QCOMPARE(axis[0], 1.0f);
    QCOMPARE(axis[1], 0.0f);
    QCOMPARE(axis[2], 0.0f);

    // The axis is taken as given, so a long axis gives a long quaternion.
    const float longAxis[3] = {0.0f, 2.0f, 0.0f};
    Quaternion_fromAxisAngle(longAxis, float(M_PI), &q);
    QVERIFY(near(q.y, 2.0f));

    const float unit[3] = {0.0f, 0.6f, 0.8f};
    Quaternion_fromAxisAngle(unit, 1.2f, &q);
    QVERIFY(near(Quaternion_toAxisAngle(&q, axis), 1.2f, 1e-5f));
    QVERIFY(near(axis[0], 0.0f, 1e-5f));
    QVERIFY(near(axis[1], 0.6f, 1e-5f));
    QVERIFY(near(axis[2], 0.8f, 1e-5f));
}

void tst_Quaternion::productAndConjugate()
{
    // i * j = k, and j * i = -k in the Hamilton convention.
    Quaternion i, j, k;
    Quaternion_set(0, 1, 0, 0, &i);
    Quaternion_set(0, 0, 1, 0, &j);
    Quaternion_multiply(&i, &j, &k);
    Quaternion expected;
    Quaternion_set(0, 0, 0, 1, &expected);
    QVERIFY(Quaternion_equal(&k, &expected));
    Quaternion_multiply(&j, &i, &k);
    Quaternion_set(0, 0, 0, -1, &expected);
    QVERIFY(Quaternion_equal(&k, &expected));

    // q * conj(q) = |q|^2, and normalize works in place.
    Quaternion q, c, p;
    Quaternion_set(1.0f, 2.0f, -2.0f, 4.0f, &q);
    QCOMPARE(Quaternion_norm(&q), 5.0f);
    Quaternion_conjugate(&q, &c);
    Quaternion_multiply(&q, &c, &p);
    Quaternion_set(25.0f, 0, 0, 0, &expected);
    QVERIFY(Quaternion_equal(&p, &expected));
    Quaternion_normalize(&q, &q);
    Quaternion_set(0.2f, 0.4f, -0.4f, 0.8f, &expected);
    QVERIFY(Quaternion_equal(&q, &expected));

    Quaternion zero;
    Quaternion_set(0, 0, 0, 0, &zero);
    Quaternion_normalize(&zero, &zero);
    QVERIFY(!std::isfinite(zero.w));
}

void tst_Quaternion::rotateMatchesConjugateProduct()
{
    const float v[3] = {0.3f, -1.5f, 2.0f};
    const Quaternion samples[] = {
        {1.0f, 0.0f, 0.0f, 0.0f},
        {0.5f, 0.5f, 0.5f, -0.5f},
        {0.9f, -0.3f, 0.2f, 0.25f},  // not unit length: both sides scale by |q|^2
        {-0.1f, 0.7f, 0.7f, 0.1f},
    };
    for (const Quaternion &q : samples) {
        Quaternion pv, c, t, r;
        Quaternion_set(0.0f, v[0], v[1], v[2], &pv);
        Quaternion_conjugate(&q, &c);
        Quaternion_multiply(&q, &pv, &t);
        Quaternion_multiply(&t, &c, &r);
        float out[3];
        Quaternion_rotate(&q, v, out);
        QVERIFY(near(out[0], r.x, 1e-5f));
        QVERIFY(near(out[1], r.y, 1e-5f));
        QVERIFY(near(out[2], r.z, 1e-5f));
    }

    // A quarter turn about z takes x to y.
    Quaternion q;
    Quaternion_fromZRotation(float(M_PI / 2), &q);
    const float x[3] = {1.0f, 0.0f, 0.0f};
    float out[3];
    Quaternion_rotate(&q, x, out);
    QVERIFY(near(out[0], 0.0f));
    QVERIFY(near(out[1], 1.0f));
    QVERIFY(near(out[2], 0.0f));
}

void tst_Quaternion::slerpEndPoints()
{
    Quaternion q1, q2, out;
    Quaternion_fromXRotation(0.4f, &q1);
    Quaternion_fromZRotation(1.3f, &q2);

    Quaternion_slerp(&q1, &q2, 0.0f, &out);
    QVERIFY(Quaternion_equal(&out, &q1));
    Quaternion_slerp(&q1, &q2, 1.0f, &out);
    QVERIFY(Quaternion_equal(&out, &q2));
    Quaternion_slerp(&q1, &q1, 0.5f, &out);
    QVERIFY(Quaternion_equal(&out, &q1));

    // Halfway between two rotations about one axis is the mean angle.
    Quaternion a, b, expected;
    Quaternion_fromZRotation(0.2f, &a);
    Quaternion_fromZRotation(1.0f, &b);
    Quaternion_fromZRotation(0.6f, &expected);
    Quaternion_slerp(&a, &b, 0.5f, &out);
    QVERIFY(Quaternion_equal(&out, &expected));
}

void tst_Quaternion::nullOutputAsserts()
{
    bool aborted = false;
    QByteArray err = stderrOfChild([] { Quaternion_set(1, 0, 0, 0, nullptr); }, &aborted);
    QVERIFY(aborted);
    QVERIFY2(err.contains("output != NULL"), err.constData());
    QVERIFY2(err.contains("quaternion.cpp"), err.constData());

    err = stderrOfChild([] { Quaternion_setIdentity(nullptr); }, &aborted);
    QVERIFY(aborted);
    QVERIFY2(err.contains("q != NULL"), err.constData());

    err = stderrOfChild([] { Quaternion_norm(nullptr); }, &aborted);
    QVERIFY(aborted);
    QVERIFY2(err.contains("q != NULL"), err.constData());

    err = stderrOfChild([] {
        Quaternion q = {1, 0, 0, 0};
        Quaternion_toEulerZYX(&q, nullptr);
    }, &aborted);
    QVERIFY(aborted);
    QVERIFY2(err.contains("output != NULL"), err.constData());
}

QTEST_GUILESS_MAIN(tst_Quaternion)
#include "tst_quaternion.moc"
