#include "promptqueue.h"

PromptQueue::PromptQueue(QObject *parent) : QObject(parent)
{
}

void PromptQueue::add(std::function<void()> prompt)
{
    waiting.push_back(std::move(prompt));
    if (scheduled)
        return;
    scheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            scheduled = false;
            flush();
        },
        Qt::QueuedConnection);
}

void PromptQueue::flush()
{
    if (showing)
        return;
    showing = true;
    while (!waiting.empty()) {
        const std::function<void()> prompt = std::move(waiting.front());
        waiting.pop_front();
        prompt();
    }
    showing = false;
}

void PromptQueue::clear()
{
    waiting.clear();
}
