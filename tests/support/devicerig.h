#pragma once

#include "devsimprocess.h"

#include <QTemporaryDir>

// A simulated device found the way the programs find a real one, and the folders and
// start-up options of one run against it.
class DeviceRig
{
public:
    // devsim's channels for the end-to-end runs: four 24-bit, one IMU, two AUX words, seed 7.
    static const QStringList devsimChannels;
    // A configuration at 1000 frames/s: `adc24` channels of +-2.4 V, `imus` IMUs (6 g,
    // 500 grad/s), an "aux" line when aux >= 0.
    static QByteArray configText(int adc24, int imus, int aux, const QByteArray &maxDuration = "0");

    DeviceRig();
    ~DeviceRig();
    // Starts devsim with `devsimArgs` plus --pty or --udp, points the links at it and sets
    // the start-up options (link, folders, the configuration named on the command line).
    bool start(const QStringList &devsimArgs, bool overUdp, const QString &configFile = QString());
    QString writeConfig(const QString &name, const QByteArray &text);   // returns its path
    QString folder() const { return dir.path(); }
    QString configFolder() const { return dir.path() + "/config"; }
    QString traceFolder() const { return dir.path() + "/traces"; }

    DevsimProcess sim;

private:
    QTemporaryDir dir;
};
