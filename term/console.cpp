#include "console.h"

#include <QDebug>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

Console::Console(QWidget *parent, const QStringList *keyList)
    : QPlainTextEdit(parent), keyList(keyList)
{
    document()->setMaximumBlockCount(historyLines);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::black);
    p.setColor(QPalette::Text, Qt::white);
    setPalette(p);
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::Monospace);
    setFont(f);
}

void Console::setLocalEchoEnabled(bool set)
{
    localEchoEnabled = set;
}

QByteArray Console::printable(const QByteArray &data)
{
    QByteArray copy = data;
    for (char &c : copy) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0x0A)
            c = 0x0D;
        else if (b < 0x20 || b > 0x7F)
            c = '.';
    }
    return copy;
}

QString Console::hexText(const QByteArray &data)
{
    QString text;
    text.reserve(data.size() * 5);
    for (char c : data)
        text += QStringLiteral(" 0x%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
    return text;
}

static const QColor receivedColour(0xff, 0xff, 0x00);
static const QColor echoColour(0x00, 0xff, 0x00);
static const QColor hexEchoColour(0xff, 0x00, 0x00);
// Readable on the black screen of a connection and on the white one without.
static const QColor ownColour(0x80, 0x80, 0x80);

QString Console::stampText(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss.zzz "));
}

void Console::setHexMode(bool on)
{
    if (hexMode == on)
        return;
    hexMode = on;
    emit hexModeChanged(on);
}

void Console::setTimeStamps(bool on)
{
    timeStamps = on;
}

QTextCursor Console::endCursor() const
{
    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    return c;
}

// Plain text with a colour: spaces stay as sent and a '<' is data, not mark-up.
void Console::insert(const QString &text, const QColor &colour)
{
    QTextCharFormat format;
    format.setForeground(colour);
    endCursor().insertText(text, format);
}

// An empty last paragraph is used as it is.
void Console::startParagraph()
{
    QTextCursor c = endCursor();
    if (c.block().length() > 1)
        c.insertBlock();
}

void Console::endParagraph()
{
    endCursor().insertBlock();
}

void Console::putData(const QByteArray &data, const QTime &arrival)
{
    putChunks({Chunk{arrival, data}});
}

void Console::putChunks(const QVector<Chunk> &chunks)
{
    // One edit block: the view lays out once for all the lines, not once per line.
    QTextCursor batch = endCursor();
    batch.beginEditBlock();
    QByteArray shown;
    for (const Chunk &chunk : chunks) {
        const QString stamp = timeStamps ? stampText(chunk.arrival) : QString();
        const QByteArray &data = chunk.bytes;
        int from = 0;
        while (from < data.size()) {
            const int lineFeed = data.indexOf('\n', from);
            const int end = lineFeed < 0 ? data.size() : lineFeed + 1;
            putSegment(data.mid(from, end - from), stamp);
            from = end;
        }
        shown += data;
    }
    batch.endEditBlock();
    if (!hexMode && !shown.isEmpty())
        qDebug() << printable(shown);
    scrollToEnd();
}

// One line or the piece of one; a line feed can only be its last byte.
void Console::putSegment(const QByteArray &segment, const QString &stamp)
{
    const bool endsLine = segment.endsWith('\n');
    if (atLineStart) {
        startParagraph();
        if (!stamp.isEmpty())
            insert(stamp, ownColour);
    } else if (endCursor().block().length() > maxLineLength) {
        endParagraph();
    }
    // The paragraph end shows the line feed in text mode; hexadecimal shows every byte.
    const QString text = hexMode ? hexText(segment)
                                 : QString::fromLatin1(printable(endsLine ? segment.chopped(1) : segment));
    insert(text, receivedColour);
    if (endsLine)
        endParagraph();
    atLineStart = endsLine;
}

void Console::putNote(const QString &text)
{
    startParagraph();
    insert(QStringLiteral("--- %1 ---").arg(text), ownColour);
    endParagraph();
    atLineStart = true;
    scrollToEnd();
}

void Console::scrollToEnd()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

void Console::sendMacro(int index)
{
    QByteArray data = keyList ? keyList->value(index).toUtf8() : QByteArray();
    data.append('\r');
    if (localEchoEnabled) {
        startParagraph();
        if (!hexMode)
            insert(QString::fromUtf8(data.left(data.size() - 1)), echoColour);
        else
            insert(hexText(data), hexEchoColour);
        endParagraph();
        scrollToEnd();
    }
    emit getData(data);
}

void Console::echoTyped(const QString &text)
{
    if (text == QLatin1String("\r"))
        endParagraph();
    else if (!text.isEmpty() && text.at(0).isPrint())
        insert(text, echoColour);
    scrollToEnd();
}

void Console::sendTypedKey(QKeyEvent *e)
{
    const QByteArray bytes = e->text().toLocal8Bit();
    if (localEchoEnabled && !hexMode)
        echoTyped(e->text());
    if (localEchoEnabled && hexMode && bytes.size() == 1)
        insert(hexText(bytes), hexEchoColour);
    emit getData(bytes);
}

// Sent as ASCII BS, the byte the key is named after. The echo takes back only a
// character typed on this line, never one the device sent.
void Console::sendBackspace()
{
    const QByteArray bs(1, '\x08');
    if (localEchoEnabled && hexMode) {
        insert(hexText(bs), hexEchoColour);
    } else if (localEchoEnabled) {
        QTextCursor c = endCursor();
        if (c.positionInBlock() > 0 && c.charFormat().foreground().color() == echoColour)
            c.deletePreviousChar();
    }
    emit getData(bs);
}

void Console::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return;
    case Qt::Key_Backspace:
        sendBackspace();
        return;
    case Qt::Key_F11:
        setHexMode(true);
        return;
    case Qt::Key_F12:
        setHexMode(false);
        return;
    default:
        break;
    }
    if (e->key() >= Qt::Key_F1 && e->key() <= Qt::Key_F10) {
        sendMacro(e->key() - Qt::Key_F1);
        return;
    }
    sendTypedKey(e);
}

void Console::mousePressEvent(QMouseEvent *e)
{
    Q_UNUSED(e)
    setFocus();
}

void Console::mouseDoubleClickEvent(QMouseEvent *e)
{
    Q_UNUSED(e)
}

void Console::contextMenuEvent(QContextMenuEvent *e)
{
    Q_UNUSED(e)
}
