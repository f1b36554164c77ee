#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QTime>
#include <QVector>

class QColor;
class QTextCursor;

// The terminal's screen: shows received bytes (as text or as hexadecimal) and turns
// key presses and the F1 ... F10 macros into bytes to send. It knows nothing of the port.
//
// Received data is shown line by line: every line feed from the device ends a paragraph,
// a line that arrives in pieces grows in place, and with time stamps on every line begins
// with the time its first byte arrived.
class Console : public QPlainTextEdit
{
    Q_OBJECT

public:
    // Paragraphs kept; older ones are dropped.
    static constexpr int historyLines = 1000;
    // A device that never sends a line feed still gets bounded paragraphs.
    static constexpr int maxLineLength = 4096;

    // Bytes as read from the port, and when: the stamp of the lines they begin.
    struct Chunk
    {
        QTime arrival;
        QByteArray bytes;
    };

    // keyList belongs to the caller and must outlive the console.
    Console(QWidget *parent, const QStringList *keyList);

    void putData(const QByteArray &data, const QTime &arrival = QTime::currentTime());
    void putChunks(const QVector<Chunk> &chunks);
    // A line of the terminal's own (connection changes), set apart from the device's data.
    void putNote(const QString &text);
    void setLocalEchoEnabled(bool set);
    bool isHexMode() const { return hexMode; }
    bool hasTimeStamps() const { return timeStamps; }

    // Received bytes as the text view shows them: line feeds become carriage returns,
    // other control and non-ASCII bytes become dots.
    static QByteArray printable(const QByteArray &data);
    // " 0x41 0x0a" for the bytes 0x41 0x0A.
    static QString hexText(const QByteArray &data);
    // "14:03:07.250 "
    static QString stampText(const QTime &time);

public slots:
    void setHexMode(bool on);
    void setTimeStamps(bool on);

signals:
    void getData(const QByteArray &data);
    void hexModeChanged(bool on);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    QTextCursor endCursor() const;
    void insert(const QString &text, const QColor &colour);
    void startParagraph();
    void endParagraph();
    // stamp: empty, or the time stamp a line beginning here gets
    void putSegment(const QByteArray &segment, const QString &stamp);
    void scrollToEnd();
    void sendMacro(int index);
    void sendTypedKey(QKeyEvent *e);
    void sendBackspace();
    void echoTyped(const QString &text);

    bool localEchoEnabled = false;
    const QStringList *keyList;
    bool hexMode = false;
    bool timeStamps = false;
    bool atLineStart = true;  // the next received byte begins a line
};
