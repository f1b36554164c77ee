#include "console.h"
#include "mainwindow.h"
#include "modalhandler.h"
#include "ptypair.h"
#include "serialportlist.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
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
            QTest::keyClick(w.consoleView(), Qt::Key_Backspace);
            QCOMPARE(pty.readUntil(1, 5000), QByteArray("\x08"));

            QVERIFY(!action(w, "actionTimeStamps")->isChecked());
            action(w, "actionTimeStamps")->trigger();
            QVERIFY(w.consoleView()->hasTimeStamps());
        }
        QSettings store("lumetrix", "corvun");
        QVERIFY(store.value("isCRLF").toBool());
        QVERIFY(!store.contains("baudrate"));  // the command-line rate is not kept
        QVERIFY(store.contains("localecho"));
        QVERIFY(store.value("timestamps").toBool());
        QCOMPARE(store.value("keyF10").toString(), QString("F10"));
        QCOMPARE(store.value("size").toSize(), QSize(600, 400));
        store.setValue("isCRLF", false);
        store.setValue("timestamps", false);
    }

    // Stamped on screen, raw in the log file.
    void receivedBatchAndLog()
    {
        PtyPair pty;
        declare(pty.slavePath(), "win0002");
        QSettings("lumetrix", "corvun").setValue("timestamps", true);
        TermOptions o = bySerial("WIN0002");
        o.forceLog = true;
        MainWindow w(nullptr, qApp, o);
        QSettings("lumetrix", "corvun").remove("timestamps");
        QVERIFY(action(w, "actionTimeStamps")->isChecked());
        QVERIFY(w.isLogging());
        QCOMPARE(w.findChild<QLabel *>("logLabel")->text(), "Logging to " + QDir::homePath() + "/corvun.log");
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        pty.write("ab");
        pty.write("<cd>\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(w.consoleView()->toPlainText().contains("ab<cd>."), 5000);
        const QRegularExpression stamped("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d ab<cd>\\.$",
                                         QRegularExpression::MultilineOption);
        QVERIFY2(w.consoleView()->toPlainText().contains(stamped), qPrintable(w.consoleView()->toPlainText()));
        QFile log(QDir::homePath() + "/corvun.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray("ab<cd>\r\n"));
    }

    // What the log button and the status bar say after the file dialog.
    void logIndicator_data()
    {
        QTest::addColumn<QString>("file");  // empty: the dialog is cancelled
        QTest::addColumn<bool>("logging");
        QTest::addColumn<QString>("warning");
        QTest::newRow("cancelled") << QString() << false << QString();
        QTest::newRow("written") << dir.path() + "/ok.log" << true << QString();
        QTest::newRow("cannot be opened")
            << dir.path() + "/missing/x.log" << false
            << "The log file " + dir.path() + "/missing/x.log cannot be written (";
    }

    void logIndicator()
    {
        QFETCH(QString, file);
        QFETCH(bool, logging);
        QFETCH(QString, warning);
        MainWindow w(nullptr, qApp, bySerial("nothing here"));
        ModalHandler modal;
        modal.expect([file](QWidget *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            QVERIFY(dialog);
            if (file.isEmpty())
                return dialog->reject();
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText(file);  // typed by the user
            ModalHandler::accept(dialog);  // as the Save button does
        });
        if (!warning.isEmpty())
            modal.expect(ModalHandler::accept);
        QAction *log = action(w, "actionLog");
        log->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(modal.idle(), 5000);
        QCOMPARE(w.isLogging(), logging);
        QCOMPARE(log->isChecked(), logging);
        QCOMPARE(sameIcon(log->icon(), ":/images/process-stop.png"), logging);
        QCOMPARE(w.findChild<QLabel *>("logLabel")->text().isEmpty(), !logging);
        if (!warning.isEmpty()) {
            QVERIFY2(modal.texts.last().contains(warning), qPrintable(modal.texts.last()));
            QVERIFY(modal.texts.last().endsWith("Logging is off."));
            QVERIFY(w.statusBar()->currentMessage().startsWith(warning));
        }
        if (logging) {
            QCOMPARE(w.logFileName(), file);
            log->trigger();
            QVERIFY(!w.isLogging() && !log->isChecked());
            QVERIFY(QFile::exists(file));
        }
    }

    // A full disk: the first failed write ends logging and says so.
    void logWriteFailureStopsLogging()
    {
        const QString home = QDir::homePath() + "/corvun.log";
        QFile::remove(home);
        QVERIFY(QFile::link("/dev/full", home));
        PtyPair pty;
        declare(pty.slavePath(), "win0007");
        TermOptions o = bySerial("win0007");
        o.forceLog = true;
        ModalHandler modal;
        modal.expect(ModalHandler::accept);
        MainWindow w(nullptr, qApp, o);
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        QVERIFY(w.isLogging());
        pty.write("data\n");
        QTRY_COMPARE_WITH_TIMEOUT(modal.handled(), 1, 5000);
        QVERIFY2(modal.texts.first().contains("cannot be written"), qPrintable(modal.texts.first()));
        QVERIFY(!w.isLogging());
        QVERIFY(!action(w, "actionLog")->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(w.consoleView()->toPlainText().contains("data"), 5000);
        QFile::remove(home);
    }

    void hexSwitchFollowsKeys()
    {
        MainWindow w(nullptr, qApp, bySerial("nothing here"));
        QAction *hex = action(w, "actionHex");
        QVERIFY(hex->isCheckable() && !hex->isChecked());
        hex->trigger();
        QVERIFY(w.consoleView()->isHexMode());
        w.consoleView()->setEnabled(true);
        QTest::keyClick(w.consoleView(), Qt::Key_F12);
        QVERIFY(!hex->isChecked());
        QTest::keyClick(w.consoleView(), Qt::Key_F11);
        QVERIFY(hex->isChecked());
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
        pty.write("before\n");
        QTRY_VERIFY_WITH_TIMEOUT(w.consoleView()->toPlainText().contains("before"), 5000);
        w.handleError(QSerialPort::ResourceError);
        w.handleError(QSerialPort::ResourceError);
        QVERIFY(!w.port()->isOpen());
        QVERIFY(!w.consoleView()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        QTest::qWait(1500);
        QCOMPARE(loggedCount("onTryToReconnect()"), 2);
        // The history stays, with the gap marked once.
        const QString shown = w.consoleView()->toPlainText();
        QVERIFY2(shown.contains("before\n--- connection lost, waiting for the device ---\n--- connected to "),
                 qPrintable(shown));
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
