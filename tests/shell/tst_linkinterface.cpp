// The window's string-based connections reach a link through a myAdw pointer.
#include "link/myadw.h"

#include <QtTest>

// The smallest transport, which answers every command at once, and a receiver with the
// window's slot signatures.
class EchoLink : public myAdw
{
    Q_OBJECT
public:
    QList<QByteArray> seen;
    bool open(const DeviceInfo &) override
    {
        emit onOpenResults(true);
        return true;
    }
    bool sendCommand(const QString &command, bool, bool, bool, qint32) override
    {
        emit onResponseReady(true, command.toLatin1(), "echo:" + command.toLatin1());
        return true;
    }
public slots:
    void onCommunicationResponse(bool ok, QByteArray command, QByteArray answer) { seen << (ok ? "ok " : "fail ") + command + " " + answer; }
    void onOpenResultss(bool ok) { seen << (ok ? "opened" : "not opened"); }
};

class tst_linkinterface : public QObject
{
    Q_OBJECT

private slots:
    void signatureStringsConnectThroughBasePointer()
    {
        EchoLink echo;
        myAdw *link = &echo;
        QVERIFY(connect(link, "2onResponseReady( bool, QByteArray, QByteArray)", &echo, "1onCommunicationResponse(bool, QByteArray,QByteArray)"));
        QVERIFY(connect(link, "2onOpenResults(bool)", &echo, "1onOpenResultss(bool)"));
        QVERIFY(link->open(DeviceInfo()) && link->sendCommand("*idn?", true, false, false, 0));
        QCOMPARE(echo.seen, (QList<QByteArray>{"opened", "ok *idn? echo:*idn?"}));
    }
};

QTEST_GUILESS_MAIN(tst_linkinterface)
#include "tst_linkinterface.moc"
