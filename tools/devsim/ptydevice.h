#pragma once

#include "devicecore.h"
#include "streamclock.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>

class CommandLog;
class DataLog;
class FrameSource;
class QSocketNotifier;
class QTimer;
struct DevsimOptions;
struct FaultSettings;

// The device on a USB serial port, simulated by a pseudo-terminal: commands arrive as
// lines, answers go back as text with CR LF or as definite-length blocks, and the stream
// goes out as blocks of several frames.
class PtyDevice : public QObject
{
    Q_OBJECT
public:
    PtyDevice(const DevsimOptions &options, FaultSettings *faults, NetRecordStore *store, CommandLog *log,
              DataLog *dataLog, QObject *parent);
    ~PtyDevice() override;

    bool plug();
    void unplug();
    bool isPlugged() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    void setPowered(bool on);
    void setStalled(bool on) { m_clock.setPaused(on); }
    QByteArray stats() const;
    // Sends text the host did not ask for.
    void blurt(const QByteArray &text) { queue(text + "\r\n"); }

signals:
    void plugged(const QString &path);
    void unplugged();

private slots:
    void onReadable();
    void onWritable();
    void onTick();
    void onHostPoll();

private:
    static int openPty(QString &path);
    void processInput();
    bool takeRecord();
    void apply(const DeviceCore::Outcome &outcome);
    void startStream();
    void stopStream();
    void produceStream();
    void cutBlocks(bool all);
    void sendBlock(const QByteArray &payload, bool streamBlock);
    void queue(const QByteArray &bytes);
    void flushOutput();
    qint64 lineBudget();
    void setHostAttached(bool attached);
    void updateTick();
    int nominalBlockBytes() const;
    quint32 random();

    const DevsimOptions &m_options;
    FaultSettings *m_faults;
    CommandLog *m_log;
    DataLog *m_dataLog;
    DeviceCore m_core;
    StreamClock m_clock;
    std::unique_ptr<FrameSource> m_source;
    int m_fd = -1;
    QString m_path;
    QString m_previousPath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer *m_tick;
    QTimer *m_hostPoll;
    bool m_hostAttached = false;
    bool m_everAttached = false;  // quiet about the fresh terminal's first state
    bool m_powered = true;
    QByteArray m_input;
    bool m_recordMode = false;
    QElapsedTimer m_recordSince;
    QByteArray m_output;
    int m_outputOffset = 0;
    QByteArray m_stream;        // whole frames not yet cut into blocks
    int m_nextBlockBytes = 0;
    QElapsedTimer m_lineClock;  // line-rate pacing
    qint64 m_lineSent = 0;
    quint64 m_rng;
    bool m_overflowReported = false;
    quint64 m_blocksSent = 0;
    quint64 m_payloadSent = 0;  // stream payload bytes put into blocks
    quint64 m_framesSent = 0;
    quint64 m_bytesDropped = 0;
    quint64 m_commands = 0;
};
