#pragma once

#include "acquisition/displaysink.h"

// A display that only counts what it is told, for tests of the acquisition alone.
class RecordingDisplay : public DisplaySink
{
public:
    int graphs = 0, restarts = 0;
    unsigned window = 0;
    quint64 rows = 0;
    QString logo;

    void clearGraphs() override { graphs = 0; }
    void addGraph(int, const QString &, bool) override { ++graphs; }
    void setWindow(unsigned frames) override { window = frames; }
    void restart() override { ++restarts; }
    void enqueueRow(const float *, int) override { ++rows; }
    void applyScales(bool) override {}
    bool eulerActive(int) const override { return false; }
    void setLogo(const QString &resource) override { logo = resource; }
};
