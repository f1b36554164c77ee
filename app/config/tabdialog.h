#pragma once

#include <QDialog>
#include <QVector>

#include "daqconfig.h"

class QDialogButtonBox;
class QLabel;
class QTabWidget;
class generalTab;
class adc16Tab;
class adc24Tab;
class imu6Tab;
class auxTab;
class channelTab;

// The measurement configuration dialog. It offers only the channels the device has:
// a page per channel kind with a non-zero count, plus the general page.
class tabdialog : public QDialog
{
    Q_OBJECT

public:
    tabdialog(QWidget *parent, const daqConfig &cfg, int nAdc16, int nAdc24, int nImu, int nAux);

    // Reads the widgets into a fresh configuration; false when it has no channel list
    // or its frame would be empty (nothing for the device to send).
    bool getparams(daqConfig &cfg) const;

    // Why the dialog cannot be accepted as it stands (a name the file cannot carry, an
    // empty frame, more than the plot can show); empty when it can.
    QString inputProblem() const;

    // Refuses to close while inputProblem() is not empty, and shows why.
    void accept() override;

    // Rates offered: devices with 24-bit channels sample faster.
    static QVector<int32_t> sampleRatesFor(int nAdc24);

    QDialogButtonBox *buttonBox() const { return m_buttonBox; }
    QTabWidget *tabWidget() const { return m_tabWidget; }
    generalTab *general() const { return m_generalTab; }
    adc16Tab *adc16() const { return m_adc16Tab; }
    adc24Tab *adc24() const { return m_adc24Tab; }
    imu6Tab *imu6() const { return m_imu6Tab; }
    auxTab *aux() const { return m_auxTab; }
    // The line under the pages that tells why an edit or OK was refused.
    QLabel *messageLabel() const { return m_message; }

private slots:
    void showProblem(const QString &text);
    void clearProblem();

private:
    void watchChannelTab(channelTab *tab, const QString &kind);
    void readAdc16(daqConfig &cfg) const;
    void readAdc24(daqConfig &cfg) const;
    void readImu6(daqConfig &cfg) const;
    void readAux(daqConfig &cfg) const;

    QDialogButtonBox *m_buttonBox = nullptr;
    QTabWidget *m_tabWidget = nullptr;
    generalTab *m_generalTab = nullptr;
    imu6Tab *m_imu6Tab = nullptr;
    adc16Tab *m_adc16Tab = nullptr;
    adc24Tab *m_adc24Tab = nullptr;
    auxTab *m_auxTab = nullptr;
    QLabel *m_message = nullptr;
};
