#pragma once

#include <QByteArray>

class daqConfig;

// The configuration sent to the device as one command text: lines separated by "\n",
// no line end after the last. `deviceFamily` as DeviceFamily; `overUdp` selects the
// stream header setting of the main family.
QByteArray configurationCommandText(const daqConfig &conf, int deviceFamily, bool overUdp);
