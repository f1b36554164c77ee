#pragma once

#include <QVector>
#include <QWidget>

#include "daqconfig.h"

class QComboBox;
class QDoubleSpinBox;

// The "General" page of the configuration dialog: sample rate, plot timeline and
// recording limit.
class generalTab : public QWidget
{
    Q_OBJECT

public:
    generalTab(const daqConfig &cfg, const QVector<int32_t> &sampleRates, QWidget *parent = nullptr);

    // The sample-rate list entry at the combo box's current index.
    int32_t sampleRate() const;
    double timeline() const;
    double maxDuration() const;

    QComboBox *sampleRateBox() const { return m_sampleRateBox; }
    QDoubleSpinBox *timelineBox() const { return m_timelineBox; }
    QDoubleSpinBox *maxDurationBox() const { return m_maxDurationBox; }

private:
    QWidget *measurementGroup(int32_t currentRate);
    QWidget *viewGroup(double timeline);
    QWidget *durationGroup(double maxDuration);

    QVector<int32_t> m_sampleRates;
    QComboBox *m_sampleRateBox = nullptr;
    QDoubleSpinBox *m_timelineBox = nullptr;
    QDoubleSpinBox *m_maxDurationBox = nullptr;
};
