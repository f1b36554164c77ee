#pragma once

#include "deviceinfo.h"
#include "streamloss.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

// The abstract device link. The main window holds one pointer of this type to either
// transport and talks to the device only through these operations and signals.
// The defaults below are what a link without that ability answers.
class myAdw : public QObject
{
    Q_OBJECT

public:
    explicit myAdw(QObject *parent = nullptr);
    ~myAdw() override;

public slots:
    virtual void scanDevices(QList<DeviceInfo> &devices);
    virtual bool open(const DeviceInfo &device);
    virtual void close();
    virtual bool sendBinary(const QByteArray &data);
    virtual bool sendCommand(const QString &command, bool expectAnswer, bool startStreaming,
                             bool noTerminator, qint32 answerWaitMs);
    virtual bool sendWhileStreaming(const QByteArray &data);
    virtual quint32 readBlocks(QByteArray &out, quint32 blockSize);
    virtual bool dataTimedOut();
    virtual bool isStreaming();
    virtual bool decoderFailed();
    virtual bool decoderBusy();
    virtual bool isOpen();
    virtual bool openFailed();
    virtual qint32 pendingCommands();
    virtual bool isDeviceDisconnected();
    virtual qint32 errorCount();
    virtual void resetErrorCount();
    virtual QByteArray lastResponse();
    virtual QByteArray lastError();
    virtual QString report();

public:
    // Losses in the current stream booked since the last call, oldest first (see
    // StreamLoss). A stream starts with the streaming command; a loss's position counts
    // the payload bytes delivered to the byte queue before it. readBlocks hands out whole
    // frames only (on both links), never put together from bytes on both sides of a loss:
    // the incomplete rest of a frame just before a loss is dropped (the device starts
    // every datagram and block with a whole frame, so normally there is none). A loss
    // may be taken before or after readBlocks has passed it. LossFrameIndex turns the
    // positions into frame indices, lostFrames() a loss into frames.
    // The default: a link that loses nothing.
    virtual QVector<StreamLoss> takeStreamLosses();

signals:
    void onOpenResults(bool success);
    void onResponseReady(bool success, QByteArray command, QByteArray response);
    void onDataReady(QByteArray data);
    void onDataTimeout();

protected:
    // State shared by both transports. The m_ prefix keeps the fields apart from the
    // operations of the same name.
    bool m_opened = false;
    bool m_openFailed = false;
    qint32 m_errorCount = 0;
    QByteArray m_lastResponse;
    QByteArray m_lastError;
    QByteArray blockQueue;      // payload bytes waiting for readBlocks
    bool m_dataTimedOut = false;
    bool m_streaming = false;
};
