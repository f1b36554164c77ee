#pragma once

#include "udpreorder.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

// The receive side of the UDP link: sorts every datagram from the device by its kind,
// collects answer bytes, keeps the keep-alive state and the stream's acknowledgement
// bookkeeping, and feeds data packets to the reorder buffer. No socket, no timers: the
// link hands it datagrams and acts on the result.
class UdpReceiver
{
public:
    static constexpr int MaxRecentTxIds = 30;
    static constexpr int AckEvery = 11;   // data packets per acknowledgement

    enum class Kind { Dropped, KeepAlive, Answer, Data, Other };

    struct Result
    {
        Kind kind = Kind::Dropped;
        bool ackDue = false;    // send an acknowledgement built from recentTxIds() now
    };

    Result parse(const QByteArray &datagram, bool streaming);

    // Empties the stream queues and restarts acknowledgement counting.
    void resetIncoming();

    QByteArray &answerBytes() { return m_udpRxCmdBytes; }
    const QVector<quint16> &recentTxIds() const { return m_recentTxIds; }
    int ackCounter() const { return m_ackCounter; }

    bool available() const { return m_available; }
    const QString &deviceId() const { return m_deviceId; }
    bool pingAnswered() const { return m_pingAnswered; }
    void setPingAnswered(bool answered) { m_pingAnswered = answered; }
    int missedPings() const { return m_missedPings; }
    void setMissedPings(int missed) { m_missedPings = missed; }

    UdpReorder &reorder() { return m_reorder; }

private:
    void keepAliveAnswer(const QByteArray &payload);
    bool dataPacket(quint16 txId, quint32 blockIndex, const QByteArray &payload, bool streaming);

    QByteArray m_udpRxCmdBytes;
    QVector<quint16> m_recentTxIds;
    int m_ackCounter = 0;
    bool m_available = false;
    QString m_deviceId;
    bool m_pingAnswered = false;
    int m_missedPings = 0;
    UdpReorder m_reorder;
};
