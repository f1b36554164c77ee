#pragma once

#include <QByteArray>

// Typed Enter arrives as a carriage return; the device expects line feed ended lines.
class LineEnds
{
public:
    // Every CR becomes LF, or CR LF when crlf is set; other bytes pass unchanged.
    static QByteArray toPort(const QByteArray &typed, bool crlf);
};
