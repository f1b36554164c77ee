#pragma once

#include <QObject>

#include <deque>
#include <functional>

// Shows a window's message boxes and questions one at a time, each in its own modal
// loop. What arrives while the acquisition steps is shown once control is back in the
// event loop (add); a user action shows what it led to before it returns (flush).
class PromptQueue : public QObject
{
    Q_OBJECT

public:
    explicit PromptQueue(QObject *parent = nullptr);

    // Shows `prompt` after the waiting ones, from the event loop.
    void add(std::function<void()> prompt);
    // Shows every waiting prompt now, unless one is showing already (then that loop
    // takes them).
    void flush();
    // Forgets the waiting prompts (the window is closing).
    void clear();

private:
    std::deque<std::function<void()>> waiting;
    bool showing = false;
    bool scheduled = false;
};
