#include "console.h"
#include "devsimprocess.h"
#include "mainwindow.h"
#include "serialportlist.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <queue>
#include <stdlib.h>
#include <unistd.h>

// A pseudo-terminal made by the test: the window opens the slave path like a serial port,
// the test plays the device on the master side; destroyed, the device vanishes.
class PtyPair
{
public:
    PtyPair()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            path = QString::fromLocal8Bit(ptsname(master));
    }
    ~PtyPair() { ::close(master); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    QString slavePath() const { return path; }
    void write(const QByteArray &data)
    {
        if (master >= 0 && ::write(master, data.constData(), size_t(data.size())) != data.size())
            qWarning("pty write short");
    }
    // What arrives until it holds `expected` bytes or time runs out; the event loop runs.
    QByteArray readUntil(int expected, int timeoutMs = 5000)
    {
        QByteArray out;
        QDeadlineTimer deadline(timeoutMs);
        while (master >= 0 && out.size() < expected && !deadline.hasExpired()) {
            char buf[512];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                out.append(buf, int(n));
            else
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return out;
    }

private:
    int master = -1;
    QString path;
};

// Answers the modal dialogs and boxes a window opens in its own event loop, in the order
// they are expected; texts holds the class name and text of each one answered.
class ModalHandler
{
public:
    using Handler = std::function<void(QWidget *)>;
    ModalHandler()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start(50);
    }
    void expect(Handler handler) { pending.push(std::move(handler)); }
    int handled() const { return texts.size(); }
    bool idle() const { return pending.empty(); }
    QStringList texts;

    static void accept(QWidget *w)
    {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            box->done(QMessageBox::Ok);
        else if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->accept();
    }
    static void reject(QWidget *w) { qobject_cast<QDialog *>(w)->reject(); }

private:
    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || busy)   // busy: a handler's own event loop
            return;
        QString text = QString::fromLatin1(w->metaObject()->className());
        if (auto *box = qobject_cast<QMessageBox *>(w))
            text += QLatin1Char(':') + box->text();
        if (pending.empty()) {   // one nobody expected fails the test instead of hanging it
            QTest::qFail(qPrintable("unexpected " + text), __FILE__, __LINE__);
            return reject(w);
        }
        texts << text;
        Handler h = std::move(pending.front());
        pending.pop();
        busy = true;
        h(w);
        busy = false;
    }
    bool busy = false;
    QTimer timer;
    std::queue<Handler> pending;
};

// The window's log, kept for the checks and still shown when a test fails.
static QStringList logLines;
static void captureLog(QtMsgType, const QMessageLogContext &, const QString &text)
{
    logLines << text;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}
static int loggedCount(const QString &needle) { return logLines.filter(needle).size(); }

static bool sameIcon(const QIcon &a, const char *resource)
{
    return a.pixmap(16, 16).toImage() == QIcon(QLatin1String(resource)).pixmap(16, 16).toImage();
}

// The terminal window against pseudo-terminals this test makes itself, then against devsim.
class tst_TermWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    const QString homeLog = QDir::homePath() + "/corvun.log";

    // Declares "path sn" pairs as ports with the device's ids.
    void declare(const QStringList &ports)
    {
        qputenv(SerialPortList::environmentVariable(), QFile::encodeName(dir.path() + "/ports"));
        QFile f(dir.path() + "/ports");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        SerialPortEntry e;
        e.vendorId = 0x1a86;
        e.productId = 0x7523;
        for (int i = 0; i + 1 < ports.size(); i += 2) {
            e.systemLocation = ports[i];
            e.serialNumber = ports[i + 1];
            f.write(SerialPortList::formatDeclaration(e) + '\n');
        }
    }
    static TermOptions bySerial(const QString &sn, bool log = false, bool byIds = false)
    {
        TermOptions o;
        o.filterSn = sn;
        o.forceLog = log;
        o.filterVid = byIds ? 0x1a86 : -1;
        o.filterPid = byIds ? 0x7523 : -1;
        return o;
    }
    static QAction *action(MainWindow &w, const char *name) { return w.findChild<QAction *>(QLatin1String(name)); }
    static void typeLine(MainWindow &w, const QString &text)
    {
        QTest::keyClicks(w.consoleView(), text);
        QTest::keyClick(w.consoleView(), Qt::Key_Return);
    }
