#pragma once

#include <QString>

// Checks a trace file recorded from devsim with DeviceRig::devsimChannels and the
// configuration DeviceRig::configText(4, 1, 2): every row holds the values devsim sent
// for its frame (the AUX words count frames). `rows` is the number of rows expected
// (-1: any); without `contiguous`, frames may be missing between rows but rows only go
// forward. Returns what is wrong, or an empty text.
QString checkDevsimTrace(const QString &file, int rows, bool contiguous = true);
// Rows of the trace's AUX dataset, -1 when it cannot be read.
int devsimTraceRows(const QString &file);
