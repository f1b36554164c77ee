#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

#include "configloadresult.h"
#include "daqconfig.h"

// Reading and writing measurement configurations as ".conf" text files.
//
// General lines are "key=value"; channel lines are a keyword followed by tab-separated
// words ("adc16", "adc24", "imu6", "aux"). The loader never stops at a bad line, so
// after a failure the configuration holds whatever the readable lines put into it.

// Fills `cfg` from the file and tells what went wrong, if anything: a missing file, a
// path that is no regular file (FIFOs and devices are never opened for reading), an
// unreadable, empty or invalid file. Values are checked against ConfigLimits; one
// "aux" line and one line per general key at most.
ConfigLoadResult readConfiguration(daqConfig &cfg, const QString &path);

// readConfiguration(...).text(): empty on success, else "could not open configuration
// file.", "configuration file empty." or "configuration file is invalid.", each but
// the second followed by a line with the detail.
QString loadConfiguration(daqConfig &cfg, const QString &path);

// Writes `cfg` to the file, truncating it. False when the configuration has no
// channels or the file could not be written completely.
bool saveConfiguration(const daqConfig &cfg, const QString &path);

// The rest of `line` after `key` (one trailing line feed removed) when the line starts
// with `key`, else an empty text.
QString getmatch(const QString &line, const QString &key);

// Words separated by tab, line feed or blank; empty words are dropped. A carriage
// return is not a separator.
QStringList splitWords(const QString &text);

// The AUX length (16-bit words) from the text after "aux".
bool auxdecode(const QString &text, int32_t &length);

// An ADC line after its keyword: the constant 2, rangeMin, rangeMax, coefA, coefB, name.
bool adcdecode(const QString &text, adcChannel &channel);

// An IMU line after "imu6": accRange, gyroRange, name.
bool imudecode(const QString &text, imuChannel &channel);
