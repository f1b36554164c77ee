#include "deviceanswer.h"

#include <QList>
#include <QStringList>

namespace {
constexpr int MaxLines = 4;
constexpr int MaxLineLength = 120;

bool printable(const QByteArray &line)
{
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            return false;
    }
    // Bytes that are no valid UTF-8 do not come back unchanged.
    return QString::fromUtf8(line).toUtf8() == line;
}

int blockStart(const QByteArray &answer)
{
    for (int i = 0; i + 1 < answer.size(); ++i) {
        if (answer.at(i) == '#' && answer.at(i + 1) >= '0' && answer.at(i + 1) <= '9')
            return i;
    }
    return -1;
}
} // namespace

QString readableAnswer(const QByteArray &answer)
{
    const int block = blockStart(answer);
    const QByteArray text = block >= 0 ? answer.left(block) : answer;
    QStringList lines;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || !printable(line))
            continue;
        if (lines.size() == MaxLines) {
            lines << QStringLiteral("…");
            break;
        }
        QString readable = QString::fromUtf8(line);
        if (readable.size() > MaxLineLength)
            readable = readable.left(MaxLineLength) + QStringLiteral("…");
        lines << readable;
    }
    return lines.join('\n');
}
