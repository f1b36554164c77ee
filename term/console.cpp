#include "console.h"

#include <QDebug>
#include <QKeyEvent>
#include <QScrollBar>

Console::Console(QWidget *parent, const QStringList *keyList)
    : QPlainTextEdit(parent), keyList(keyList)
{
    document()->setMaximumBlockCount(100);
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

// Received and echoed text is escaped: a '<' from the device is data, not mark-up.
void Console::appendSpan(const char *colour, const QString &text)
{
    appendHtml(QStringLiteral("<span style=\"color: %1\">").arg(QLatin1String(colour))
               + text.toHtmlEscaped() + QStringLiteral("</span>"));
}

void Console::putData(const QByteArray &data)
{
    if (!hexMode) {
        const QByteArray copy = printable(data);
        if (!copy.isEmpty()) {
            qDebug() << copy;
            appendSpan("#ffff00", QString::fromLatin1(copy));
            if (copy.endsWith('\r'))
                appendPlainText(QStringLiteral("\n"));
        }
    } else if (!data.isEmpty()) {
        appendSpan("#ffff00", hexText(data));
    }
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

void Console::sendMacro(int index)
{
    QByteArray data = keyList ? keyList->value(index).toUtf8() : QByteArray();
    data.append('\r');
    if (localEchoEnabled) {
        if (!hexMode) {
            appendSpan("#00ff00", QString::fromUtf8(data));
            appendPlainText(QStringLiteral("\n"));
        } else {
            appendSpan("#ff0000", hexText(data));
        }
    }
    emit getData(data);
}

void Console::sendTypedKey(QKeyEvent *e)
{
    if (localEchoEnabled && !hexMode)
        QPlainTextEdit::keyPressEvent(e);
    const QByteArray bytes = e->text().toLocal8Bit();
    if (localEchoEnabled && hexMode && bytes.size() == 1)
        insertPlainText(hexText(bytes));
    emit getData(bytes);
}

void Console::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return;
    case Qt::Key_F11:
        hexMode = true;
        return;
    case Qt::Key_F12:
        hexMode = false;
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
