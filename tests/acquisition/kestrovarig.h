#pragma once

#include "acquisition/acquisitioncontroller.h"
#include "devicerig.h"
#include "mainwindow.h"
#include "modalanswerer.h"

#include <memory>

// One Kestrova main window connected to one devsim, its boxes and dialogs answered.
class KestrovaRig : public DeviceRig
{
public:
    ~KestrovaRig() { window.reset(); }
    // Starts devsim with `devsimArgs` (plus --pty or --udp) and the window.
    bool start(const QStringList &devsimArgs, bool overUdp, const QString &configFile = QString());
    // Waits until the device is configured and ready (measurement state 3).
    bool waitReady();

    ModalAnswerer answers;
    std::unique_ptr<MainWindow> window;
};
