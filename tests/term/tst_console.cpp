#include "console.h"
#include "lineends.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

class tst_Console : public QObject
{
    Q_OBJECT

private:
    QStringList keys{"*idn?", "conf:sca:num?", "", "F4", "F5", "F6", "F7", "F8", "F9", "F10"};

    static QString blocks(const Console &c)
    {
        QStringList out;
        for (QTextBlock b = c.document()->begin(); b.isValid(); b = b.next())
            out << b.text();
        return out.join('|');
    }

    // '\b' is Backspace, '\r' Return, '\x01' F1; every other character is typed as it is.
    static void press(Console &c, const QString &keys)
    {
        const QMap<QChar, Qt::Key> special{{'\b', Qt::Key_Backspace}, {'\r', Qt::Key_Return}, {'\x01', Qt::Key_F1}};
        for (QChar k : keys)
            special.contains(k) ? QTest::keyClick(&c, special[k]) : QTest::keyClicks(&c, QString(k));
    }

private slots:
    // Chunk i arrives at 12:00:0i; every line feed ends a paragraph.
    void receivedLines_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QString>("mode");   // "h": hex, "s": time stamps
        QTest::addColumn<QString>("shown");
        QTest::newRow("lines, CR as dot") << QList<QByteArray>{"ab\r\ncd\n"} << "" << "ab.|cd|";
        QTest::newRow("one line in pieces") << QList<QByteArray>{"ab", "c", "d\n", "e"} << "" << "abcd|e";
        QTest::newRow("spaces and mark-up kept") << QList<QByteArray>{"a  <b>&amp; <i\n"} << "" << "a  <b>&amp; <i|";
        QTest::newRow("non-ASCII as dot") << QList<QByteArray>{"x\xc3y"} << "" << "x.y";
        QTest::newRow("nothing") << QList<QByteArray>{""} << "" << "";
        QTest::newRow("hex, every byte") << QList<QByteArray>{"A\n", "\xc3"} << "h" << " 0x41 0x0a| 0xc3";
        QTest::newRow("stamp of the first byte") << QList<QByteArray>{"a\nb", "c\n", "d"} << "s"
                                                 << "12:00:00.000 a|12:00:00.000 bc|12:00:02.000 d";
        QTest::newRow("hex stamped") << QList<QByteArray>{"\n", "A"} << "hs" << "12:00:00.000  0x0a|12:00:01.000  0x41";
    }

    void receivedLines()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QString, mode);
        QFETCH(QString, shown);
        Console c(nullptr, &keys);
        c.setHexMode(mode.contains('h'));
        c.setTimeStamps(mode.contains('s'));
        for (int i = 0; i < chunks.size(); ++i)
            c.putData(chunks.at(i), QTime(12, 0, i));
        QCOMPARE(blocks(c), shown);
        QVERIFY(chunks.first().isEmpty() || c.document()->toHtml().contains("#ffff00"));
    }

    void historyAndLongLinesAreBounded()
    {
        Console c(nullptr, &keys);
        for (int i = 0; i < Console::historyLines + 50; ++i)
            c.putData(QByteArray("line") + QByteArray::number(i) + '\n');
        QCOMPARE(c.document()->blockCount(), Console::historyLines);
        QVERIFY(!blocks(c).contains("|line49|") && blocks(c).endsWith(QString("|line%1|").arg(Console::historyLines + 49)));
        QCOMPARE(c.verticalScrollBar()->value(), c.verticalScrollBar()->maximum());

        c.clear();
        const QByteArray endless(1000, 'x');
        for (int i = 0; i < 20; ++i)
            c.putData(endless);
        QVERIFY(c.document()->blockCount() >= 4);
        for (QTextBlock b = c.document()->begin(); b.isValid(); b = b.next())
            QVERIFY(b.length() <= Console::maxLineLength + endless.size() + 1);
    }

    // A note closes a partial line; the device's rest of that line begins a new one.
    void notesStandApart()
    {
        Console c(nullptr, &keys);
        c.putData("par");
        c.putNote("lost");
        c.putData("t\n");
        QCOMPARE(blocks(c), QString("par|--- lost ---|t|"));
    }

    void functionKeys()
    {
        Console c(nullptr, &keys);
        QSignalSpy spy(&c, &Console::getData);
        for (Qt::Key k : {Qt::Key_F1, Qt::Key_F3, Qt::Key_F10})
            QTest::keyClick(&c, k);
        QCOMPARE(spy, (QList<QVariantList>{{QByteArray("*idn?\r")}, {QByteArray("\r")}, {QByteArray("F10\r")}}));
        QStringList shortList{"only"};
        Console shortConsole(nullptr, &shortList);
        QSignalSpy shortSpy(&shortConsole, &Console::getData);
        QTest::keyClick(&shortConsole, Qt::Key_F7);
        QCOMPARE(shortSpy.at(0).at(0).toByteArray(), QByteArray("\r"));
    }

    // What typing sends, and what the local echo ("e"; "h": in hex) shows after the text received.
    void typing_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("colour");
        QTest::newRow("no echo") << QByteArray() << "" << "AT\r" << QByteArray("AT\r") << "" << "";
        QTest::newRow("echo") << QByteArray() << "e" << "ok\r" << QByteArray("ok\r") << "ok|" << "#00ff00";
        QTest::newRow("backspace takes back typed") << QByteArray("> ") << "e" << "ab\b" << QByteArray("ab\x08") << "> a" << "#00ff00";
        QTest::newRow("backspace keeps received") << QByteArray("rx") << "e" << "\b\b" << QByteArray("\x08\x08") << "rx" << "#ffff00";
        QTest::newRow("backspace unechoed") << QByteArray() << "" << "\b" << QByteArray("\x08") << "" << "";
        QTest::newRow("hex echo") << QByteArray() << "eh" << "Z\b" << QByteArray("Z\x08") << " 0x5a 0x08" << "#ff0000";
        QTest::newRow("macro echo") << QByteArray("rx") << "e" << "\x01" << QByteArray("<x>\r") << "rx|<x>|" << "#00ff00";
        QTest::newRow("hex macro echo") << QByteArray() << "eh" << "\x01" << QByteArray("<x>\r") << " 0x3c 0x78 0x3e 0x0d|" << "#ff0000";
    }

    void typing()
    {
        QFETCH(QByteArray, received);
        QFETCH(QString, mode);
        QFETCH(QString, keys);
        QStringList macros{"<x>"};
        Console c(nullptr, &macros);
        c.putData(received);
        c.setLocalEchoEnabled(mode.contains('e'));
        c.setHexMode(mode.contains('h'));
        QSignalSpy spy(&c, &Console::getData);
        press(c, keys);
        QByteArray all;
        for (const QList<QVariant> &args : qAsConst(spy))
            all += args.at(0).toByteArray();
        QTEST(all, "sent");
        QTEST(blocks(c), "shown");
        QFETCH(QString, colour);
        QVERIFY(c.document()->toHtml().contains(colour));
    }

    void lineEndsToPort()
    {
        QCOMPARE(LineEnds::toPort("AT\r", false), QByteArray("AT\n"));
        QCOMPARE(LineEnds::toPort("AT\r", true), QByteArray("AT\r\n"));
        QCOMPARE(LineEnds::toPort("a\nb\r\rc\b", false), QByteArray("a\nb\n\nc\b"));
    }
};

QTEST_MAIN(tst_Console)
#include "tst_console.moc"
