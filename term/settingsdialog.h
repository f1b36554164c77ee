#pragma once

#include "portsettings.h"

#include <QDialog>
#include <QIcon>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

// Lets the user pick the port and its line format.
class settingsdialog : public QDialog
{
    Q_OBJECT

public:
    settingsdialog(QWidget *parent, qint32 baudRate, const QIcon &icon, bool commandLineBaudGiven);

    // False when no port is listed. The flow control is left as it was.
    bool updateSettings(PortSettings &settings) const;
    int fillPortsInfo();

public slots:
    void showPortInfo(int idx);

private:
    QGroupBox *createDeviceGroup();
    QGroupBox *createParameterGroup(qint32 baudRate, bool commandLineBaudGiven);
    void fillBaudRates(qint32 baudRate, bool commandLineBaudGiven);

    QComboBox *portBox = nullptr;
    QLabel *infoLabel = nullptr;
    QCheckBox *localEchoBox = nullptr;
    QComboBox *baudBox = nullptr;
    QComboBox *dataBitsBox = nullptr;
    QComboBox *stopBitsBox = nullptr;
    QComboBox *parityBox = nullptr;
    QComboBox *flowBox = nullptr;
    QList<qint32> standardRates;
    qint32 customRate = -1;  // the command-line rate, listed last when given
};
