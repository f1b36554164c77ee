#include "ptypair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        close();
        return;
    }
    path = QString::fromLocal8Bit(ptsname(master));
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair()
{
    close();
}

void PtyPair::close()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}

void PtyPair::write(const QByteArray &data)
{
    if (master >= 0 && ::write(master, data.constData(), size_t(data.size())) != data.size())
        qWarning("pty write short");
}

QByteArray PtyPair::readUntil(int expected, int timeoutMs)
{
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (master >= 0 && out.size() < expected && !deadline.hasExpired()) {
        char buf[512];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n > 0)
            out.append(buf, int(n));
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return out;
}
