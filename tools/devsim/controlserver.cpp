#include "controlserver.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <cstdio>

ControlServer::ControlServer(const Handler &handler, QObject *parent)
    : QObject(parent), m_handler(handler), m_server(new QLocalServer(this))
{
    connect(m_server, &QLocalServer::newConnection, this, &ControlServer::onNewConnection);
}

bool ControlServer::listen(const QString &path)
{
    QLocalServer::removeServer(path);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        std::fprintf(stderr, "devsim: cannot listen on %s: %s\n", qPrintable(path),
                     qPrintable(m_server->errorString()));
        return false;
    }
    return true;
}

void ControlServer::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void ControlServer::onReadyRead(QLocalSocket *socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine().trimmed();
        if (!line.isEmpty())
            socket->write(m_handler(line) + '\n');
    }
}
