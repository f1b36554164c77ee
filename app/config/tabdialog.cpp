#include "tabdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "adc16tab.h"
#include "adc24tab.h"
#include "auxtab.h"
#include "configlimits.h"
#include "generaltab.h"
#include "imu6tab.h"

tabdialog::tabdialog(QWidget *parent, const daqConfig &cfg, int nAdc16, int nAdc24, int nImu, int nAux)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Kestrova"));
    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(m_buttonBox, SIGNAL(accepted()), this, SLOT(accept()));
    connect(m_buttonBox, SIGNAL(rejected()), this, SLOT(reject()));

    m_tabWidget = new QTabWidget;
    m_generalTab = new generalTab(cfg, sampleRatesFor(nAdc24));
    m_tabWidget->addTab(m_generalTab, tr("General"));
    if (nAdc24 > 0) {
        m_adc24Tab = new adc24Tab(nAdc24, cfg.adc24);
        m_tabWidget->addTab(m_adc24Tab, tr("ADC24"));
        watchChannelTab(m_adc24Tab, tr("ADC24"));
    }
    if (nAdc16 > 0) {
        m_adc16Tab = new adc16Tab(nAdc16, cfg.adc16);
        m_tabWidget->addTab(m_adc16Tab, tr("ADC16"));
        watchChannelTab(m_adc16Tab, tr("ADC16"));
    }
    if (nImu > 0) {
        m_imu6Tab = new imu6Tab(nImu, cfg.imu6);
        m_tabWidget->addTab(m_imu6Tab, tr("IMU 6"));
        watchChannelTab(m_imu6Tab, tr("IMU 6"));
    }
    if (nAux > 0) {
        m_auxTab = new auxTab(cfg.auxActive() ? cfg.aux.first() : 0);
        m_tabWidget->addTab(m_auxTab, tr("Aux"));
        connect(m_auxTab->activateBox(), &QCheckBox::toggled, this, &tabdialog::clearProblem);
    }

    m_message = new QLabel;
    m_message->setWordWrap(true);
    m_message->setStyleSheet(QStringLiteral("color: #b00000"));
    m_message->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabWidget);
    layout->addWidget(m_message);
    layout->addWidget(m_buttonBox);
}

void tabdialog::watchChannelTab(channelTab *tab, const QString &kind)
{
    connect(tab, &channelTab::nameRefused, this, [this, kind](int index, const QString &reason) {
        showProblem(tr("%1 channel %2: %3").arg(kind).arg(index + 1).arg(reason));
    });
    connect(tab, &channelTab::edited, this, &tabdialog::clearProblem);
}

void tabdialog::showProblem(const QString &text)
{
    m_message->setText(text);
    m_message->show();
}

void tabdialog::clearProblem()
{
    m_message->clear();
    m_message->hide();
}

QString tabdialog::inputProblem() const
{
    const struct { channelTab *tab; QString kind; } pages[] = {
        {m_adc24Tab, tr("ADC24")}, {m_adc16Tab, tr("ADC16")}, {m_imu6Tab, tr("IMU 6")}};
    for (const auto &page : pages) {
        const QString why = page.tab ? page.tab->nameProblem(page.kind) : QString();
        if (!why.isEmpty())
            return why;
    }
    daqConfig cfg;
    getparams(cfg);
    // An empty frame would have the device configured to send nothing, which it refuses.
    if (cfg.sampleSize <= 0)
        return tr("Nothing to measure: enable at least one channel, IMU or the AUX device.");
    return ConfigLimits::displayProblem(cfg);
}

void tabdialog::accept()
{
    const QString why = inputProblem();
    if (!why.isEmpty()) {
        showProblem(why);
        return;
    }
    QDialog::accept();
}

QVector<int32_t> tabdialog::sampleRatesFor(int nAdc24)
{
    if (nAdc24 > 0)
        return {500, 1000, 2000, 4000};
    return {100, 200, 500, 1000};
}

bool tabdialog::getparams(daqConfig &cfg) const
{
    cfg.setDefaults();
    cfg.timeline = m_generalTab->timeline();
    cfg.maxDuration = m_generalTab->maxDuration();
    cfg.sampleRate = m_generalTab->sampleRate();
    cfg.sampleSize = 0;
    readAdc16(cfg);
    readAdc24(cfg);
    readImu6(cfg);
    readAux(cfg);
    return cfg.hasChannels() && cfg.sampleSize > 0;
}

void tabdialog::readAdc16(daqConfig &cfg) const
{
    if (!m_adc16Tab)
        return;
    const double range = adc16Tab::ranges().first();
    for (int i = 0; i < m_adc16Tab->channelCount(); ++i) {
        if (!m_adc16Tab->isChecked(i))
            continue;
        cfg.adc16.append(adcChannel(-range, range, 1.0, 0.0, m_adc16Tab->name(i)));
        cfg.sampleSize += 4;
    }
}

void tabdialog::readAdc24(daqConfig &cfg) const
{
    if (!m_adc24Tab)
        return;
    const double range = adc24Tab::range();
    for (int i = 0; i < m_adc24Tab->channelCount(); ++i) {
        if (!m_adc24Tab->isChecked(i))
            continue;
        cfg.adc24.append(adcChannel(-range, range, 1.0, 0.0, m_adc24Tab->name(i)));
        cfg.sampleSize += 4;
    }
    if (!cfg.adc24.isEmpty())
        cfg.sampleSize += 4;  // the 24-bit block word
}

void tabdialog::readImu6(daqConfig &cfg) const
{
    if (!m_imu6Tab)
        return;
    for (int i = 0; i < m_imu6Tab->channelCount(); ++i) {
        if (!m_imu6Tab->isChecked(i))
            continue;
        cfg.imu6.append(imuChannel(m_imu6Tab->accRange(i), m_imu6Tab->gyroRange(i), m_imu6Tab->name(i)));
        cfg.sampleSize += 12;
    }
}

void tabdialog::readAux(daqConfig &cfg) const
{
    if (!m_auxTab)
        return;
    const int32_t length = m_auxTab->words();
    cfg.aux.append(length);
    cfg.sampleSize += 2 * length;
}
