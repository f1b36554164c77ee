#include "myadw.h"

myAdw::myAdw(QObject *parent) : QObject(parent) {}

myAdw::~myAdw() = default;

void myAdw::scanDevices(QList<DeviceInfo> &) {}

bool myAdw::open(const DeviceInfo &) { return true; }

void myAdw::close() {}

bool myAdw::sendBinary(const QByteArray &) { return true; }

bool myAdw::sendCommand(const QString &, bool, bool, bool, qint32) { return true; }

bool myAdw::sendWhileStreaming(const QByteArray &) { return true; }

quint32 myAdw::readBlocks(QByteArray &, quint32) { return 0; }

bool myAdw::dataTimedOut() { return true; }

bool myAdw::isStreaming() { return true; }

bool myAdw::decoderFailed() { return false; }

bool myAdw::decoderBusy() { return true; }

bool myAdw::isOpen() { return true; }

bool myAdw::openFailed() { return false; }

qint32 myAdw::pendingCommands() { return 0; }

bool myAdw::isDeviceDisconnected() { return false; }

qint32 myAdw::errorCount() { return 0; }

void myAdw::resetErrorCount() {}

QByteArray myAdw::lastResponse() { return QByteArray(); }

QByteArray myAdw::lastError() { return QByteArray(); }

QString myAdw::report() { return QString(); }

QVector<StreamLoss> myAdw::takeStreamLosses() { return QVector<StreamLoss>(); }
