#pragma once

#include "datagram.h"
#include "devicecore.h"
#include "streamclock.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <deque>
#include <memory>

class CommandLog;
class DataLog;
class FrameSource;
class QTimer;
class QUdpSocket;
struct DevsimOptions;
struct FaultSettings;

// The device's WiFi side on a loopback UDP socket: keep-alive, commands and answers,
// numbered data packets, acknowledgements and the resending of lost data packets.
class UdpDevice : public QObject
{
    Q_OBJECT
public:
    UdpDevice(const DevsimOptions &options, FaultSettings *faults, NetRecordStore *store, CommandLog *log,
              DataLog *dataLog, QObject *parent);
    ~UdpDevice() override;

    bool bind();
    QString endpoint() const;
    void setPowered(bool on);
    void setStalled(bool on) { m_clock.setPaused(on); }
    QByteArray stats() const;

private slots:
    void onReadyRead();
    void onTick();

private:
    struct SentPacket
    {
        quint16 txId;
        quint32 blockIndex;
        QByteArray payload;
        quint64 firstFrame;
        int frames;
        bool acked;
        bool resent;
    };

    void handle(const Datagram &d, const QHostAddress &from, quint16 port);
    void handleCommand(const Datagram &d, const QHostAddress &from, quint16 port);
    void handleAck(const QByteArray &payload);
    void resendTail();
    void takeRecord(const QByteArray &payload);
    void apply(const DeviceCore::Outcome &outcome, const QHostAddress &to, quint16 port);
    void send(quint16 type, const QByteArray &payload, const QHostAddress &to, quint16 port);
    void startStream();
    void stopStream();
    void produceStream();
    void packStream(bool ending);
    int nextPacketFrames();
    void sendData(quint32 blockIndex, const QByteArray &payload, quint64 firstFrame, int frames, bool resend);
    void transmit(const QByteArray &datagram);
    void releaseHeld();
    quint64 random();
    bool dice(double rate);

    const DevsimOptions &m_options;
    FaultSettings *m_faults;
    CommandLog *m_log;
    DataLog *m_dataLog;
    DeviceCore m_core;
    StreamClock m_clock;
    std::unique_ptr<FrameSource> m_source;
    QUdpSocket *m_socket;
    QTimer *m_tick;
    bool m_powered = true;
    quint16 m_txCounter = 0;
    bool m_haveLastCommand = false;
    quint16 m_lastCommandTxId = 0;
    QElapsedTimer m_lastCommandSince;
    bool m_recordMode = false;
    QElapsedTimer m_recordSince;
    QHostAddress m_host;           // where the stream goes: the sender of "init"
    quint16 m_hostPort = 0;
    QByteArray m_stream;           // whole frames not yet sent
    quint64 m_streamFirst = 0;     // number of the first frame in m_stream
    int m_nextFrames = 0;          // frames of the next datagram when they vary
    quint32 m_blockIndex = 0;
    std::deque<SentPacket> m_history;
    QByteArray m_held;             // a data datagram held back to be sent out of order
    QElapsedTimer m_heldSince;
    quint64 m_rng;
    quint64 m_keepAlives = 0;
    quint64 m_commands = 0;
    quint64 m_framesSent = 0;      // frames put into datagrams in the current or last stream
    quint64 m_dataSent = 0;
    quint64 m_dropped = 0;
    quint64 m_duplicated = 0;
    quint64 m_reordered = 0;
    quint64 m_retransmitted = 0;
    quint64 m_acks = 0;
};
