#pragma once

#include "devsimprocess.h"
#include "acquisition/acquisitioncontroller.h"
#include "mainwindow.h"
#include "modalanswerer.h"

#include <QTemporaryDir>

#include <memory>

// One Kestrova main window connected to one devsim, over a pseudo-terminal or loopback
// UDP, with its own traces and configurations folders.
class KestrovaRig
{
public:
    KestrovaRig();
    ~KestrovaRig();

    // Starts devsim with `devsimArgs` (plus --pty or --udp) and the window.
    bool start(const QStringList &devsimArgs, bool overUdp, const QString &configFile = QString());
    // A configuration file at 1000 frames/s: `adc24` channels of +-2.4 V, `imus` IMUs
    // (6 g, 500 grad/s), an "aux" line when aux >= 0.
    static QByteArray configText(int adc24, int imus, int aux, const QByteArray &maxDuration = "0");
    // Writes a configuration file into the configurations folder.
    void writeConfig(const QString &name, const QByteArray &text);
    // Waits until the device is configured and ready (measurement state 3).
    bool waitReady(int timeoutMs = 20000);

    QString configFolder() const { return dir.path() + "/config"; }
    QString traceFolder() const { return dir.path() + "/traces"; }

    DevsimProcess sim;
    ModalAnswerer answers;
    std::unique_ptr<MainWindow> window;

private:
    QTemporaryDir dir;
};
