#pragma once

#include "myadw.h"
#include "streamlossbook.h"
#include "udppacketcodec.h"
#include "udpreceiver.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QMutex>

class QTimer;
class QUdpSocket;

// The device link over WiFi: numbered UDP datagrams to and from the device's port, a
// keep-alive that tells whether the device is there, a command queue with one command on
// the air, and an in-order stream for readBlocks. Runs on the thread that owns it, driven
// by the socket and three single-shot timers.
class udp_com : public myAdw
{
    Q_OBJECT

public:
    // One queued command. Same fields as the serial link's entry, except that the last one
    // counts the answer checks left instead of holding an answer wait.
    struct CommandEntry
    {
        QByteArray data;            // the command, without line feed
        bool expectAnswer = false;
        bool startStreaming = false;
        bool isBinary = false;
        quint32 retries = 0;        // 3 when an answer is expected, else 0
    };

    // A link created inactive opens no socket and sends nothing (not even keep-alives)
    // until activate() or open(): the program creates it also when the serial link is
    // the one in use.
    explicit udp_com(QObject *parent = nullptr,
                     const QString &address = QStringLiteral("192.168.4.1"), bool active = true);
    ~udp_com() override;

    void activate();
    bool isActive() const { return socket != nullptr; }

    // Clears the stream counters and the loss log.
    void ResetReport();
    // Empties the stream queues and forgets the stream's losses; the next stream is
    // expected from index 0. Sending a streaming command does the same.
    void resetIncoming();

    // Where datagrams go (after the environment override).
    QHostAddress endpointAddress() const { return deviceAddress; }
    quint16 endpointPort() const { return devicePort; }
    // The receive side, for diagnostics and tests.
    const UdpReceiver &receiveState() const { return receiver; }

public slots:
    void scanDevices(QList<DeviceInfo> &devices) override;
    bool open(const DeviceInfo &device) override;
    void close() override;
    bool sendBinary(const QByteArray &data) override;
    bool sendCommand(const QString &command, bool expectAnswer, bool startStreaming,
                     bool noTerminator, qint32 answerWaitMs) override;
    bool sendWhileStreaming(const QByteArray &data) override;
    quint32 readBlocks(QByteArray &out, quint32 blockSize) override;
    bool dataTimedOut() override;
    bool isStreaming() override;
    bool decoderFailed() override;
    bool decoderBusy() override;
    bool isOpen() override;
    bool openFailed() override;
    qint32 pendingCommands() override;
    bool isDeviceDisconnected() override;
    qint32 errorCount() override;
    void resetErrorCount() override;
    QByteArray lastResponse() override;
    QByteArray lastError() override;
    QString report() override;

public:
    QVector<StreamLoss> takeStreamLosses() override;

private slots:
    void readPendingDatagrams();
    void onCmdTimer();
    void onPingTimer();
    void onTimeoutTimer();

private:
    QTimer *makeTimer(const char *slot);
    void send(const QByteArray &datagram);
    void sendKeepAlive();
    void sendHead(bool fromSendCommand);
    void deliver(bool success, const QByteArray &answer);
    void collectLosses();

    QHostAddress deviceAddress;
    quint16 devicePort = 1234;
    QUdpSocket *socket = nullptr;
    UdpPacketCodec codec;
    UdpReceiver receiver;
    StreamLossBook losses;
    QList<CommandEntry> commandQueue;
    QMutex queueMutex;
    QTimer *cmdTimer = nullptr;
    QTimer *pingTimer = nullptr;
    QTimer *timeoutTimer = nullptr;
    bool disconnected = false;
    bool openResultsEmitted = false;
    QElapsedTimer elapsed;
    qint64 lastDataMs = -1;     // when stream data last came (elapsed), -1: none since the streaming command
    QByteArray readBuffer;
};
