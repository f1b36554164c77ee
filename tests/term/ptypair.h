#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal made by the test itself: the window opens the slave path like a
// serial port, the test plays the device on the master side.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return master >= 0; }
    QString slavePath() const { return path; }
    void write(const QByteArray &data);
    // Collects what arrives on the master until it holds `expected` bytes or time runs out;
    // keeps the event loop running meanwhile.
    QByteArray readUntil(int expected, int timeoutMs);
    // The device vanishes: the slave side starts failing.
    void close();

private:
    int master = -1;
    QString path;
};
