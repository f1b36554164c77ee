#pragma once

#include <QStringList>

// Outside readers of trace files: HDF5's command-line tools and h5py.

// Runs a program to its end: empty when it exited with 0, else what went wrong.
QString runTool(const QString &program, const QStringList &arguments, int timeoutMs = 60000, QByteArray *output = nullptr);
// Runs a script with the system's Python, which has h5py, like runTool.
QString runPython(const QString &script, const QStringList &arguments, QByteArray *output = nullptr);
// Empty when h5dump and h5py both read every dataset of the file, `gaps` among them.
QString readableByTools(const QString &file);
