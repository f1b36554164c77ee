#pragma once

#include <QObject>

#include <functional>
#include <mutex>
#include <vector>

// Calls posted from any thread and run, in the order posted, on the thread the mailbox
// lives in. A call and what it captured wait under a lock that the thread checker can
// see; the queued event that wakes the owning thread carries nothing. Calls still
// waiting when the mailbox goes are dropped.
class CallMailbox : public QObject
{
    Q_OBJECT

public:
    explicit CallMailbox(QObject *parent = nullptr);

    // Any thread.
    void post(std::function<void()> call);

private slots:
    void runWaiting();

private:
    std::mutex m_lock;
    std::vector<std::function<void()>> m_waiting;
};
