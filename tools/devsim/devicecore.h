#pragma once

#include "streamlayout.h"

#include <QByteArray>
#include <QVector>

struct DevsimOptions;
struct FaultSettings;
class NetRecordStore;

// The device's command interpreter, shared in kind (not in instance) by the serial and
// the UDP side: it keeps the configuration and the streaming state and tells the
// transport what to answer and what to do.
class DeviceCore
{
public:
    struct Reply
    {
        QByteArray bytes;
        bool binary = false;   // a memory read: framed as a block on serial, plain on UDP
    };
    struct Outcome
    {
        QVector<Reply> replies;
        bool streamStarted = false;
        bool streamStopped = false;
        bool expectRecord = false;   // the next bytes from the host are a network record
    };

    static constexpr int memoryKey = 580264;

    DeviceCore(const DevsimOptions &options, const FaultSettings *faults, NetRecordStore *store);

    // One command line without its line end.
    Outcome execute(const QByteArray &line);
    // Power-on state: idle, default configuration.
    void reset();
    void stopStream() { m_streaming = false; }
    bool isStreaming() const { return m_streaming; }
    const StreamLayout &layout() const { return m_layout; }
    int rate() const { return m_rate; }
    void storeRecord(const QByteArray &bytes);

    static QByteArray errorText(const QByteArray &line, const char *reason);

private:
    bool configure(const QByteArray &keyword, const QByteArray &args, Outcome &out, const QByteArray &line);
    bool setRate(const QByteArray &args);
    bool setImu(const QByteArray &args);
    bool setGain(const QByteArray &args);
    bool setLayout(const QByteArray &args);
    void memoryRead(const QByteArray &args, Outcome &out, const QByteArray &line);
    void memoryWrite(const QByteArray &args, Outcome &out, const QByteArray &line);
    void start(Outcome &out, const QByteArray &line);

    const DevsimOptions &m_options;
    const FaultSettings *m_faults;
    NetRecordStore *m_store;
    StreamLayout m_layout;
    int m_rate = 1000;
    bool m_streaming = false;
};
