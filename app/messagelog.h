#pragma once

#include <QtGlobal>

// The program's log line format. Start the time base once, then install the handler.
void startLogTimeBase();
void kestrovaMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text);
