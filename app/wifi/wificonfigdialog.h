#pragma once

#include "netcfg.h"

#include <QByteArray>
#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// Edits the device's network record: access point, or station with DHCP or a fixed
// address. Starts from the bytes read from the device, or from the defaults when those
// are no valid record.
class wificonfigdialog : public QDialog
{
    Q_OBJECT

public:
    // Rows of the field grid, top to bottom.
    enum Row { rowApSsid, rowApPassword, rowApChannel, rowStationName, rowNetSsid, rowNetPassword,
               rowIpAddress, rowIpGateway, rowIpNetmask, rowCount };

    wificonfigdialog(QWidget *parent, const QByteArray &input);

    // The record built from all fields (disabled ones included) and the mode; empty when
    // a field is too long for the record.
    QByteArray getConfig() const;

    bool inputValid() const { return m_inputValid; }
    qint32 apMode() const { return isAP; }
    qint32 fixedIpMode() const { return isFixedIP; }
    QLineEdit *lineEdit(Row row) const { return edits[row]; }
    QLabel *rowLabel(Row row) const { return labels[row]; }
    QRadioButton *apButton() const { return apRadio; }
    QRadioButton *dhcpButton() const { return dhcpRadio; }
    QRadioButton *fixedButton() const { return fixedRadio; }
    QDialogButtonBox *buttonBox() const { return buttons; }

public slots:
    void onAPbuttonClicked(bool checked);
    void onDHCPbuttonClicked(bool checked);
    void onFixedButtonClicked(bool checked);

private:
    void takeInput(const QByteArray &input);
    void buildGrid(QWidget *holder);
    void setModeAndEnabled(qint32 ap, qint32 fixedIp, std::initializer_list<Row> enabled);
    void chooseInitialMode();

    bool m_inputValid = false;
    netCfg record;
    qint32 isAP = 1;
    qint32 isFixedIP = 0;
    QLineEdit *edits[rowCount] = {};
    QLabel *labels[rowCount] = {};
    QRadioButton *apRadio = nullptr;
    QRadioButton *dhcpRadio = nullptr;
    QRadioButton *fixedRadio = nullptr;
    QDialogButtonBox *buttons = nullptr;
};
