#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// The terminal's screen: shows received bytes (as text or as hexadecimal) and turns
// key presses and the F1 ... F10 macros into bytes to send. It knows nothing of the port.
class Console : public QPlainTextEdit
{
    Q_OBJECT

public:
    // keyList belongs to the caller and must outlive the console.
    Console(QWidget *parent, const QStringList *keyList);

    void putData(const QByteArray &data);
    void setLocalEchoEnabled(bool set);
    bool isHexMode() const { return hexMode; }

    // Received bytes as the text view shows them: line feeds become carriage returns,
    // other control and non-ASCII bytes become dots.
    static QByteArray printable(const QByteArray &data);
    // " 0x41 0x0a" for the bytes 0x41 0x0A.
    static QString hexText(const QByteArray &data);

signals:
    void getData(const QByteArray &data);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void appendSpan(const char *colour, const QString &text);
    void sendMacro(int index);
    void sendTypedKey(QKeyEvent *e);

    bool localEchoEnabled = false;
    const QStringList *keyList;
    bool hexMode = false;
};
