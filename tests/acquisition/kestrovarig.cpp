#include "kestrovarig.h"

#include <QtTest>

bool KestrovaRig::start(const QStringList &devsimArgs, bool overUdp, const QString &configFile)
{
    if (!DeviceRig::start(devsimArgs, overUdp, configFile))
        return false;
    window = std::make_unique<MainWindow>(nullptr, qApp);
    window->show();
    return true;
}

bool KestrovaRig::waitReady()
{
    return QTest::qWaitFor([this] {
        return window->controller().measurementState() == 3 && window->controller().isConfigValid();
    }, 20000);
}
