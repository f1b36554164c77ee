#pragma once

#include <QDateTime>
#include <QString>

// Name of a new trace file in `folder` for a recording started at `start`:
// "trace_yyyy.MM.dd_hh-mm-ss.h5". Names resolve to the second, so when that file
// exists already "_1", "_2", ... go before ".h5": a recording is never overwritten.
QString newTraceFileName(const QString &folder, const QDateTime &start);
