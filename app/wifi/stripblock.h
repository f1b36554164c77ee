#pragma once

#include <QByteArray>

// The payload of a definite-length block ("#", digit count, length digits, payload,
// usually a line feed) as the serial link delivers a binary answer. Empty when the
// input is not such a block or is cut short.
QByteArray stripBlock(const QByteArray &block);

// The reverse for the serial line: "#", the number of length digits, the length in
// decimal, the payload and a line feed.
QByteArray definiteLengthBlock(const QByteArray &payload);
