#include "udpreorder.h"

#include <QDebug>

#include <algorithm>

void UdpReorder::add(quint32 index, const QByteArray &payload, bool streaming)
{
    // The common case, in order with nothing waiting, goes straight to the queue.
    if (m_pending.empty() && index == m_expectedIndex) {
        deliverOne(payload, streaming);
        return;
    }
    // Older than everything waiting: a resent packet whose first copy got through late.
    if (!m_pending.empty() && quint32(index - m_pending.front().index) > 0x80000000u) {
        ++m_retransmits;
        qDebug().noquote() << QStringLiteral("Retrans cnt %1").arg(index);
    }
    insertSorted(index, payload);
    // Copies below the expected index would otherwise be taken for the resync point.
    dropStale();
    // Only a real gap is skipped: the packet just added may be the missing one.
    if (m_pending.size() >= size_t(ResyncPending) && m_pending.front().index != m_expectedIndex)
        resynchronise();
    deliver(streaming);
}

void UdpReorder::insertSorted(quint32 index, const QByteArray &payload)
{
    const auto at = std::upper_bound(m_pending.begin(), m_pending.end(), index,
                                     [](quint32 i, const Block &b) { return i < b.index; });
    // A deep copy: the payload may be a view into a buffer that is read into again.
    m_pending.insert(at, Block{index, QByteArray(payload.constData(), payload.size())});
}

void UdpReorder::dropStale()
{
    const auto firstCurrent = std::lower_bound(
        m_pending.begin(), m_pending.end(), m_expectedIndex,
        [](const Block &b, quint32 i) { return b.index < i; });
    m_pending.erase(m_pending.begin(), firstCurrent);
}

void UdpReorder::resynchronise()
{
    const quint32 first = m_pending.front().index;
    const quint32 lost = first - m_expectedIndex;
    qDebug().noquote() << QStringLiteral("Error in UDP reception %1").arg(m_pending.size());
    qDebug().noquote() << QStringLiteral("indices %1  %2").arg(first).arg(m_expectedIndex);
    qDebug().noquote() << QStringLiteral("lostPacks = %1").arg(lost);
    m_lostPackets += lost;
    // Never below zero: a stream that starts with a gap has received nothing yet.
    m_packetsReceived = m_packetsReceived > lost ? m_packetsReceived - lost : 0;
    m_retransmits += 4 * lost;
    m_lostLog += QStringLiteral("%1 %2\n").arg(m_packetsReceived).arg(lost);
    bookLoss(lost);
    m_expectedIndex = first;
}

// The statistics include the packets waiting behind the gap: they are part of the stream
// so far, and without them a stream that starts with a loss would have no mean at all.
void UdpReorder::bookLoss(quint32 lost)
{
    StreamLoss loss;
    loss.position = m_position;
    loss.lostUnits = lost;
    loss.units = m_units;
    loss.payloadBytes = m_payloadBytes;
    quint32 unitBytes = m_unitBytes;
    bool uniform = m_uniform;
    for (size_t i = 0; i < m_pending.size(); ++i) {
        if (i > 0 && m_pending[i].index == m_pending[i - 1].index)
            continue;   // a duplicate
        const quint32 size = quint32(m_pending[i].payload.size());
        if (loss.units == 0)
            unitBytes = size;
        else if (size != unitBytes)
            uniform = false;
        ++loss.units;
        loss.payloadBytes += size;
    }
    loss.uniform = loss.units > 0 && uniform;
    loss.unitBytes = loss.uniform ? unitBytes : 0;
    m_losses.append(loss);
}

void UdpReorder::deliverOne(const QByteArray &payload, bool streaming)
{
    ++m_packetsReceived;
    ++m_expectedIndex;
    ++m_deliveredPackets;
    if (streaming) {
        m_dataQueue.append(payload);
        count(payload);
    }
}

void UdpReorder::count(const QByteArray &payload)
{
    const quint32 size = quint32(payload.size());
    if (m_units == 0)
        m_unitBytes = size;
    else if (size != m_unitBytes)
        m_uniform = false;
    ++m_units;
    m_payloadBytes += size;
    m_position += size;
}

void UdpReorder::flush(bool streaming)
{
    if (m_pending.empty())
        return;
    qDebug() << "stream ended with" << m_pending.size() << "packets waiting behind a gap";
    resynchronise();
    deliver(streaming);
}

QVector<StreamLoss> UdpReorder::takeLosses()
{
    QVector<StreamLoss> losses;
    losses.swap(m_losses);
    return losses;
}

void UdpReorder::deliver(bool streaming)
{
    auto it = m_pending.begin();
    for (; it != m_pending.end(); ++it) {
        if (it->index > m_expectedIndex) {
            m_stoppedAtGap = true;
            break;
        }
        if (it->index < m_expectedIndex)
            continue;   // a duplicate of a delivered packet
        deliverOne(it->payload, streaming);
    }
    m_pending.erase(m_pending.begin(), it);
    if (m_pending.empty() && m_stoppedAtGap) {
        qDebug() << "report() now found more than one block (retransmission event?)";
        m_stoppedAtGap = false;
    }
}

QString UdpReorder::report() const
{
    qDebug().noquote() << QStringLiteral("\n    UDP counters:\n    retransmits %1\n    lostPackets %2"
                                         "\n    packets rec %3\n")
                              .arg(m_retransmits)
                              .arg(m_lostPackets)
                              .arg(m_packetsReceived);
    return m_lostLog;
}

void UdpReorder::resetReport()
{
    qDebug() << "ResetReport()";
    m_packetsReceived = 0;
    m_retransmits = 0;
    m_lostPackets = 0;
    m_deliveredPackets = 0;
    m_lostLog.clear();
}

void UdpReorder::resetIncoming()
{
    qDebug() << "######################################## Reset incoming udp";
    m_dataQueue.clear();
    m_pending.clear();
    m_expectedIndex = 0;
    m_stoppedAtGap = false;
    m_position = 0;
    m_units = 0;
    m_payloadBytes = 0;
    m_unitBytes = 0;
    m_uniform = true;
    m_losses.clear();
}
