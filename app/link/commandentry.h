#pragma once

#include <QByteArray>
#include <QtGlobal>

// One queued command of either link. The last field means the first answer wait on the
// serial link and the number of answer checks left on the UDP link; both views share it.
struct CommandEntry
{
    QByteArray data;
    bool expectAnswer = false;
    bool startStreaming = false;
    bool isBinary = false;
    union {
        quint32 answerWaitMs = 0;   // serial link: first wait for the answer, 0 means 50
        quint32 retries;            // UDP link: answer checks left before giving up
    };
};
