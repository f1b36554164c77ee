#pragma once

#include <QByteArray>
#include <QString>

// The readable part of a device's answer, for a message: its text lines, trimmed, at
// most a few of them. Stream bytes never reach a message: everything from a block
// header ("#" and a digit) on is left out, and so is a line with bytes that are not
// printable text. Empty when nothing readable is left.
QString readableAnswer(const QByteArray &answer);
