#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <queue>
#include <stdlib.h>
#include <unistd.h>

// A pseudo-terminal made by the test: the window opens the slave path like a serial port,
// the test plays the device on the master side. close() makes the device vanish.
class PtyPair
{
public:
    PtyPair()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && (grantpt(master) != 0 || unlockpt(master) != 0))
            close();
        if (master >= 0) {
            path = QString::fromLocal8Bit(ptsname(master));
            fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair() { close(); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    QString slavePath() const { return path; }
    void close()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void write(const QByteArray &data)
    {
        if (master >= 0 && ::write(master, data.constData(), size_t(data.size())) != data.size())
            qWarning("pty write short");
    }
    // What arrives until it holds `expected` bytes or time runs out; the event loop runs.
    QByteArray readUntil(int expected, int timeoutMs = 5000)
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

private:
    int master = -1;
    QString path;
};

// Answers the modal dialogs and boxes a window opens in its own event loop, in the order
// they are expected; texts holds the class name and text of each one answered.
class ModalHandler
{
public:
    using Handler = std::function<void(QWidget *)>;
    ModalHandler()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start(50);
    }
    void expect(Handler handler) { pending.push(std::move(handler)); }
    int handled() const { return texts.size(); }
    bool idle() const { return pending.empty(); }
    QStringList texts;

    static void accept(QWidget *w)
    {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            box->done(QMessageBox::Ok);
        else if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->accept();
    }
    static void reject(QWidget *w) { qobject_cast<QDialog *>(w)->reject(); }

private:
    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || pending.empty() || busy)   // busy: a handler's own event loop
            return;
        QString text = QString::fromLatin1(w->metaObject()->className());
        if (auto *box = qobject_cast<QMessageBox *>(w))
            text += QLatin1Char(':') + box->text();
        texts << text;
        Handler h = std::move(pending.front());
        pending.pop();
        busy = true;
        h(w);
        busy = false;
    }
    bool busy = false;
    QTimer timer;
    std::queue<Handler> pending;
};

// The window's log, kept for the checks and still shown when a test fails.
inline QStringList &capturedLog()
{
    static QStringList lines;
    return lines;
}
inline void captureLog(QtMsgType, const QMessageLogContext &, const QString &text)
{
    capturedLog() << text;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}
inline int loggedCount(const QString &needle)
{
    return int(std::count_if(capturedLog().cbegin(), capturedLog().cend(),
                             [&](const QString &line) { return line.contains(needle); }));
}
