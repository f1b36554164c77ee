#include "settingsdialog.h"

#include "serialportlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSerialPortInfo>
#include <QVBoxLayout>

settingsdialog::settingsdialog(QWidget *parent, qint32 baudRate, const QIcon &icon,
                               bool commandLineBaudGiven)
    : QDialog(parent)
{
    setWindowIcon(icon);
    setWindowTitle(QStringLiteral("corvun"));

    auto *groups = new QHBoxLayout;
    groups->addWidget(createDeviceGroup());
    groups->addWidget(createParameterGroup(baudRate, commandLineBaudGiven));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, SIGNAL(accepted()), this, SLOT(accept()));
    connect(buttons, SIGNAL(rejected()), this, SLOT(reject()));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(buttons);

    if (fillPortsInfo() == 0) {
        infoLabel->setText(QStringLiteral("<img src=:/images/application-exit>")
                           + tr("No Device present.\nProgram will be closed."));
        qDebug() << "no device present";
    }
}

QGroupBox *settingsdialog::createDeviceGroup()
{
    auto *group = new QGroupBox(tr("Device"), this);
    portBox = new QComboBox(group);
    portBox->setObjectName(QStringLiteral("portBox"));
    infoLabel = new QLabel(group);
    infoLabel->setObjectName(QStringLiteral("infoLabel"));
    localEchoBox = new QCheckBox(tr("local echo enabled"), group);
    localEchoBox->setObjectName(QStringLiteral("localEchoBox"));
    localEchoBox->setChecked(true);
    connect(portBox, SIGNAL(currentIndexChanged(int)), this, SLOT(showPortInfo(int)));

    auto *layout = new QVBoxLayout(group);
    layout->addWidget(portBox);
    layout->addWidget(infoLabel);
    layout->addWidget(localEchoBox);
    layout->addStretch();
    return group;
}

static QComboBox *choiceBox(QWidget *parent, const char *name, const QStringList &items, int selected)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    box->setCurrentIndex(selected);
    return box;
}

QGroupBox *settingsdialog::createParameterGroup(qint32 baudRate, bool commandLineBaudGiven)
{
    auto *group = new QGroupBox(tr("Parameter"), this);
    baudBox = new QComboBox(group);
    baudBox->setObjectName(QStringLiteral("baudBox"));
    fillBaudRates(baudRate, commandLineBaudGiven);
    dataBitsBox = choiceBox(group, "dataBitsBox", {"5", "6", "7", "8"}, 3);
    stopBitsBox = choiceBox(group, "stopBitsBox", {"1", "2"}, 0);
    parityBox = choiceBox(group, "parityBox",
                          {tr("none"), tr("even"), tr("odd"), tr("mark"), tr("space")}, 0);
    flowBox = choiceBox(group, "flowBox", {tr("none"), "RTS/CTS", "XON/XOFF"}, 0);

    auto *form = new QFormLayout(group);
    form->addRow(tr("baudrate"), baudBox);
    form->addRow(tr("databits"), dataBitsBox);
    form->addRow(tr("stopbits"), stopBitsBox);
    form->addRow(tr("parity"), parityBox);
    form->addRow(tr("flowcontrol"), flowBox);
    return group;
}

void settingsdialog::fillBaudRates(qint32 baudRate, bool commandLineBaudGiven)
{
    standardRates = QSerialPortInfo::standardBaudRates();
    for (qint32 rate : qAsConst(standardRates))
        baudBox->addItem(QString::number(rate));
    if (commandLineBaudGiven) {
        customRate = baudRate;
        baudBox->addItem(QString::number(baudRate));
        baudBox->setCurrentIndex(baudBox->count() - 1);
    } else {
        baudBox->setCurrentIndex(qMax(0, standardRates.indexOf(baudRate)));
    }
}

int settingsdialog::fillPortsInfo()
{
    portBox->clear();
    const QString na = tr("N/A");
    auto orNa = [&na](const QString &s) { return s.isEmpty() ? na : s; };
    auto hexOrNa = [&na](quint16 id) { return id ? QString::number(id, 16) : na; };
    const QList<SerialPortEntry> ports = SerialPortList::availablePorts();
    for (const SerialPortEntry &port : ports) {
        const QStringList list{port.portName,
                               orNa(port.description),
                               orNa(port.manufacturer),
                               orNa(port.serialNumber),
                               orNa(port.systemLocation),
                               hexOrNa(port.vendorId),
                               hexOrNa(port.productId),
                               port.busy ? tr("busy") : tr("available")};
        portBox->addItem(list.first(), list);
    }
    return portBox->count();
}

void settingsdialog::showPortInfo(int idx)
{
    if (idx < 0)
        return;
    const QStringList list = portBox->itemData(idx).toStringList();
    QString text;
    text += tr("Description") + QStringLiteral(": %1\n").arg(list.value(1));
    text += tr("Manufacturer") + QStringLiteral(": %1\n").arg(list.value(2));
    text += tr("Serial number") + QStringLiteral(": %1\n").arg(list.value(3));
    text += tr("Location") + QStringLiteral(": %1\n").arg(list.value(4));
    text += tr("Vendor Identifier") + QStringLiteral(": 0x%1\n").arg(list.value(5));
    text += tr("Product Identifier") + QStringLiteral(": 0x%1\n").arg(list.value(6));
    text += tr("Status") + QStringLiteral(": %1\n").arg(list.value(7));
    infoLabel->setText(text);
}

bool settingsdialog::updateSettings(PortSettings &settings) const
{
    if (portBox->count() == 0)
        return false;
    static const QSerialPort::DataBits dataBits[] = {QSerialPort::Data5, QSerialPort::Data6,
                                                     QSerialPort::Data7, QSerialPort::Data8};
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                                   QSerialPort::OddParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    settings.dataBits = dataBits[qBound(0, dataBitsBox->currentIndex(), 3)];
    settings.stopBits = stopBitsBox->currentIndex() == 1 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    settings.parity = parities[qBound(0, parityBox->currentIndex(), 4)];

    const int baudIndex = baudBox->currentIndex();
    if (customRate >= 0 && baudIndex == baudBox->count() - 1)
        settings.baudRate = customRate;
    else
        settings.baudRate = standardRates.value(baudIndex, settings.baudRate);

    settings.name = portBox->currentData().toStringList().value(4);
    settings.localEcho = localEchoBox->isChecked();
    qDebug() << "baud " << settings.baudRate;
    qDebug() << "name " << settings.name;
    return true;
}
