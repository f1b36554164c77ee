#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes one line per stream unit the device sends, so that a test can tell which frames
// went out in which datagram or block and which of them the simulated faults destroyed:
//   udp<TAB><blockIndex><TAB><first frame><TAB><frames><TAB><fate>
//       fate: sent, dropped, resent, resent-dropped
//   serial<TAB><block><TAB><first byte><TAB><bytes><TAB><fate>
//       fate: sent, badheader, badterminator (first byte counts the stream's payload bytes)
// Frames and bytes count from the start of each stream, which a "stream" line marks.
class DataLog
{
public:
    explicit DataLog(const QString &fileName);

    bool isOpen() const { return m_file.isOpen(); }
    void streamStarted(const char *side, int frameSize);
    void unit(const char *side, quint64 unit, quint64 first, quint64 count, const char *fate);

private:
    QFile m_file;
};
