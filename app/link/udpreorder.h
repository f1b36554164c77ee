#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <QVector>

#include "streamloss.h"

#include <vector>

// Puts numbered stream packets back into index order and books the ones that never came.
// A gap holds delivery back until 61 packets wait behind it; then the missing indices
// count as lost and delivery goes on from the oldest waiting packet.
class UdpReorder
{
public:
    static constexpr int ResyncPending = 61;

    // Takes one data packet. Delivered payloads go to dataQueue() while streaming and are
    // dropped otherwise (they still count as received).
    void add(quint32 index, const QByteArray &payload, bool streaming);

    // The stream has ended: packets waiting behind a gap will not be joined by the
    // missing ones any more, so the gap is booked as lost and they are delivered.
    void flush(bool streaming);

    // Losses booked since the last call, each with its position in dataQueue's stream.
    QVector<StreamLoss> takeLosses();
    // Payload bytes appended to dataQueue since the last resetIncoming.
    quint64 streamPosition() const { return m_position; }

    // Traces the counters and returns the loss log, one "<received> <lost>" line per event.
    QString report() const;
    void resetReport();
    // Empties the queues and expects a new stream from index 0 (the device restarts its
    // numbering at every "init").
    void resetIncoming();

    QByteArray &dataQueue() { return m_dataQueue; }

    quint32 packetsReceived() const { return m_packetsReceived; }
    quint32 retransmits() const { return m_retransmits; }
    quint32 lostPackets() const { return m_lostPackets; }
    quint32 expectedIndex() const { return m_expectedIndex; }
    quint32 deliveredPackets() const { return m_deliveredPackets; }
    int pendingCount() const { return int(m_pending.size()); }
    const QString &lostLog() const { return m_lostLog; }

private:
    struct Block
    {
        quint32 index;
        QByteArray payload;
    };

    void insertSorted(quint32 index, const QByteArray &payload);
    void dropStale();
    void resynchronise();
    void deliver(bool streaming);
    void deliverOne(const QByteArray &payload, bool streaming);
    void count(const QByteArray &payload);
    void bookLoss(quint32 lost);

    std::vector<Block> m_pending;   // ascending index, arrival order among equal indices
    QByteArray m_dataQueue;
    quint32 m_expectedIndex = 0;
    quint32 m_packetsReceived = 0;
    quint32 m_retransmits = 0;
    quint32 m_lostPackets = 0;
    quint32 m_deliveredPackets = 0;
    QString m_lostLog;
    bool m_stoppedAtGap = false;
    // The stream since resetIncoming: position, and the data packets delivered into it.
    quint64 m_position = 0;
    quint64 m_units = 0;
    quint64 m_payloadBytes = 0;
    quint32 m_unitBytes = 0;
    bool m_uniform = true;
    QVector<StreamLoss> m_losses;
};
