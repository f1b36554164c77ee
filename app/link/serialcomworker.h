#pragma once

#include "deviceinfo.h"

#include <QByteArray>
#include <QList>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>

class QSerialPort;

// One queued write of a link.
struct CommandEntry
{
    QByteArray data;            // terminator already appended where wanted
    bool expectAnswer = false;
    bool startStreaming = false;
    bool isBinary = false;
    quint32 answerWaitMs = 0;   // first answer wait; 0 means 50 ms
    quint64 stopGeneration = 0; // stop requests made before this entry was queued
};

// Owns the serial port and does all blocking port I/O on its own thread: command mode
// writes one queued entry at a time and collects its answer, streaming mode hands every
// chunk read to the facade. Lives on the GUI thread; its signals reach the facade queued.
class SerialComWorker : public QThread
{
    Q_OBJECT

public:
    explicit SerialComWorker(QObject *parent = nullptr);
    ~SerialComWorker() override;

    // GUI thread.
    void startWorker(const DeviceInfo &device);
    void requestStop();
    void sendCommand(const QByteArray &data, bool expectAnswer, bool startStreaming, quint32 answerWaitMs);
    void sendBinary(const QByteArray &data);
    bool sendWhileStreaming(const QByteArray &data);
    void stopStreaming();
    bool isDeviceDisconnected();
    qint32 queuedCommands() const { return m_queuedCommands.load(); }

signals:
    void onOpenResults(bool success);
    void onCloseResults(bool success);
    void onResponseReady(bool success, QByteArray command, QByteArray response);
    void onResponseError(bool success, QByteArray command, QByteArray response);
    void onDataReady(QByteArray data);
    void onDataTimeout();

protected:
    void run() override;

private:
    // Worker thread.
    void runBody();
    bool openPort();
    void closePort();
    void watchPortErrors();
    bool checkDevice();
    void streamTurn();
    void commandTurn();
    bool takeEntry(CommandEntry &entry);
    void writeData(const QByteArray &data, int line);
    enum class AnswerEnd { Quiet, NoAnswer, Lost };
    AnswerEnd collectAnswer(quint32 firstWaitMs, QByteArray &answer);
    void drainInput(int quietMs, int limitMs);
    void discardStaleInput();
    bool waitForInput(int ms);
    bool hungUp();
    void finishEntry();
    void markDeviceLost();
    bool deviceLost() const;

    QList<CommandEntry> commandQueue;
    // A plain std::mutex: the same non-recursive lock, and one that thread checkers can see.
    std::mutex queueMutex;              // guards commandQueue, pendingData and writes of queuedCommands
    std::atomic<bool> stopRequested{true};
    std::atomic<bool> streamingMode{false};
    std::unique_ptr<QSerialPort> port;  // created, used and deleted on the worker thread only
    std::atomic<bool> portOpen{false};  // what the GUI thread may know about the port
    DeviceInfo deviceInfo;
    std::atomic<bool> resourceError{false};
    bool resourceErrorReported = false;
    bool dataTimeoutReported = false;
    bool streamTail = false;            // a stream ran since the last command: its tail may follow
    bool lineStateCheck = false;        // the port reports its modem lines (not so on a pseudo-terminal)
    std::atomic<bool> sendPending{false};
    QByteArray pendingData;
    std::atomic<qint32> m_queuedCommands{0};
    quint64 stopGeneration = 0;         // counts stopStreaming calls; guarded by queueMutex
    std::atomic<bool> runFinished{false};   // the body's last write, read after wait()
};
