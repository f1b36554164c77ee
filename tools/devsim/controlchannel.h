#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// Reads control commands, one per line, from a file descriptor (standard input).
// End of input only stops reading: devsim keeps running in the background.
class ControlChannel : public QObject
{
    Q_OBJECT
public:
    ControlChannel(int fd, QObject *parent);

signals:
    void commandReceived(const QByteArray &line);

private slots:
    void onReadable();

private:
    int m_fd;
    QSocketNotifier *m_notifier;
    QByteArray m_pending;
};
