#pragma once

#include "myadw.h"
#include "scpidecoder.h"
#include "streamlossbook.h"

struct SerialPortEntry;
class SerialComWorker;

// The link over a USB virtual serial port. Lives on the GUI thread, owns at most one
// worker (one per open), relays its signals and cuts the stream's blocks into blockQueue.
class SerialCom : public myAdw
{
    Q_OBJECT

public:
    explicit SerialCom(QObject *parent = nullptr);
    ~SerialCom() override;

    // Serial-number clean-up: leading spaces, '0' and '_' go, never below one character.
    static QString cleanSerialNumber(QString serialNumber);
    static bool isKnownDevice(quint32 vendorId, quint32 productId);
    static DeviceInfo deviceInfoFor(const SerialPortEntry &port);

    // The block decoder, for inspection.
    const scpiDecoder &decoder() const { return m_decoder; }

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

public slots:
    void onWorkerOpenResults(bool success);
    void onWorkerResponseReady(bool success, QByteArray command, QByteArray response);
    void onWorkerResponseError(bool success, QByteArray command, QByteArray response);
    void onWorkerDataReady(QByteArray data);
    void onWorkerDataTimeout();

private:
    SerialComWorker *worker = nullptr;   // child of this link; deleted by close()
    scpiDecoder m_decoder;
    StreamLossBook m_losses;
};
