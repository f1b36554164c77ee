#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>

class QLocalServer;
class QLocalSocket;

// Control commands over a local socket, for a devsim running in the background:
// every line a client sends is handled and answered with one line ("ok", "error ...",
// or the command's output).
class ControlServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<QByteArray(const QByteArray &line)>;

    ControlServer(const Handler &handler, QObject *parent);
    bool listen(const QString &path);

private slots:
    void onNewConnection();

private:
    void onReadyRead(QLocalSocket *socket);

    Handler m_handler;
    QLocalServer *m_server;
};
