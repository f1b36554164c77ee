#include "kestrovarig.h"

#include <QtTest>

KestrovaRig::~KestrovaRig()
{
    window.reset();
}

bool KestrovaRig::start(const QStringList &devsimArgs, bool overUdp, const QString &configFile)
{
    if (!DeviceRig::start(devsimArgs, overUdp, configFile))
        return false;
    window = std::make_unique<MainWindow>(nullptr, qApp);
    window->show();
    return true;
}

bool KestrovaRig::waitReady(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (window->controller().measurementState() == 3 && window->controller().isConfigValid())
            return true;
        QTest::qWait(20);
    }
    return false;
}
