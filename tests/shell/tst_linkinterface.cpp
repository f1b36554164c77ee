// The window's string-based connections reach a link through a myAdw pointer.
#include "link/myadw.h"

#include <QtTest>

namespace {
// The smallest transport: it answers every command at once.
class EchoLink : public myAdw
{
    Q_OBJECT
public:
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
};

class Receiver : public QObject
{
    Q_OBJECT
public:
    QList<QByteArray> seen;
public slots:
    void onCommunicationResponse(bool success, QByteArray command, QByteArray response)
    {
        seen << (QByteArray(success ? "ok " : "fail ") + command + " " + response);
    }
    void onOpenResultss(bool success) { seen << (success ? "opened" : "not opened"); }
};
}

class tst_linkinterface : public QObject
{
    Q_OBJECT

private slots:
    void signatureStringsConnectThroughBasePointer()
    {
        EchoLink echo;
        myAdw *link = &echo;
        Receiver r;
        QVERIFY(connect(link, "2onResponseReady( bool, QByteArray, QByteArray)", &r, "1onCommunicationResponse(bool, QByteArray,QByteArray)"));
        QVERIFY(connect(link, "2onOpenResults(bool)", &r, "1onOpenResultss(bool)"));
        QVERIFY(link->open(DeviceInfo()) && link->sendCommand("*idn?", true, false, false, 0));
        QCOMPARE(r.seen, (QList<QByteArray>{"opened", "ok *idn? echo:*idn?"}));
    }
};

QTEST_GUILESS_MAIN(tst_linkinterface)
#include "tst_linkinterface.moc"