private slots:
    void initTestCase()
    {
        qInstallMessageHandler(captureLog);
        QSettings("lumetrix", "corvun").clear();
    }
    void init() { logLines.clear(); }

    // What keys send, what the window keeps, stamped lines on screen and raw ones in the log.
    void typingSettingsAndLog()
    {
        QFile::remove(homeLog);   // a failed run may have left the full-disk link behind
        PtyPair pty;
        declare({pty.slavePath(), "win0001"});
        {
            MainWindow w(nullptr, qApp, bySerial("WIN0001", true));
            w.show();
            QCOMPARE(w.portSettings().baudRate, 115200);   // not the stored 9600
            QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
            QCOMPARE(w.windowTitle(), QString("corvun %1 115200").arg(pty.slavePath()));
            QCOMPARE(w.statusBar()->currentMessage(), QString("Connected: localecho off"));
            QVERIFY(sameIcon(action(w, "actionDtr")->icon(), ":/images/question.png"));   // a pty has no modem lines
            QCOMPARE(w.findChild<QLabel *>("logLabel")->text(), "Logging to " + homeLog);
            QTest::keyClicks(w.consoleView(), "AT");
            QTest::keyClick(w.consoleView(), Qt::Key_Return);
            QCOMPARE(pty.readUntil(3), QByteArray("AT\n"));
            ModalHandler modal;
            modal.expect([](QWidget *d) {
                d->findChild<QCheckBox *>("crlfBox")->setChecked(true);
                ModalHandler::accept(d);
            });
            w.onTools();
            QTest::keyClicks(w.consoleView(), "AT");
            for (Qt::Key k : {Qt::Key_Enter, Qt::Key_F2, Qt::Key_Backspace})
                QTest::keyClick(w.consoleView(), k);
            QCOMPARE(pty.readUntil(9), QByteArray("AT\r\nF2\r\n\x08"));

            action(w, "actionTimeStamps")->trigger();
            pty.write("ab");
            pty.write("<cd>\r\n");
            const QRegularExpression stamped("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d ab<cd>\\.$", QRegularExpression::MultilineOption);
            QTRY_VERIFY_WITH_TIMEOUT(w.consoleView()->toPlainText().contains(stamped), 5000);
            // The hex switch and F11/F12 follow each other.
            QAction *hex = action(w, "actionHex");
            hex->trigger();
            QVERIFY(w.consoleView()->isHexMode());
            QTest::keyClick(w.consoleView(), Qt::Key_F12);
            QVERIFY(!hex->isChecked());
            QTest::keyClick(w.consoleView(), Qt::Key_F11);
            QVERIFY(hex->isChecked());
        }
        QFile log(homeLog);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray("ab<cd>\r\n"));
        QSettings store("lumetrix", "corvun");
        QVERIFY(store.value("isCRLF").toBool() && store.value("timestamps").toBool());
        QVERIFY(!store.contains("baudrate"));   // the command-line rate is not kept
        QCOMPARE(store.value("size").toSize(), QSize(600, 400));
    }

    // What the log button and the status bar say after the file dialog.
    void logIndicator_data()
    {
        QTest::addColumn<QString>("file");   // empty: the dialog is cancelled
        QTest::addColumn<QString>("warning");
        QTest::newRow("cancelled") << QString() << QString();
        QTest::newRow("written") << dir.path() + "/ok.log" << QString();
        QTest::newRow("cannot be opened") << dir.path() + "/missing/x.log"
                                          << "The log file " + dir.path() + "/missing/x.log cannot be written (";
    }

    void logIndicator()
    {
        QFETCH(QString, file);
        QFETCH(QString, warning);
        MainWindow w(nullptr, qApp, bySerial("nothing here"));
        ModalHandler modal;
        modal.expect([file](QWidget *d) {
            auto *name = d->findChild<QLineEdit *>("fileNameEdit");   // a file dialog's
            if (file.isEmpty() || !name)
                return ModalHandler::reject(d);
            name->setText(file);   // typed by the user
            ModalHandler::accept(d);
        });
        if (!warning.isEmpty())
            modal.expect(ModalHandler::accept);
        QAction *log = action(w, "actionLog");
        log->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(modal.idle(), 5000);
        const bool logging = !file.isEmpty() && warning.isEmpty();
        QVERIFY(w.isLogging() == logging && log->isChecked() == logging);
        QCOMPARE(sameIcon(log->icon(), ":/images/process-stop.png"), logging);
        QCOMPARE(w.findChild<QLabel *>("logLabel")->text().isEmpty(), !logging);
        if (!warning.isEmpty()) {
            QVERIFY2(modal.texts.last().contains(warning) && modal.texts.last().endsWith("Logging is off."),
                     qPrintable(modal.texts.last()));
            QVERIFY(w.statusBar()->currentMessage().startsWith(warning));
        }
        if (logging) {
            QCOMPARE(w.logFileName(), file);
            log->trigger();
            QVERIFY(!w.isLogging() && !log->isChecked() && QFile::exists(file));
        }
    }

    // A full disk: the first failed write ends logging and says so.
    void logWriteFailureStopsLogging()
    {
        QFile::remove(homeLog);
        QVERIFY(QFile::link("/dev/full", homeLog));
        PtyPair pty;
        declare({pty.slavePath(), "win0007"});
        ModalHandler modal;
        modal.expect(ModalHandler::accept);
        MainWindow w(nullptr, qApp, bySerial("win0007", true));
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        pty.write("data\n");
        QTRY_COMPARE_WITH_TIMEOUT(modal.handled(), 1, 5000);
        QVERIFY2(modal.texts.first().contains("cannot be written"), qPrintable(modal.texts.first()));
        QVERIFY(!w.isLogging() && !action(w, "actionLog")->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(w.consoleView()->toPlainText().contains("data"), 5000);
        QFile::remove(homeLog);
    }

    // Chosen by hand, lost, and another device with the same ids present: the window
    // waits for its own device instead of taking the other one.
    void reconnectWaitsForTheSameSerialNumber()
    {
        auto mine = std::make_unique<PtyPair>();
        PtyPair other;
        const QString minePath = mine->slavePath();
        declare({minePath, "mine01", other.slavePath(), "other01"});
        ModalHandler modal;
        modal.expect([minePath](QWidget *d) {
            auto *ports = d->findChild<QComboBox *>("portBox");
            ports->setCurrentIndex(ports->findText(QString(minePath).remove("/dev/")));
            ModalHandler::accept(d);
        });
        MainWindow w(nullptr, qApp, TermOptions());
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 10000);
        QCOMPARE(w.portSettings().name, minePath);
        auto back = std::make_unique<PtyPair>();
        mine.reset();
        declare({other.slavePath(), "other01"});
        QTRY_VERIFY_WITH_TIMEOUT(!w.port()->isOpen(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(loggedCount("onTryToReconnect()") >= 2, 5000);
        QVERIFY(!w.port()->isOpen());
        declare({other.slavePath(), "other01", back->slavePath(), "MINE01"});
        QTRY_VERIFY_WITH_TIMEOUT(w.port()->isOpen(), 5000);
        QCOMPARE(w.portSettings().name, back->slavePath());
    }

    void openFailureIsReportedOnce()
    {
        declare({dir.path() + "/no-such-tty", "win0006"});
        ModalHandler modal;
        modal.expect(ModalHandler::accept);
        MainWindow w(nullptr, qApp, bySerial("win0006"));
        QTRY_COMPARE_WITH_TIMEOUT(modal.handled(), 1, 10000);
        QVERIFY2(modal.texts.first().contains("onConnect: open serialport failed\nserialport reports: ")
                     && modal.texts.first().contains("Baudrate was 115200"),
                 qPrintable(modal.texts.first()));
        QCOMPARE(w.statusBar()->currentMessage(), QString("Open Error on serial port"));
        QTest::qWait(1500);
        QCOMPARE(loggedCount("onTryToReconnect()"), 1);   // no retries after a failed open
    }

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
        typeLine(w, "ab\b");   // Backspace reaches the device as BS
        QTRY_VERIFY_WITH_TIMEOUT(sim.commandLines().contains("serial\tab\x08"), 5000);
    }

    void unplugAndPlugReconnects()
    {
        DevsimProcess sim;
        QVERIFY(sim.start({"--pty", "--serial", "KESTR0042"}));
        qputenv(SerialPortList::environmentVariable(), QFile::encodeName(sim.portsFile()));
        const QString firstPath = sim.serialPath();
        MainWindow w(nullptr, qApp, bySerial(QString(), false, true));
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
        QVERIFY2(sincePlug.elapsed() < 3000, qPrintable(QString::number(sincePlug.elapsed())));
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
        declare({first.serialPath(), "twin01", second.serialPath(), "TWIN01"});
        ModalHandler modal;
        modal.expect(ModalHandler::accept);   // the warning
        modal.expect(ModalHandler::reject);   // the settings dialog it opens
        MainWindow w(nullptr, qApp, bySerial(QString(), false, true));
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

QTEST_MAIN(tst_TermWindow)
#include "tst_termwindow.moc"
