#include "console.h"
#include "devsimprocess.h"
#include "mainwindow.h"
#include "serialportlist.h"
#include "termfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

// corvun against the device simulator on pseudo-terminals declared through the port
// listing layer.
class tst_CorvunDevsim : public QObject
{
    Q_OBJECT

    static void typeLine(MainWindow &w, const QString &text)
    {
        QTest::keyClicks(w.consoleView(), text);
        QTest::keyClick(w.consoleView(), Qt::Key_Return);
    }
    static TermOptions byIds()
    {
        TermOptions o;
        o.filterVid = 0x1a86;
        o.filterPid = 0x7523;
        return o;
    }

private slots:
    void initTestCase() { qInstallMessageHandler(captureLog); }
    void init() { capturedLog().clear(); }

    void connectBySettingsAndType()
    {
        DevsimProcess sim;
        QVERIFY(sim.start({"--pty", "--idn", "ACME<x>,T1"}));
        qputenv(SerialPortList::environmentVariable(), QFile::encodeName(sim.portsFile()));
        const QString path = sim.serialPath();
        ModalHandler modal;
        QString listedAs;
        modal.expect([path, &listedAs](QWidget *d) {
            auto *ports = d->findChild<QComboBox *>("portBox");
            for (int i = 0; i < ports->count(); ++i) {
                if (ports->itemData(i).toStringList().value(4) == path)
                    ports->setCurrentIndex(i);
            }
            listedAs = ports->currentText();
            d->findChild<QComboBox *>("dataBitsBox")->setCurrentIndex(2);
            d->findChild<QComboBox *>("parityBox")->setCurrentIndex(1);
            d->findChild<QCheckBox *>("localEchoBox")->setChecked(false);
            ModalHandler::accept(d);
        });
        MainWindow w(nullptr, qApp, TermOptions());
        QCOMPARE(listedAs, QString(path).remove("/dev/"));   // "pts/N", as the port calls itself
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        QCOMPARE(w.port()->portName(), listedAs);
        QCOMPARE(w.port()->dataBits(), QSerialPort::Data7);
        QCOMPARE(w.port()->parity(), QSerialPort::EvenParity);

        typeLine(w, "*idn?");
        QTRY_VERIFY_WITH_TIMEOUT(w.consoleView()->toPlainText().contains("ACME<x>,T1."), 10000);
        // Backspace reaches the device as BS.
        QTest::keyClicks(w.consoleView(), "ab");
        QTest::keyClick(w.consoleView(), Qt::Key_Backspace);
        QTest::keyClick(w.consoleView(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(sim.commandLines().contains("serial\tab\x08"), 5000);
    }

    void unplugAndPlugReconnects()
    {
        DevsimProcess sim;
        QVERIFY(sim.start({"--pty", "--serial", "KESTR0042"}));
        qputenv(SerialPortList::environmentVariable(), QFile::encodeName(sim.portsFile()));
        const QString firstPath = sim.serialPath();
        MainWindow w(nullptr, qApp, byIds());
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        typeLine(w, "*idn?");
        QTRY_VERIFY_WITH_TIMEOUT(w.consoleView()->toPlainText().contains("KESTR0042"), 10000);

        sim.command("unplug");
        QTRY_VERIFY_WITH_TIMEOUT(!w.port()->isOpen(), 5000);
        QVERIFY(!w.consoleView()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(w.statusBar()->currentMessage(), QString("Try to autoconnect"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(loggedCount("onTryToReconnect()") >= 2, 5000);   // a fruitless search
        QVERIFY(!w.port()->isOpen());

        sim.command("plug");
        QVERIFY(!sim.waitForLine("serial ").isEmpty());
        QElapsedTimer sincePlug;
        sincePlug.start();
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        QVERIFY2(sincePlug.elapsed() < 2000, qPrintable(QString::number(sincePlug.elapsed())));
        QVERIFY(sim.serialPath() != firstPath);
        QCOMPARE(w.portSettings().name, sim.serialPath());
        QVERIFY(w.consoleView()->isEnabled());
        // The answer from before the unplug is still there; the new one follows it.
        typeLine(w, "*idn?");
        QTRY_COMPARE_WITH_TIMEOUT(w.consoleView()->toPlainText().count("KESTR0042"), 2, 10000);
    }

    void twoIdenticalDevicesStopAutomaticReconnect()
    {
        DevsimProcess first, second;
        QVERIFY(first.start({"--pty", "--serial", "twin01"}));
        QVERIFY(second.start({"--pty", "--serial", "TWIN01"}));
        QTemporaryDir dir;
        QFile both(dir.path() + "/ports");
        QVERIFY(both.open(QIODevice::WriteOnly));
        for (DevsimProcess *sim : {&first, &second}) {
            QFile f(sim->portsFile());
            QVERIFY(f.open(QIODevice::ReadOnly));
            both.write(f.readAll());
        }
        both.close();
        qputenv(SerialPortList::environmentVariable(), QFile::encodeName(both.fileName()));
        ModalHandler modal;
        modal.expect(ModalHandler::accept);   // the warning
        modal.expect(ModalHandler::reject);   // the settings dialog it opens
        MainWindow w(nullptr, qApp, byIds());
        QTRY_COMPARE_WITH_TIMEOUT(modal.handled(), 2, 10000);
        QVERIFY2(modal.texts.at(0).startsWith(
                     "QMessageBox:automatic reconnect found more than one device.\nNow configure manually."),
                 qPrintable(modal.texts.join('|')));
        QCOMPARE(modal.texts.at(1), QString("settingsdialog"));
        QTest::qWait(1500);
        QCOMPARE(loggedCount("onTryToReconnect()"), 1);
        QVERIFY(!w.port()->isOpen());
    }
};

QTEST_MAIN(tst_CorvunDevsim)
#include "tst_corvun_devsim.moc"
