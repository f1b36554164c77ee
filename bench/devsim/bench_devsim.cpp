// Does devsim keep pace at the highest rate with the largest configuration?
// Streams for a few seconds over the pseudo-terminal and over loopback UDP and reports
// the frame rate that arrived, its ratio to the requested rate, and devsim's CPU share.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QUdpSocket>
#include <QtEndian>
#include <unistd.h>

namespace {

constexpr int rate = 4000;
constexpr int n24 = 100, nImu = 4, nAux = 15;     // 139 display values, below the 144 limit
constexpr int frameSize = 4 + 4 * n24 + 12 * nImu + 2 * nAux;
constexpr int streamMs = 3000;
const QByteArray configuration = "conf:sca:rat 4000\nconf:imu:para 0,6,500\nconf:dev 100,0,4,15\n";

double cpuSeconds(qint64 pid)
{
    QFile f(QString("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

bool startDevsim(QProcess &p, const QStringList &side, QByteArray &endpoint)
{
    p.start(DEVSIM_EXECUTABLE, side + QStringList{"--counts", "100,0,4,15"});
    if (!p.waitForStarted(5000))
        return false;
    QElapsedTimer t;
    t.start();
    while (!p.canReadLine() && t.elapsed() < 5000)
        p.waitForReadyRead(50);
    endpoint = p.readLine().trimmed();
    endpoint = endpoint.mid(endpoint.indexOf(' ') + 1);
    return !endpoint.isEmpty();
}

// Counts stream payload bytes by walking the block framing as it arrives.
class BlockCounter
{
public:
    void feed(const QByteArray &bytes)
    {
        m_buffer += bytes;
        while (true) {
            if (m_buffer.size() < 2)
                return;
            const int digits = m_buffer[1] - '0';
            if (m_buffer[0] != '#' || digits < 1 || digits > 8) {
                m_errors++;
                m_buffer.remove(0, 1);
                continue;
            }
            if (m_buffer.size() < 2 + digits)
                return;
            const int length = m_buffer.mid(2, digits).toInt();
            if (m_buffer.size() < 3 + digits + length)
                return;
            payload += length;
            m_buffer.remove(0, 3 + digits + length);
        }
    }
    qint64 payload = 0;

private:
    QByteArray m_buffer;
    int m_errors = 0;
};

void report(benchmark::State &state, qint64 payload, qint64 elapsedMs, double cpu)
{
    const double frames = double(payload) / frameSize;
    const double perSecond = frames * 1000.0 / double(elapsedMs);
    state.counters["frames_per_s"] = perSecond;
    state.counters["pace"] = perSecond / rate;
    state.counters["devsim_cpu"] = cpu / (elapsedMs / 1000.0);
    state.counters["MB_per_s"] = double(payload) / 1e6 / (elapsedMs / 1000.0);
}

void BM_SerialStream(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess devsim;
        QByteArray path;
        if (!startDevsim(devsim, {"--pty"}, path)) {
            state.SkipWithError("devsim did not start");
            return;
        }
        QSerialPort port(QString::fromLocal8Bit(path));
        if (!port.open(QIODevice::ReadWrite)) {
            state.SkipWithError("cannot open the pseudo-terminal");
            return;
        }
        port.setBaudRate(500000);
        port.write(configuration);
        port.waitForBytesWritten(1000);
        port.waitForReadyRead(300);
        port.readAll();
        const double cpu0 = cpuSeconds(devsim.processId());
        port.write("init\n");
        port.waitForBytesWritten(1000);
        BlockCounter counter;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < streamMs) {
            if (port.waitForReadyRead(20))
                counter.feed(port.readAll());
        }
        const qint64 elapsed = t.elapsed();
        const double cpu = cpuSeconds(devsim.processId()) - cpu0;
        port.write("abort\n");
        port.waitForBytesWritten(1000);
        report(state, counter.payload, elapsed, cpu);
        port.close();
        devsim.terminate();
        devsim.waitForFinished(3000);
    }
}

void sendDatagram(QUdpSocket &s, quint16 port, quint16 txId, quint16 type, const QByteArray &payload)
{
    QByteArray d(12, '\0');
    qToLittleEndian<quint16>(txId, d.data());
    qToLittleEndian<quint16>(type, d.data() + 2);
    qToLittleEndian<quint16>(quint16(payload.size()), d.data() + 4);
    s.writeDatagram(d + payload, QHostAddress(QHostAddress::LocalHost), port);
}

void BM_UdpStream(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess devsim;
        QByteArray endpoint;
        if (!startDevsim(devsim, {"--udp", "127.0.0.1:0"}, endpoint)) {
            state.SkipWithError("devsim did not start");
            return;
        }
        const quint16 port = quint16(endpoint.mid(endpoint.lastIndexOf(':') + 1).toUInt());
        QUdpSocket socket;
        socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
        socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 8 * 1024 * 1024);
        quint16 tx = 0;
        for (int i = 0; i < 3; ++i)
            sendDatagram(socket, port, tx, 1, configuration);
        ++tx;
        const double cpu0 = cpuSeconds(devsim.processId());
        for (int i = 0; i < 3; ++i)
            sendDatagram(socket, port, tx, 1, "init\n");
        ++tx;
        qint64 payload = 0;
        QList<quint16> recent;
        int sinceAck = 0;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < streamMs) {
            if (!socket.hasPendingDatagrams())
                socket.waitForReadyRead(20);
            while (socket.hasPendingDatagrams()) {
                QByteArray d(int(socket.pendingDatagramSize()), '\0');
                d.resize(int(socket.readDatagram(d.data(), d.size())));
                if (d.size() < 12 || qFromLittleEndian<quint16>(d.constData() + 2) != 2)
                    continue;
                payload += d.size() - 12;
                recent.append(qFromLittleEndian<quint16>(d.constData()));
                if (recent.size() > 30)
                    recent.removeFirst();
                if (++sinceAck > 10) {
                    sinceAck = 0;
                    QByteArray list;
                    for (quint16 id : qAsConst(recent))
                        list += char(id & 0xff), list += char(id >> 8);
                    sendDatagram(socket, port, tx++, 3, list);
                }
            }
        }
        const qint64 elapsed = t.elapsed();
        const double cpu = cpuSeconds(devsim.processId()) - cpu0;
        for (int i = 0; i < 3; ++i)
            sendDatagram(socket, port, tx, 1, "abort\n");
        report(state, payload, elapsed, cpu);
        devsim.terminate();
        devsim.waitForFinished(3000);
    }
}

} // namespace

BENCHMARK(BM_SerialStream)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UdpStream)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
