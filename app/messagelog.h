#pragma once

#include <QtGlobal>

// The program's log line format. Start the time base once, then install the handler.
// The handler may be called from any thread.
void startLogTimeBase();
void kestrovaMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text);

// Closes the log file (logFile) while no message is being written, so a thread that
// logs at the same moment writes its line to standard error instead of a closed file.
void closeLogFile();
