#include "console.h"
#include "lineends.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

class tst_Console : public QObject
{
    Q_OBJECT

private:
    QStringList keys{"*idn?", "conf:sca:num?", "", "F4", "F5", "F6", "F7", "F8", "F9", "F10"};

    static QStringList blocks(const Console &c)
    {
        QStringList out;
        for (QTextBlock b = c.document()->begin(); b.isValid(); b = b.next())
            out << b.text();
        return out;
    }
    static QString html(const Console &c) { return c.document()->toHtml(); }

private slots:
    void appearance()
    {
        Console c(nullptr, &keys);
        QCOMPARE(c.document()->maximumBlockCount(), 100);
        QCOMPARE(c.palette().color(QPalette::Base), QColor(Qt::black));
        QCOMPARE(c.palette().color(QPalette::Text), QColor(Qt::white));
        QCOMPARE(c.font().family(), QFont("Courier New").family());
    }

    void textModeLineEnds()
    {
        QCOMPARE(Console::printable("ab\r\ncd\n"), QByteArray("ab.\rcd\r"));
        Console c(nullptr, &keys);
        c.putData("x");
        const int before = c.document()->blockCount();
        c.putData("ab\r\ncd\n");
        const QStringList b = blocks(c);
        // One yellow paragraph with the data, then the paragraph for the final line feed.
        QVERIFY2(c.document()->blockCount() > before + 1, qPrintable(b.join('|')));
        QVERIFY2(b.at(before).startsWith("ab."), qPrintable(b.join('|')));
        QVERIFY(b.at(before).contains("cd"));
        QVERIFY(b.at(before + 1).isEmpty());
        c.putData("ef");
        QCOMPARE(blocks(c).last(), QString("ef"));
        const int withoutLineFeed = c.document()->blockCount();
        c.putData("gh\r");
        QCOMPARE(c.document()->blockCount(), withoutLineFeed + 1);
        QVERIFY(html(c).contains("#ffff00"));
    }

    void nonAsciiByte()
    {
        QCOMPARE(Console::printable(QByteArray("\xc3\x00\t~\x7f", 5)), QByteArray("...~\x7f"));
        Console c(nullptr, &keys);
        c.putData("x\xc3y");
        QVERIFY(blocks(c).contains("x.y"));

        QTest::keyClick(&c, Qt::Key_F11);
        QVERIFY(c.isHexMode());
        c.putData("\xc3");
        QCOMPARE(Console::hexText("\xc3"), QString(" 0xc3"));
        QCOMPARE(blocks(c).last().trimmed(), QString("0xc3"));
        c.putData("A\n");
        QCOMPARE(blocks(c).last().trimmed(), QString("0x41 0x0a"));
        QTest::keyClick(&c, Qt::Key_F12);
        QVERIFY(!c.isHexMode());
        c.putData("\xc3");
        QCOMPARE(blocks(c).last(), QString("."));
    }

    void emptyDataAddsNothing()
    {
        Console c(nullptr, &keys);
        const int before = c.document()->blockCount();
        c.putData(QByteArray());
        QTest::keyClick(&c, Qt::Key_F11);
        c.putData(QByteArray());
        QCOMPARE(c.document()->blockCount(), before);
    }

    void markupIsShownLiterally()
    {
        Console c(nullptr, &keys);
        c.putData("<b>bold</b> & <i");
        QVERIFY2(blocks(c).contains("<b>bold</b> & <i"), qPrintable(blocks(c).join('|')));
    }

    void keepsAtMostHundredParagraphs()
    {
        Console c(nullptr, &keys);
        for (int i = 0; i < 150; ++i)
            c.putData(QByteArray("line") + QByteArray::number(i));
        QCOMPARE(c.document()->blockCount(), 100);
        QVERIFY(!blocks(c).contains("line0"));
        QVERIFY(!blocks(c).contains("line49"));
        QCOMPARE(blocks(c).last(), QString("line149"));
        QVERIFY(c.verticalScrollBar()->value() == c.verticalScrollBar()->maximum());
    }

    void functionKeys()
    {
        Console c(nullptr, &keys);
        QSignalSpy spy(&c, &Console::getData);
        QTest::keyClick(&c, Qt::Key_F1);
        QTest::keyClick(&c, Qt::Key_F3);
        QTest::keyClick(&c, Qt::Key_F10);
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray("*idn?\r"));
        QCOMPARE(spy.at(1).at(0).toByteArray(), QByteArray("\r"));
        QCOMPARE(spy.at(2).at(0).toByteArray(), QByteArray("F10\r"));

        QStringList shortList{"only"};
        Console shortConsole(nullptr, &shortList);
        QSignalSpy shortSpy(&shortConsole, &Console::getData);
        QTest::keyClick(&shortConsole, Qt::Key_F7);
        QCOMPARE(shortSpy.at(0).at(0).toByteArray(), QByteArray("\r"));
    }

    void functionKeyEcho()
    {
        QStringList markup{"<x>"};
        Console c(nullptr, &markup);
        c.setLocalEchoEnabled(true);
        QTest::keyClick(&c, Qt::Key_F1);
        QVERIFY(html(c).contains("#00ff00"));
        QVERIFY(blocks(c).join('|').contains("<x>"));
        QTest::keyClick(&c, Qt::Key_F11);
        QTest::keyClick(&c, Qt::Key_F1);
        QVERIFY(html(c).contains("#ff0000"));
        QCOMPARE(blocks(c).last().trimmed(), QString("0x3c 0x78 0x3e 0x0d"));
    }

    void hexModeKeysSendNothing()
    {
        Console c(nullptr, &keys);
        QSignalSpy spy(&c, &Console::getData);
        QTest::keyClick(&c, Qt::Key_F11);
        QTest::keyClick(&c, Qt::Key_F12);
        QCOMPARE(spy.count(), 0);
    }

    void ignoredKeys()
    {
        Console c(nullptr, &keys);
        c.setLocalEchoEnabled(true);
        c.putData("abc");
        const QString before = c.toPlainText();
        QSignalSpy spy(&c, &Console::getData);
        for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down})
            QTest::keyClick(&c, k);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(c.toPlainText(), before);
    }

    void typedKeys()
    {
        Console c(nullptr, &keys);
        QSignalSpy spy(&c, &Console::getData);
        QTest::keyClicks(&c, "AT");
        QTest::keyClick(&c, Qt::Key_Return);
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray("A"));
        QCOMPARE(spy.at(2).at(0).toByteArray(), QByteArray("\r"));
        QVERIFY(c.toPlainText().isEmpty());  // no echo without local echo

        c.setLocalEchoEnabled(true);
        QTest::keyClicks(&c, "ok");
        QVERIFY(c.toPlainText().contains("ok"));
        QTest::keyClick(&c, Qt::Key_F11);
        QTest::keyClicks(&c, "Z");
        QVERIFY(c.toPlainText().contains(" 0x5a"));
        QCOMPARE(spy.last().at(0).toByteArray(), QByteArray("Z"));
    }

    void lineEndsToPort()
    {
        QCOMPARE(LineEnds::toPort("AT\r", false), QByteArray("AT\n"));
        QCOMPARE(LineEnds::toPort("AT\r", true), QByteArray("AT\r\n"));
        QCOMPARE(LineEnds::toPort("a\nb\r\rc", false), QByteArray("a\nb\n\nc"));
        QCOMPARE(LineEnds::toPort("", true), QByteArray());
    }
};

QTEST_MAIN(tst_Console)
#include "tst_console.moc"
