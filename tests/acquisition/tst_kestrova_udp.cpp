// Kestrova end to end over loopback UDP: the real main window against devsim's WiFi side.
#include "kestrovarig.h"

#include "../recording/h5reader.h"
#include "display/renderarea.h"
#include "link/myadw.h"

#include <QAction>
#include <QtTest>

namespace {
QByteArray configText(const QByteArray &maxDuration)
{
    return KestrovaRig::configText(4, 1, 2, maxDuration);
}
const QStringList counts = {"--counts", "4,0,1,2"};
}

class tst_kestrova_udp : public QObject
{
    Q_OBJECT

private slots:
    void recordCompleteUnderLossWithRetransmission();
    void recordGoesOnWhenPacketsAreLost();
};

// 5 % loss and some reordering, the device resending what was not acknowledged: the
// trace holds every frame, in order.
void tst_kestrova_udp::recordCompleteUnderLossWithRetransmission()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("3"));
    QVERIFY(rig.start(counts + QStringList{"--drop", "0.05", "--reorder", "0.05"}, true, "e2e.conf"));
    MainWindow &w = *rig.window;
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().connectionState(), 4, 15000);
    QVERIFY(rig.waitReady(30000));
    QVERIFY(w.windowTitle().endsWith("cfgfile = e2e.conf"));

    w.action("record")->trigger();
    const QString trace = w.controller().traceFileName();
    QTRY_VERIFY_WITH_TIMEOUT(!w.controller().isSampling() && w.controller().measurementState() == 3, 30000);
    QVERIFY2(rig.answers.texts.isEmpty(), qPrintable(rig.answers.texts.join("; ")));

    hid_t file = H5Fopen(trace.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    QVERIFY(file >= 0);
    QCOMPARE(datasetInfo(file, "/aux/values").dims, (QVector<hsize_t>{3000, 2}));
    const QVector<qint16> aux = readInt16s(file, "/aux/values");
    H5Fclose(file);
    const quint16 first = quint16(aux[0]);
    for (int s = 0; s < 3000; ++s)
        QCOMPARE(quint16(aux[2 * s]), quint16(first + s));
}

// Without retransmission frames are lost for good: the recording still runs to its
// end, stays frame-aligned, and the link's report books the losses.
void tst_kestrova_udp::recordGoesOnWhenPacketsAreLost()
{
    KestrovaRig rig;
    rig.writeConfig("e2e.conf", configText("0"));
    QVERIFY(rig.start(counts + QStringList{"--drop", "0.05", "--no-retransmit"}, true, "e2e.conf"));
    MainWindow &w = *rig.window;
    QVERIFY(rig.waitReady(30000));
    w.action("record")->trigger();
    const QString trace = w.controller().traceFileName();
    QTRY_VERIFY_WITH_TIMEOUT(w.controller().recordedFrames() > 2000, 20000);
    QString report;
    QTRY_VERIFY_WITH_TIMEOUT(!(report = w.controller().deviceLink()->report()).isEmpty(), 10000);
    w.action("stop")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(w.controller().measurementState(), 3, 10000);
    QVERIFY2(rig.answers.texts.isEmpty(), qPrintable(rig.answers.texts.join("; ")));

    hid_t file = H5Fopen(trace.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    QVERIFY(file >= 0);
    const QVector<qint16> aux = readInt16s(file, "/aux/values");
    H5Fclose(file);
    // Each row is a whole frame (its two AUX words are consecutive) and rows only go forward.
    int gaps = 0;
    for (int s = 0; s + 1 < aux.size() / 2; ++s) {
        QCOMPARE(quint16(aux[2 * s + 1]), quint16(aux[2 * s] + 1));
        const quint16 step = quint16(aux[2 * s + 2] - aux[2 * s]);
        QVERIFY(step >= 1 && step < 1000);
        gaps += step > 1;
    }
    QVERIFY(gaps > 0);
}

QTEST_MAIN(tst_kestrova_udp)
#include "tst_kestrova_udp.moc"
