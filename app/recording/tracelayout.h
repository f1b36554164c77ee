#pragma once

#include "myHdf5.h"

#include <QDateTime>
#include <QList>
#include <QString>

class daqConfig;

// The text of every trace file's "creator" attribute: "Kestrova.exe Version" and the
// program version, with no blank between.
QByteArray traceCreatorText();

// The trace file for a recording started at `start` (local time):
// <folder>/trace_yyyy.MM.dd_hh-mm-ss.h5. Names resolve to the second, so when that file
// exists already "_1", "_2", ... go before ".h5": a recording is never overwritten.
QString traceFileName(const QString &folder, const QDateTime &start);

// Starts a trace file for `conf` in `folder`: closes a file the writer still
// has open, creates the new one and one group per enabled channel kind, in the
// order 16-bit ADC, 24-bit ADC, IMU, AUX. `records` is emptied and receives the
// records to append to, in that order. Returns the file name; whether the file
// could be created is hdf.isOpened().
QString createTraceFile(myHdf &hdf, const daqConfig &conf, const QString &folder,
                        QList<hdfDataset> &records);
QString createTraceFile(myHdf &hdf, const daqConfig &conf, const QString &folder,
                        const QDateTime &start, QList<hdfDataset> &records);

// The same layout in the file `fileName`, created through the file access list
// `fileAccess`. Whether the file could be created is hdf.isOpened().
void writeTraceLayout(myHdf &hdf, const daqConfig &conf, const QString &fileName,
                      const QDateTime &start, QList<hdfDataset> &records,
                      hid_t fileAccess = H5P_DEFAULT);
