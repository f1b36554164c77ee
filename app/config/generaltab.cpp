#include "generaltab.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "configlimits.h"

namespace {

QGroupBox *groupWith(const QString &title, QLabel *label, QWidget *field)
{
    auto *group = new QGroupBox(title);
    auto *row = new QHBoxLayout(group);
    row->addWidget(label);
    row->addWidget(field);
    return group;
}

} // namespace

generalTab::generalTab(const daqConfig &cfg, const QVector<int32_t> &sampleRates, QWidget *parent)
    : QWidget(parent), m_sampleRates(sampleRates)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(measurementGroup(cfg.sampleRate));
    layout->addWidget(viewGroup(cfg.timeline));
    layout->addWidget(durationGroup(cfg.maxDuration));
    layout->addStretch(1);
}

QWidget *generalTab::measurementGroup(int32_t currentRate)
{
    m_sampleRateBox = new QComboBox;
    for (int32_t rate : m_sampleRates)
        m_sampleRateBox->addItem(QString::number(rate));
    const int index = m_sampleRates.indexOf(currentRate);
    if (index >= 0)
        m_sampleRateBox->setCurrentIndex(index);
    auto *label = new QLabel(tr("Samplerate"));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return groupWith(tr("Measurement"), label, m_sampleRateBox);
}

QWidget *generalTab::viewGroup(double timeline)
{
    m_timelineBox = new QDoubleSpinBox;
    m_timelineBox->setRange(ConfigLimits::minTimeline, ConfigLimits::maxTimeline);
    m_timelineBox->setValue(timeline);
    return groupWith(tr("View"), new QLabel(tr("timeline")), m_timelineBox);
}

QWidget *generalTab::durationGroup(double maxDuration)
{
    m_maxDurationBox = new QDoubleSpinBox;
    m_maxDurationBox->setDecimals(2);
    // Long enough for multi-day recordings, so a stored limit is never cut down silently.
    m_maxDurationBox->setRange(0.0, ConfigLimits::maxRecordDuration);
    m_maxDurationBox->setValue(maxDuration);
    return groupWith(tr("Record duration (0=infinity)"), new QLabel(tr("max duration")), m_maxDurationBox);
}

int32_t generalTab::sampleRate() const
{
    const int index = m_sampleRateBox->currentIndex();
    return index >= 0 && index < m_sampleRates.size() ? m_sampleRates.at(index) : 0;
}

double generalTab::timeline() const
{
    return m_timelineBox->value();
}

double generalTab::maxDuration() const
{
    return m_maxDurationBox->value();
}
