#pragma once

#include <QSerialPort>
#include <QString>

// The line the terminal opens: which port and in which format.
struct PortSettings
{
    QString name;  // system location, as given to QSerialPort::setPortName
    qint32 baudRate = 9600;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    bool localEcho = false;
};
