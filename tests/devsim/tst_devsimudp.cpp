// devsim's UDP side, driven from outside over loopback UDP. (What the link sees of it, the
// keep-alive, answers and the stream's frames, the link's own tests check.)
#include "devsimprocess.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSet>
#include <QUdpSocket>
#include <QtTest>

class tst_devsimudp : public QObject
{
    Q_OBJECT
private slots:
    void refusesNonLoopback()
    {
        QProcess p;
        p.start(DEVSIM_EXECUTABLE, {"--udp", "192.168.4.1:1234"});
        QVERIFY(p.waitForFinished(10000) && p.exitCode() != 0);
        QCOMPARE(p.readAllStandardOutput(), QByteArray());
    }

    // Rate 0.2 over about 1000 packets: the observed rate stays within a wide band.
    void lossFaultRates_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::newRow("drop") << QByteArray("drop");
        QTest::newRow("dup") << QByteArray("dup");
        QTest::newRow("reorder") << QByteArray("reorder");
    }

    void lossFaultRates()
    {
        QFETCH(QByteArray, fault);
        DevsimProcess sim;
        QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--counts", "1,0,0,0", "--udp-payload", "32", "--no-retransmit"}));
        sim.command(fault + " 0.2");
        QVERIFY(sim.sync());
        QUdpSocket socket;
        QVERIFY(socket.bind(QHostAddress(QHostAddress::LocalHost), 0));
        auto command = [&](const QByteArray &text) {
            QByteArray d(12, '\0');
            d[2] = 1;   // a command datagram
            qToLittleEndian<quint16>(quint16(text.size()), d.data() + 4);
            socket.writeDatagram(d + text, QHostAddress::LocalHost, sim.udpPort());
        };
        QList<quint32> indices;   // of the data datagrams, as they arrive
        auto receive = [&](int ms) {
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < ms) {
                socket.waitForReadyRead(10);
                while (socket.hasPendingDatagrams()) {
                    const QByteArray d = socket.receiveDatagram().data();
                    if (d.size() > 12 && qFromLittleEndian<quint16>(d.constData() + 2) == 2)
                        indices << qFromLittleEndian<quint32>(d.constData() + 8);
                }
            }
        };
        command("conf:sca:rat 4000\nconf:dev 1,0,0\ninit\n");
        receive(1000);
        command("abort\n");
        receive(300);   // the end of the stream, a held packet among it
        QVERIFY(indices.size() > 700);
        const QSet<quint32> unique(indices.begin(), indices.end());
        const quint32 highest = *std::max_element(indices.begin(), indices.end());
        int late = 0;
        for (int i = 1; i < indices.size(); ++i)
            late += indices[i] < indices[i - 1] ? 1 : 0;
        const double observed = fault == "drop" ? 1.0 - unique.size() / (highest + 1.0)
                                : fault == "dup" ? double(indices.size() - unique.size()) / unique.size()
                                                 : double(late) / indices.size();
        QVERIFY2(observed > 0.14 && observed < 0.26, qPrintable(QString::number(observed)));
        QVERIFY(fault == "drop" || quint32(unique.size()) == highest + 1);
    }
};

QTEST_GUILESS_MAIN(tst_devsimudp)
#include "tst_devsimudp.moc"
