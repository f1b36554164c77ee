#pragma once

class daqConfig;

// Checks a loaded configuration against the channels the device reported. Returns the
// warning of the first check that fails (marked for translation in the "MainWindow"
// context), or nullptr when the configuration fits the device.
const char *configDeviceMismatch(const daqConfig &conf, int nAdc16, int nAdc24, int nImu, int nAux);
