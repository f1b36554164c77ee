#include "console.h"
#include "mainwindow.h"
#include "modalhandler.h"
#include "ptypair.h"
#include "serialportlist.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include "logcapture.h"

#include <memory>


static bool sameIcon(const QIcon &a, const char *resource)
{
    return a.pixmap(16, 16).toImage() == QIcon(QLatin1String(resource)).pixmap(16, 16).toImage();
}

// Tests of the terminal window against pseudo-terminals this test makes itself.
class tst_TermWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString portsFile;

    void declare(const QString &path, const QString &sn, const QString &path2 = QString(),
                 const QString &sn2 = QString())
    {
        QFile f(portsFile);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        SerialPortEntry e;
        e.vendorId = 0x1a86;
        e.productId = 0x7523;
        e.systemLocation = path;
        e.serialNumber = sn;
        f.write(SerialPortList::formatDeclaration(e) + '\n');
        if (!path2.isEmpty()) {
            e.systemLocation = path2;
            e.serialNumber = sn2;
            f.write(SerialPortList::formatDeclaration(e) + '\n');
        }
    }

    static TermOptions bySerial(const QString &sn)
    {
        TermOptions o;
        o.filterSn = sn;
        return o;
    }

    static QAction *action(MainWindow &w, const char *name)
    {
        return w.findChild<QAction *>(QLatin1String(name));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        portsFile = dir.path() + "/ports";
        qputenv(SerialPortList::environmentVariable(), QFile::encodeName(portsFile));
        qInstallMessageHandler(captureLog);
        QSettings("lumetrix", "corvun").clear();
    }

    void init() { capturedLog().clear(); }

    void freshStoreAndLineEnds()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        declare(pty.slavePath(), "win0001");
        {
            MainWindow w(nullptr, qApp, bySerial("win0001"));
            w.show();
            QCOMPARE(w.size(), QSize(600, 400));
            QCOMPARE(w.portSettings().baudRate, 115200);  // not the stored 9600
            QVERIFY(!w.portSettings().localEcho);
            QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
            QVERIFY(w.consoleView()->isEnabled());
            QCOMPARE(w.windowTitle(), QString("corvun %1 115200").arg(pty.slavePath()));
            QCOMPARE(w.statusBar()->currentMessage(), QString("Connected: localecho off"));
            // A pseudo-terminal has no modem lines: the lamps say so.
            QVERIFY(sameIcon(action(w, "actionDtr")->icon(), ":/images/question.png"));

            QTest::keyClicks(w.consoleView(), "AT");
            QTest::keyClick(w.consoleView(), Qt::Key_Return);
            QCOMPARE(pty.readUntil(3, 5000), QByteArray("AT\n"));

            ModalHandler modal;
            modal.expect([](QWidget *d) {
                d->findChild<QCheckBox *>("crlfBox")->setChecked(true);
                ModalHandler::accept(d);
            });
            w.onTools();
            QCOMPARE(modal.handled(), 1);
            QTest::keyClicks(w.consoleView(), "AT");
            QTest::keyClick(w.consoleView(), Qt::Key_Enter);
            QCOMPARE(pty.readUntil(4, 5000), QByteArray("AT\r\n"));

            QTest::keyClick(w.consoleView(), Qt::Key_F2);
            QCOMPARE(pty.readUntil(4, 5000), QByteArray("F2\r\n"));
        }
        QSettings store("lumetrix", "corvun");
        QVERIFY(store.value("isCRLF").toBool());
        QVERIFY(!store.contains("baudrate"));  // the command-line rate is not kept
        QVERIFY(store.contains("localecho"));
        QCOMPARE(store.value("keyF10").toString(), QString("F10"));
        QCOMPARE(store.value("size").toSize(), QSize(600, 400));
        store.setValue("isCRLF", false);
    }

    void receivedBatchAndLog()
    {
        PtyPair pty;
        declare(pty.slavePath(), "win0002");
        TermOptions o = bySerial("WIN0002");
        o.forceLog = true;
        MainWindow w(nullptr, qApp, o);
        QVERIFY(w.isLogging());
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        // Two writes before the window gets to run: one paragraph.
        pty.write("ab");
        pty.write("<cd>\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(w.consoleView()->toPlainText().contains("ab<cd>."), 5000);
        QFile log(QDir::homePath() + "/corvun.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray("ab<cd>\r\n"));
    }

    void toggleLinesOnlyWhileOpen()
    {
        PtyPair pty;
        declare(pty.slavePath(), "win0003");
        MainWindow w(nullptr, qApp, bySerial("win0003"));
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        w.onToggleDTR();
        QVERIFY(sameIcon(action(w, "actionDtr")->icon(), ":/images/question.png"));
        QVERIFY(loggedCount("serialport error ignored") > 0);  // unsupported: only logged
        QVERIFY(w.port()->isOpen());

        w.onDisconnect();
        QVERIFY(!w.port()->isOpen());
        QVERIFY(!w.consoleView()->isEnabled());
        QVERIFY(action(w, "actionConnect")->isEnabled());
        QCOMPARE(w.statusBar()->currentMessage(), QString("Disconnected"));
        const int before = loggedCount("onToggleDTR() called");
        w.onToggleDTR();
        QCOMPARE(loggedCount("onToggleDTR() called"), before + 1);
        QVERIFY(sameIcon(action(w, "actionDtr")->icon(), ":/images/question.png"));
        QVERIFY(!w.port()->isOpen());
    }

    void lossSchedulesOneReconnect()
    {
        PtyPair pty;
        declare(pty.slavePath(), "win0004");
        MainWindow w(nullptr, qApp, bySerial("win0004"));
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        QCOMPARE(loggedCount("onTryToReconnect()"), 1);
        w.handleError(QSerialPort::ResourceError);
        w.handleError(QSerialPort::ResourceError);
        QVERIFY(!w.port()->isOpen());
        QVERIFY(!w.consoleView()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        QTest::qWait(1500);
        QCOMPARE(loggedCount("onTryToReconnect()"), 2);
    }

    // Chosen by hand, lost, and another device with the same ids present: the window
    // waits for its own device instead of taking the other one.
    void reconnectWaitsForTheSameSerialNumber()
    {
        auto mine = std::make_unique<PtyPair>();
        PtyPair other;
        const QString minePath = mine->slavePath();
        declare(minePath, "mine01", other.slavePath(), "other01");
        ModalHandler modal;
        modal.expect([minePath](QWidget *d) {
            auto *ports = d->findChild<QComboBox *>("portBox");
            ports->setCurrentIndex(ports->findText(QString(minePath).remove("/dev/")));
            ModalHandler::accept(d);
        });
        MainWindow w(nullptr, qApp, TermOptions());
        QCOMPARE(modal.handled(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        QCOMPARE(w.portSettings().name, minePath);

        auto back = std::make_unique<PtyPair>();
        mine.reset();
        declare(other.slavePath(), "other01");
        QTRY_VERIFY_WITH_TIMEOUT(!w.port()->isOpen(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(loggedCount("onTryToReconnect()") >= 2, 5000);
        QVERIFY(!w.port()->isOpen());
        declare(other.slavePath(), "other01", back->slavePath(), "MINE01");
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 5000);
        QCOMPARE(w.portSettings().name, back->slavePath());
    }

    void openFailureIsReportedOnce()
    {
        declare(dir.path() + "/no-such-tty", "win0006");
        ModalHandler modal;
        modal.expect(ModalHandler::accept);
        MainWindow w(nullptr, qApp, bySerial("win0006"));
        QTRY_COMPARE_WITH_TIMEOUT(modal.handled(), 1, 10000);
        QVERIFY2(modal.texts.first().contains("onConnect: open serialport failed\nserialport reports: "),
                 qPrintable(modal.texts.first()));
        QVERIFY(modal.texts.first().contains("Baudrate was 115200"));
        QCOMPARE(w.statusBar()->currentMessage(), QString("Open Error on serial port"));
        QTest::qWait(1500);
        QCOMPARE(loggedCount("onTryToReconnect()"), 1);  // no retries after a failed open
        QVERIFY(!w.port()->isOpen());
    }
};

QTEST_MAIN(tst_TermWindow)
#include "tst_termwindow.moc"
