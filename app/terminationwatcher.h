#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into an orderly end of the event loop, so that start-up's
// clean-up (closing the log file) runs when the program is terminated from outside.
class TerminationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

signals:
    void terminationRequested();

private slots:
    void onSignalPipe();

private:
    QSocketNotifier *notifier = nullptr;
};
