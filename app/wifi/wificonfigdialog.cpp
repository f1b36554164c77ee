#include "wificonfigdialog.h"

#include <QDebug>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// Four decimal numbers 0 ... 255 separated by dots.
const char *const addressByte = "(?:[0-1]?[0-9]?[0-9]|2[0-4][0-9]|25[0-5])";

QString addressPattern()
{
    const QString r = QString::fromLatin1(addressByte);
    return "^" + r + "\\." + r + "\\." + r + "\\." + r + "$";
}

} // namespace

wificonfigdialog::wificonfigdialog(QWidget *parent, const QByteArray &input)
    : QDialog(parent)
{
    setWindowTitle("Kestrova");
    takeInput(input);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("<b>Network credentials</b>"), this));
    if (!m_inputValid)
        layout->addWidget(new QLabel(tr("<b>Input Configuration broken<p>Config set to default</b>"), this));
    apRadio = new QRadioButton(tr("Configure as AP"), this);
    dhcpRadio = new QRadioButton(tr("Station DHCP"), this);
    fixedRadio = new QRadioButton(tr("Station Fixed IP"), this);
    layout->addWidget(apRadio);
    layout->addWidget(dhcpRadio);
    layout->addWidget(fixedRadio);
    layout->addStretch();
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    buildGrid(this);
    for (int row = 0; row < rowCount; ++row) {
        grid->addWidget(labels[row], row, 0);
        grid->addWidget(edits[row], row, 1);
    }
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, SIGNAL(accepted()), this, SLOT(accept()));
    connect(buttons, SIGNAL(rejected()), this, SLOT(reject()));
    connect(apRadio, SIGNAL(clicked(bool)), this, SLOT(onAPbuttonClicked(bool)));
    connect(dhcpRadio, SIGNAL(clicked(bool)), this, SLOT(onDHCPbuttonClicked(bool)));
    connect(fixedRadio, SIGNAL(clicked(bool)), this, SLOT(onFixedButtonClicked(bool)));

    chooseInitialMode();
}

void wificonfigdialog::takeInput(const QByteArray &input)
{
    qDebug() << "wifiConfigDialog() input len " << input.size();
    if (input.size() < netCfg::recordSize) {
        qDebug() << "wificonfigdialog() len of input cfg too short, len = " << input.size();
    } else if (netCfg::isValidInput(input)) {
        qDebug() << "input wifi Config valid";
        m_inputValid = true;
    } else {
        qDebug() << "wificonfigdialog() input config invalid";
    }
    record = netCfg::fromInput(input);
}

void wificonfigdialog::buildGrid(QWidget *holder)
{
    struct RowText
    {
        const char *label;
        int field;   // a netCfg::TextField, or -1 for the channel number
    };
    static const RowText rows[rowCount] = {
        {QT_TR_NOOP("AP SSID"), netCfg::apSsid},         {QT_TR_NOOP("AP Password"), netCfg::apPassword},
        {QT_TR_NOOP("AP channel"), -1},                  {QT_TR_NOOP("Station Name"), netCfg::stationName},
        {QT_TR_NOOP("Net SSID"), netCfg::netSsid},       {QT_TR_NOOP("Net Password"), netCfg::netPassword},
        {QT_TR_NOOP("IP Address"), netCfg::ipAddress},   {QT_TR_NOOP("IP Gateway"), netCfg::ipGateway},
        {QT_TR_NOOP("IP NetMask"), netCfg::ipNetmask},
    };
    for (int row = 0; row < rowCount; ++row) {
        labels[row] = new QLabel(tr(rows[row].label), holder);
        const int field = rows[row].field;
        const QString text = field < 0 ? QString::number(record.apChannel())
                                       : record.text(netCfg::TextField(field));
        edits[row] = new QLineEdit(text, holder);
    }
    // QIntValidator lets "12" through as intermediate input (same digit count as 11), and
    // the dialog's Ok does not ask for acceptable input; a pattern keeps it out while typing.
    edits[rowApChannel]->setValidator(
        new QRegularExpressionValidator(QRegularExpression("^(?:[0-9]|1[01])$"), edits[rowApChannel]));
    // One validator for the three address rows; it lives as long as the dialog.
    auto *address = new QRegularExpressionValidator(QRegularExpression(addressPattern()), holder);
    edits[rowIpAddress]->setValidator(address);
    edits[rowIpGateway]->setValidator(address);
    edits[rowIpNetmask]->setValidator(address);
}

void wificonfigdialog::chooseInitialMode()
{
    if (m_inputValid && record.isAP() == 0 && record.isFixedIP() != 0) {
        fixedRadio->setChecked(true);
        onFixedButtonClicked(true);
    } else if (m_inputValid && record.isAP() == 0) {
        dhcpRadio->setChecked(true);
        onDHCPbuttonClicked(true);
    } else {
        apRadio->setChecked(true);
        onAPbuttonClicked(true);
    }
}

void wificonfigdialog::onAPbuttonClicked(bool checked)
{
    qDebug().noquote() << "onRadioButtonChanged() " << (checked ? "true" : "false");
    setModeAndEnabled(1, 0, {rowApSsid, rowApPassword, rowApChannel});
}

void wificonfigdialog::onDHCPbuttonClicked(bool checked)
{
    qDebug().noquote() << "onDHCP() " << (checked ? "true" : "false");
    setModeAndEnabled(0, 0, {rowStationName, rowNetSsid, rowNetPassword});
}

void wificonfigdialog::onFixedButtonClicked(bool checked)
{
    qDebug().noquote() << "onFixed() " << (checked ? "true" : "false");
    setModeAndEnabled(0, 1, {rowNetSsid, rowNetPassword, rowIpAddress, rowIpGateway, rowIpNetmask});
}

void wificonfigdialog::setModeAndEnabled(qint32 ap, qint32 fixedIp, std::initializer_list<Row> enabled)
{
    isAP = ap;
    isFixedIP = fixedIp;
    for (QLineEdit *edit : edits)
        edit->setEnabled(false);
    for (Row row : enabled)
        edits[row]->setEnabled(true);
}

QByteArray wificonfigdialog::getConfig() const
{
    netCfg::EditedValues values;
    values.isAP = isAP;
    values.isFixedIP = isFixedIP;
    values.apSsid = edits[rowApSsid]->text();
    values.apPassword = edits[rowApPassword]->text();
    values.apChannel = edits[rowApChannel]->text();
    values.netPassword = edits[rowNetPassword]->text();
    values.netSsid = edits[rowNetSsid]->text();
    values.stationName = edits[rowStationName]->text();
    values.ipAddress = edits[rowIpAddress]->text();
    values.ipGateway = edits[rowIpGateway]->text();
    values.ipNetmask = edits[rowIpNetmask]->text();
    return netCfg::build(values);
}
