#pragma once

#include "devsimprocess.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A simulated device, found the way Kestrova finds a real one, and the folders and
// start-up options of one run against it (no window, no controller).
class DeviceRig
{
public:
    // devsim's channels for the end-to-end runs: four 24-bit channels, one IMU, two AUX
    // words, signals seeded with 7.
    static const QStringList devsimChannels;

    DeviceRig();
    ~DeviceRig();

    // Starts devsim with `devsimArgs` plus --pty or --udp, points the links at it and sets
    // the start-up options (link, folders, the configuration named on the command line).
    bool start(const QStringList &devsimArgs, bool overUdp, const QString &configFile = QString());
    // A configuration file at 1000 frames/s: `adc24` channels of +-2.4 V, `imus` IMUs
    // (6 g, 500 grad/s), an "aux" line when aux >= 0.
    static QByteArray configText(int adc24, int imus, int aux, const QByteArray &maxDuration = "0");
    // Writes a configuration file into the configurations folder; returns its path.
    QString writeConfig(const QString &name, const QByteArray &text);

    QString folder() const { return dir.path(); }
    QString configFolder() const { return dir.path() + "/config"; }
    QString traceFolder() const { return dir.path() + "/traces"; }

    DevsimProcess sim;

private:
    QTemporaryDir dir;
};
