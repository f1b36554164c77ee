#include "callmailbox.h"

CallMailbox::CallMailbox(QObject *parent)
    : QObject(parent)
{
}

void CallMailbox::post(std::function<void()> call)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_waiting.push_back(std::move(call));
    }
    QMetaObject::invokeMethod(this, "runWaiting", Qt::QueuedConnection);
}

void CallMailbox::runWaiting()
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        calls.swap(m_waiting);
    }
    for (const std::function<void()> &call : calls)
        call();
}
