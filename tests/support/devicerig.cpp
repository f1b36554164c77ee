#include "devicerig.h"

#include "startupoptions.h"

#include <QDir>

const QStringList DeviceRig::devsimChannels = {"--counts", "4,0,1,2", "--seed", "7"};

DeviceRig::DeviceRig()
{
    QDir().mkpath(configFolder());
    QDir().mkpath(traceFolder());
}

DeviceRig::~DeviceRig()
{
    sim.stop();
    qunsetenv("LUMETRIX_VIRTUAL_PORTS");
    qunsetenv("LUMETRIX_WIFI_DEVICE");
}

QByteArray DeviceRig::configText(int adc24, int imus, int aux, const QByteArray &maxDuration)
{
    const int size = (adc24 ? 4 + 4 * adc24 : 0) + 12 * imus + 2 * qMax(aux, 0);
    QByteArray t = "timeline=10\nmaxDuration=" + maxDuration + "\nsampleRate=1000\nsampleSize=" + QByteArray::number(size) + "\n";
    for (int k = 0; k < adc24; ++k)
        t += "adc24\t2\t-2.4\t2.4\t1\t0\tch" + QByteArray::number(k) + "\n";
    for (int i = 0; i < imus; ++i)
        t += "imu6\t6\t500\timu" + QByteArray::number(i) + "\n";
    return aux >= 0 ? t + "aux\t" + QByteArray::number(aux) + "\n" : t;
}

QString DeviceRig::writeConfig(const QString &name, const QByteArray &text)
{
    QFile f(configFolder() + "/" + name);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
    return f.fileName();
}

bool DeviceRig::start(const QStringList &devsimArgs, bool overUdp, const QString &configFile)
{
    if (!sim.start(devsimArgs + (overUdp ? QStringList{"--udp", "127.0.0.1:0"} : QStringList{"--pty"}), 1))
        return false;
    if (overUdp)
        qputenv("LUMETRIX_WIFI_DEVICE", sim.udpEndpoint().toLocal8Bit());
    else
        qputenv("LUMETRIX_VIRTUAL_PORTS", sim.portsFile().toLocal8Bit());
    StartupOptions &o = startupOptions();
    o = StartupOptions();
    o.useWifi = overUdp;
    o.configFileName = configFile;
    o.configDirectory = configFolder();
    o.workingDirectory = traceFolder();
    return true;
}
