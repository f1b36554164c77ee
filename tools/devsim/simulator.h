#pragma once

#include "commandlog.h"
#include "datalog.h"
#include "devsimoptions.h"
#include "faultsettings.h"
#include "netrecordstore.h"
#include "portsfile.h"

#include <QObject>

class ControlChannel;
class ControlServer;
class PtyDevice;
class QSocketNotifier;
class QTimer;
class UdpDevice;

// Owns the device's sides, the port declaration and the control channel, and turns
// control commands into faults and plug events.
class Simulator : public QObject
{
    Q_OBJECT
public:
    explicit Simulator(const DevsimOptions &options, QObject *parent = nullptr);
    ~Simulator() override;

    bool start();
    // Applies one control command; returns "ok", "error ..." or the command's output.
    QByteArray control(const QByteArray &line);

private slots:
    void onCommand(const QByteArray &line);
    void onInputClosed();
    void onPlugged(const QString &path);
    void onUnplugged();
    void onSignal();
    void onStatsTimer();

private:
    bool setFlag(const QByteArray &arg, bool &flag);
    bool controlSwitch(const QByteArray &cmd, const QByteArray &arg, bool &ok);
    bool controlAction(const QByteArray &cmd, const QByteArray &arg);
    void setPowered(bool on);
    void setStalled(bool on);
    QByteArray stats() const;
    void shutDown();

    DevsimOptions m_options;
    FaultSettings m_faults;
    NetRecordStore m_store;
    CommandLog m_log;
    DataLog m_dataLog;
    PortsFile m_portsFile;
    PtyDevice *m_pty = nullptr;
    UdpDevice *m_udp = nullptr;
    ControlChannel *m_control = nullptr;
    ControlServer *m_controlServer = nullptr;
    QSocketNotifier *m_signalNotifier = nullptr;
    QTimer *m_statsTimer = nullptr;
    bool m_shutDown = false;
};
