#include "lineends.h"

QByteArray LineEnds::toPort(const QByteArray &typed, bool crlf)
{
    QByteArray out;
    out.reserve(typed.size() * 2);
    for (char c : typed) {
        if (c == '\r') {
            if (crlf)
                out.append('\r');
            out.append('\n');
        } else {
            out.append(c);
        }
    }
    return out;
}
