#include "devicefamily.h"

int DeviceFamily::of(const QString &serialNumber)
{
    const QString sn = serialNumber.toLower();
    if (sn.startsWith("b"))
        return Vortiq;
    if (sn.startsWith("g") || sn.startsWith("h") || sn.startsWith("kestr"))
        return Kestr;
    return None;
}
