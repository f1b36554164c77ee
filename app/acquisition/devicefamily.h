#pragma once

#include <QString>

// Device families told apart by the serial number of their USB port.
namespace DeviceFamily {
constexpr int None = 0;    // not one of ours
constexpr int Vortiq = 1;  // older family, serial numbers beginning with "b"
constexpr int Kestr = 2;   // main family: "kestr", "g" or "h"

// Family of a port by its serial number, compared in lower case.
int of(const QString &serialNumber);
}
