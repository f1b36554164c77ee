#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCodec>

#include <functional>

#include <sys/stat.h>

#include "config/adc16tab.h"
#include "config/adc24tab.h"
#include "config/auxtab.h"
#include "config/configfile.h"
#include "config/configlimits.h"
#include "config/configlocation.h"
#include "config/generaltab.h"
#include "config/imu6tab.h"
#include "config/tabdialog.h"
#include "filebytes.h"

// Lines 1-4 general, 5-6 adc16, 7 imu6.
static const QByteArray workedExample =
    "timeline=10\nmaxDuration=0\nsampleRate=1000\nsampleSize=20\n"
    "adc16\t2\t-6\t6\t1\t0\tleft\nadc16\t2\t-6\t6\t1\t0\tright\nimu6\t6\t500\twrist\n";

static QByteArray edited(const QByteArray &from, const QByteArray &to)
{
    return QByteArray(workedExample).replace(from, to);
}

// General lines with the given frame size, then the channel lines.
static QByteArray withChannels(int sampleSize, const QByteArray &lines)
{
    return "timeline=10\nmaxDuration=0\nsampleRate=1000\nsampleSize=" + QByteArray::number(sampleSize) + '\n' + lines;
}

static daqConfig exampleConfig()
{
    daqConfig cfg;
    cfg.adc16 = {adcChannel(-6, 6, 1, 0, "left"), adcChannel(-6, 6, 1, 0, "right")};
    cfg.imu6 = {imuChannel(6, 500, "wrist")};
    cfg.sampleSize = 20;
    return cfg;
}

Q_DECLARE_METATYPE(daqConfig)

namespace {

void showPage(tabdialog &dialog, QWidget *page)
{
    dialog.show();
    dialog.tabWidget()->setCurrentWidget(page);
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

// The checked boxes of a tab as a string of 0 and 1.
QString checkedStates(const channelTab *tab)
{
    QString states;
    for (int i = 0; i < tab->channelCount(); ++i)
        states += tab->isChecked(i) ? '1' : '0';
    return states;
}

} // namespace

class tst_configfile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    int fileCount = 0;

private slots:
    QString write(const QByteArray &content)
    {
        const QString path = dir.filePath(QStringLiteral("f%1.conf").arg(++fileCount));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write test file");
        return path;
    }

    void initTestCase()
    {
        QVERIFY(dir.isValid());
        // Names are written in the local 8-bit encoding; pin it so the test is repeatable.
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    }

    void workedExampleRoundTrip()
    {
        const daqConfig cfg = exampleConfig();
        const QString path = dir.filePath(QStringLiteral("example.conf"));
        QVERIFY(saveConfiguration(cfg, path));
        QCOMPARE(fileBytes(path), workedExample);
        daqConfig loaded;
        loaded.aux = {7};   // must be reset by the loader
        QCOMPARE(loadConfiguration(loaded, path), QString());
        QVERIFY(loaded == cfg);
        QCOMPARE(loaded.aux.size(), 0);

        // Numbers are written as short as they read back exactly; the 24-bit block counts.
        daqConfig odd;
        odd.timeline = 2.5;
        odd.maxDuration = 999999.99;
        odd.sampleRate = 4000;
        odd.adc24 = {adcChannel(-2.4, 2.4, 1, 0, QString::fromUtf8("Kraft_Süd").toUtf8()), adcChannel(-2.4, 2.4, 1e-7, 0, "")};
        odd.aux = {2};
        odd.sampleSize = odd.expectedSampleSize();
        QCOMPARE(odd.sampleSize, 16);
        QVERIFY(saveConfiguration(odd, path));
        QCOMPARE(fileBytes(path), QString::fromUtf8("timeline=2.5\nmaxDuration=999999.99\nsampleRate=4000\nsampleSize=16\n"
                                                  "adc24\t2\t-2.4\t2.4\t1\t0\tKraft_Süd\nadc24\t2\t-2.4\t2.4\t1e-07\t0\t\naux\t2\n").toUtf8());
        QCOMPARE(loadConfiguration(loaded, path), QString());
        QVERIFY(loaded == odd);
        QCOMPARE(loaded.maxDuration, 999999.99);

        // Nothing to measure is not saved; one AUX device: only the first entry is written.
        QVERIFY(!saveConfiguration(daqConfig(), path + ".none"));
        QVERIFY(!QFile::exists(path + ".none"));
        QVERIFY(!saveConfiguration(cfg, dir.filePath("no/such/folder/x.conf")));
        daqConfig aux;
        aux.aux = {0, 2};
        QVERIFY(saveConfiguration(aux, path));
        QCOMPARE(fileBytes(path), QByteArray("timeline=10\nmaxDuration=0\nsampleRate=1000\nsampleSize=0\naux\t0\n"));
    }

    // Whether a changed configuration still equals the example: the dialog and the
    // loader rely on it to tell a real change.
    void equality_data()
    {
        QTest::addColumn<daqConfig>("changed");
        QTest::addColumn<bool>("equal");
        const daqConfig a = exampleConfig();
        daqConfig b = a;
        b.maxDuration = qQNaN();
        QTest::newRow("the limit is no part") << b << true;
        const auto row = [&a](const char *name, const std::function<void(daqConfig &)> &change) {
            daqConfig c = a;
            change(c);
            QTest::newRow(name) << c << false;
        };
        row("timeline", [](daqConfig &c) { c.timeline = 11; });
        row("rate", [](daqConfig &c) { c.sampleRate = 2000; });
        row("NaN coefficient b", [](daqConfig &c) { c.adc16[1].coefB = qQNaN(); });
        row("channel name", [](daqConfig &c) { c.adc16[1].name = "right "; });
        row("one more IMU", [](daqConfig &c) { c.imu6.append(imuChannel(6, 500, "ankle")); });
    }

    void equality()
    {
        QFETCH(daqConfig, changed);
        QFETCH(bool, equal);
        QCOMPARE(changed == exampleConfig(), equal);
        QCOMPARE(exampleConfig() != changed, !equal);
        // Defaults bring back a fresh configuration.
        changed.setDefaults();
        QVERIFY(changed == daqConfig() && !changed.hasChannels() && changed.maxDuration == 0.0);
    }

    // Each row loads a file: refused with the line and a part of the explanation, or
    // accepted with its frame size.
    void loading_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("line");         // -1: accepted; 0: refused as a whole
        QTest::addColumn<QString>("detail");
        QTest::addColumn<int>("sampleSize");
        const auto refused = [](const char *name, const QByteArray &text, int line, const char *detail) {
            QTest::newRow(name) << text << line << QString(detail) << 0;
        };
        const auto accepted = [](const char *name, const QByteArray &text, int sampleSize) {
            QTest::newRow(name) << text << -1 << QString() << sampleSize;
        };
        refused("timeline negative", edited("timeline=10", "timeline=-5"), 1, "1 to 600");
        refused("timeline below 1 s", edited("timeline=10", "timeline=0.99"), 1, "1 to 600");
        refused("timeline above 600 s", edited("timeline=10", "timeline=600.01"), 1, "1 to 600");
        refused("timeline 1e308", edited("timeline=10", "timeline=1e308"), 1, "1 to 600");
        refused("timeline nan", edited("timeline=10", "timeline=nan"), 1, "1 to 600");
        refused("timeline text", edited("timeline=10", "timeline=ten"), 1, "timeline=ten is not a number");
        refused("timeline empty", edited("timeline=10", "timeline="), 1, "timeline has no value");
        refused("limit negative", edited("maxDuration=0", "maxDuration=-1"), 2, "999999.99");
        refused("limit too long", edited("maxDuration=0", "maxDuration=1e6"), 2, "999999.99");
        refused("limit inf", edited("maxDuration=0", "maxDuration=inf"), 2, "999999.99");
        refused("limit nan", edited("maxDuration=0", "maxDuration=nan"), 2, "999999.99");
        refused("rate negative", edited("sampleRate=1000", "sampleRate=-1000"), 3, "sample rate");
        refused("rate int max", edited("sampleRate=1000", "sampleRate=2147483647"), 3, "sample rate");
        refused("rate not offered", edited("sampleRate=1000", "sampleRate=1500"), 3, "sample rate");
        refused("rate text", edited("sampleRate=1000", "sampleRate=fast"), 3, "not a whole number");
        refused("size 0", edited("sampleSize=20", "sampleSize=0"), 4, "above 0");
        refused("size overflow", edited("sampleSize=20", "sampleSize=99999999999"), 4, "whole number");
        refused("size mismatch", edited("sampleSize=20", "sampleSize=24"), 4, "need 20 bytes");
        refused("key twice", workedExample + "timeline=20\n", 8, "first in line 1");
        refused("key missing", edited("maxDuration=0\n", ""), 0, "maxDuration= line is missing");
        refused("key after blank", edited("timeline=10", " timeline=10"), 0, "timeline= line");
        refused("last line unended", workedExample.chopped(1), 4, "need 8 bytes");
        refused("two aux lines", withChannels(12, "adc16\t2\t-6\t6\t1\t0\tn\naux\t2\naux\t2\n"), 7, "first is line 6");
        refused("aux negative", withChannels(4, "adc16\t2\t-6\t6\t1\t0\tn\naux\t-2\n"), 6, "aux");
        refused("aux tab only", withChannels(4, "adc16\t2\t-6\t6\t1\t0\tn\naux\t\n"), 6, "aux");
        refused("keyword alone", withChannels(4, "adc16\n"), 5, "adc16 line");
        refused("three numbers", withChannels(4, "adc16\t2\t-6\t6\t1\n"), 5, "adc16 line");
        refused("range reversed", edited("-6\t6\t1\t0\tleft", "6\t-6\t1\t0\tleft"), 5, "below");
        refused("range empty", edited("-6\t6\t1\t0\tleft", "6\t6\t1\t0\tleft"), 5, "below");
        refused("range 1e308", edited("-6\t6\t1\t0\tright", "-1e308\t1e308\t1\t0\tright"), 6, "3.40282e+38");
        refused("range nan", edited("-6\t6\t1\t0\tright", "nan\t6\t1\t0\tright"), 6, "adc16 line");
        refused("coefficient 1e39", withChannels(8, "adc24\t2\t-2.4\t2.4\t1e39\t0\tx\n"), 5, "3.40282e+38");
        refused("IMU range 0", edited("imu6\t6\t500", "imu6\t0\t500"), 7, "positive");
        refused("IMU range negative", edited("imu6\t6\t500", "imu6\t6\t-500"), 7, "positive");
        refused("IMU range 1e39", edited("imu6\t6\t500", "imu6\t1e39\t500"), 7, "positive");
        refused("25 graphs", withChannels(100, QByteArray("adc16\t2\t-6\t6\t1\t0\tn\n").repeated(25)), 0, "25 graphs");
        refused("145 channels", withChannels(23 * 12 + 14, QByteArray("imu6\t6\t500\tn\n").repeated(23) + "aux\t7\n"), 0, "145 channels");
        refused("aux of a billion words", withChannels(2000000000, "aux\t1000000000\n"), 0, "1000000000 channels");
        refused("only an inactive aux", withChannels(4, "aux\t0\n"), 0, "frame size would be 0");
        refused("no lines", QByteArray(100000, '\0'), 0, "timeline= line is missing");
        refused("over 1 MiB", workedExample + QByteArray(2 * 1024 * 1024, '\n'), 0, "1 MiB");
        accepted("timeline 1 s", edited("timeline=10", "timeline=1"), 20);
        accepted("timeline 600 s", edited("timeline=10", "timeline=600.0"), 20);
        accepted("limit 999999.99 s", edited("maxDuration=0", "maxDuration=999999.99"), 20);
        accepted("rate 100", edited("sampleRate=1000", "sampleRate=100"), 20);
        accepted("rate 4000", edited("sampleRate=1000", "sampleRate=4000"), 20);
        accepted("CR LF lines", QByteArray(workedExample).replace("\n", "\r\n").replace("wrist", "wrist\r"), 20);
        accepted("unended tail ignored", workedExample + "imu6\t6\t500\textra", 20);
        accepted("lines in any order", QByteArray("imu6\t6\t500\tw\nsampleSize=12\ntimeline=10\nsampleRate=1000\nmaxDuration=0\n"), 12);
        accepted("float range ends", withChannels(4, "adc16\t2\t-3.40282e38\t3.40282e38\t-3.4e38\t3.4e38\tx\n"), 4);
        accepted("tiny range", withChannels(4, "adc16\t2\t-1e-30\t1e-30\t1\t0\tx\n"), 4);
        accepted("two 24-bit channels", withChannels(12, QByteArray("adc24\t2\t-2.4\t2.4\t1\t0\tp\n").repeated(2)), 12);
        accepted("24 IMUs: 144 channels, 24 graphs", withChannels(288, QByteArray("imu6\t24\t2000\n").repeated(24)), 288);
        accepted("23 IMUs and 6 AUX words", withChannels(288, QByteArray("imu6\t3\t125\n").repeated(23) + "aux\t6\n"), 288);
        accepted("aux 0 beside a channel", withChannels(4, "adc16\t2\t-6\t6\t1\t0\tn\naux\t0\n"), 4);
        accepted("two-word name dropped", withChannels(4, "adc16\t2\t-6\t6\t1\t0\tmy name\n"), 4);
        accepted("blanks between words", withChannels(12, "imu6 3 125\t\tx\n"), 12);
        accepted("NUL in a name", edited("right", QByteArray("ri\0ght", 6)), 20);
    }

    void loading()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, line);
        QFETCH(QString, detail);
        QFETCH(int, sampleSize);
        daqConfig cfg;
        const ConfigLoadResult result = readConfiguration(cfg, write(text));
        if (line >= 0) {
            QCOMPARE(result.problem(), ConfigLoadResult::Invalid);
            QVERIFY2(result.detail().contains(detail), qPrintable(result.detail()));
            QCOMPARE(result.line(), line);
            QCOMPARE(result.text(), "configuration file is invalid.\n" + (line ? QStringLiteral("line %1: ").arg(line) : QString())
                                        + result.detail());
            QVERIFY(result.warning().startsWith("configuration file invalid.\n"));
            // A refused value never reaches the configuration: what the window keeps of a
            // failed load can neither allocate without bound nor convert out of range.
            QVERIFY(ConfigLimits::timelineProblem(cfg.timeline).isEmpty() && ConfigLimits::sampleRateProblem(cfg.sampleRate).isEmpty()
                    && ConfigLimits::maxDurationProblem(cfg.maxDuration).isEmpty() && cfg.aux.size() <= 1);
            for (const adcChannel &c : cfg.adc16 + cfg.adc24)
                QVERIFY(ConfigLimits::adcProblem(c).isEmpty());
            for (const imuChannel &imu : cfg.imu6)
                QVERIFY(ConfigLimits::imuProblem(imu).isEmpty());
            return;
        }
        QVERIFY2(result.ok() && result.text().isEmpty(), qPrintable(result.text()));
        QCOMPARE(cfg.sampleSize, sampleSize);
        QCOMPARE(cfg.expectedSampleSize(), sampleSize);
        if (QByteArray(QTest::currentDataTag()) == "CR LF lines")  // the CR ends the line
            QCOMPARE(cfg.imu6.at(0).name, QByteArray("wrist"));
        // What loads saves to a file that loads back the same.
        const QString again = dir.filePath("again.conf");
        QVERIFY(saveConfiguration(cfg, again));
        daqConfig reloaded;
        QCOMPARE(loadConfiguration(reloaded, again), QString());
        QVERIFY(reloaded == cfg && reloaded.maxDuration == cfg.maxDuration);
    }

    void openFailuresAreToldApart()
    {
        daqConfig cfg;
        const QString missing = dir.filePath("missing.conf");
        ConfigLoadResult r = readConfiguration(cfg, missing);
        QCOMPARE(r.problem(), ConfigLoadResult::Missing);
        QCOMPARE(r.text(), "could not open configuration file.\nThere is no file " + missing + ".");
        QVERIFY(r.warning().startsWith("configuration file not found:\n" + missing));
        r = readConfiguration(cfg, write(QByteArray()));
        QCOMPARE(r.problem(), ConfigLoadResult::Empty);
        QCOMPARE(r.text(), QString("configuration file empty."));

        // Nobody writes to the FIFO: reading it would block for ever.
        const QString fifo = dir.filePath("fifo.conf");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &path : {dir.path(), QStringLiteral("/dev/zero"), fifo}) {
            r = readConfiguration(cfg, path);
            QCOMPARE(r.problem(), ConfigLoadResult::NotRegularFile);
            QVERIFY(r.text().startsWith("could not open configuration file.\n"));
            QVERIFY(r.warning().contains("not a regular file"));
        }
        // A link to a regular file is read.
        const QString link = dir.filePath("link.conf");
        QVERIFY(QFile::link(write(workedExample), link));
        QVERIFY(readConfiguration(cfg, link).ok());
    }

    void resolvesCommandLineNames()
    {
        const QString configDir = dir.filePath("config");
        QVERIFY(QDir().mkpath(configDir));
        const QString absolute = write(workedExample);
        QCOMPARE(resolveConfigFile(absolute, configDir), absolute);
        QCOMPARE(resolveConfigFile("sub/../run1.conf", configDir), configDir + "/run1.conf");
        QCOMPARE(resolveConfigFile(QString(), configDir), QString());

        // A headless run prefers a file of that name in the current folder, if there is one.
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString here = QFileInfo(absolute).fileName();
        QCOMPARE(resolveConfigFile(here, configDir, ConfigLookup::CurrentFolderFirst), absolute);
        QCOMPARE(resolveConfigFile(here, configDir), configDir + "/" + here);
        QCOMPARE(resolveConfigFile("absent.conf", configDir, ConfigLookup::CurrentFolderFirst), configDir + "/absent.conf");
        QVERIFY(QDir::setCurrent(previous));
    }

    // The configuration dialog.

    void okWithoutChangesKeepsConfiguration_data()
    {
        QTest::addColumn<int>("aux");
        QTest::addColumn<double>("limit");
        QTest::newRow("AUX on, 120 s") << 2 << 120.0;
        QTest::newRow("AUX off, a day") << 0 << 86400.0;
        QTest::newRow("four AUX words, a quarter second") << 4 << 0.25;
    }

    // The dialog opens showing the configuration, and OK without changes keeps it.
    void okWithoutChangesKeepsConfiguration()
    {
        QFETCH(int, aux);
        QFETCH(double, limit);
        daqConfig cfg;
        cfg.adc16 = {adcChannel(-6, 6, 1, 0, "force"), adcChannel(-6, 6, 1, 0, "torque")};
        cfg.adc24 = {adcChannel(-2.4, 2.4, 1, 0, "b")};
        cfg.imu6 = {imuChannel(12, 1000, "hand")};
        cfg.aux = {aux};
        cfg.timeline = 30;
        cfg.maxDuration = limit;
        cfg.sampleSize = cfg.expectedSampleSize();
        tabdialog dialog(nullptr, cfg, 5, 2, 2, 4);
        QCOMPARE(checkedStates(dialog.adc16()), QString("11000"));
        QStringList names;
        for (int i = 0; i < 5; ++i)
            names << dialog.adc16()->nameField(i)->text();
        QCOMPARE(names, QStringList({"force", "torque", "adc_3", "adc_4", "adc_5"}));
        QCOMPARE(dialog.adc24()->nameField(1)->text(), QString("adc_2"));
        imu6Tab *imu = dialog.imu6();
        QCOMPARE(QStringList({imu->nameField(0)->text(), imu->accBox(0)->currentText(), imu->gyroBox(0)->currentText(),
                              imu->nameField(1)->text(), imu->accBox(1)->currentText(), imu->gyroBox(1)->currentText()}),
                 QStringList({"hand", "12", "1000", "imu2", "3", "125"}));
        QCOMPARE(dialog.general()->timelineBox()->value(), 30.0);
        QCOMPARE(dialog.aux()->isActivated(), aux > 0);
        daqConfig out;
        out.aux = {5};
        QVERIFY(dialog.getparams(out));
        QVERIFY(out == cfg);
        QCOMPARE(out.maxDuration, limit);

        // The frame size follows the checked channels and the AUX box.
        dialog.aux()->activateBox()->click();
        dialog.adc24()->checkBox(0)->setChecked(false);
        QVERIFY(dialog.getparams(out));
        QCOMPARE(out.aux.value(0), aux > 0 ? 0 : 2);
        QCOMPARE(out.sampleSize, 2 * 4 + 12 + (aux > 0 ? 0 : 4));   // no 24-bit block word
        QCOMPARE(out.sampleSize, out.expectedSampleSize());
        for (channelTab *tab : {static_cast<channelTab *>(dialog.adc16()), static_cast<channelTab *>(dialog.imu6())})
            for (int i = 0; i < tab->channelCount(); ++i)
                tab->checkBox(i)->setChecked(false);
        QCOMPARE(dialog.getparams(out), aux == 0);   // the AUX words alone, or nothing
        // A stored range the dialog does not offer falls back to the first entry.
        cfg.imu6[0].accRange = 5;
        tabdialog other(nullptr, cfg, 0, 0, 1, 0);
        QCOMPARE(other.imu6()->accBox(0)->currentIndex(), 0);
    }

    void acceptRefusals_data()
    {
        QTest::addColumn<int>("checked");       // 16-bit channels enabled, of 25
        QTest::addColumn<bool>("aux");          // AUX device activated
        QTest::addColumn<QString>("name");      // name of 16-bit channel 1, as stored
        QTest::addColumn<QByteArray>("codec");  // local 8-bit encoding
        QTest::addColumn<QString>("problem");   // empty: accepted

        const QByteArray utf8 = "UTF-8";
        QTest::newRow("plain name") << 1 << false << "hip_L" << utf8 << QString();
        QTest::newRow("umlaut") << 1 << false << QString::fromUtf8("Kraft_Süd") << utf8 << QString();
        QTest::newRow("blank") << 1 << false << "left arm" << utf8 << "ADC16 channel 1: a name cannot contain a blank";
        QTest::newRow("tab") << 1 << false << "a\tb" << utf8 << "a tab";
        QTest::newRow("line feed") << 1 << false << "a\nb" << utf8 << "a line break";
        QTest::newRow("CR from a CR LF file") << 1 << false << "right\r" << utf8 << "a line break";
        QTest::newRow("no-break space") << 1 << false << QString::fromUtf8("a\u00a0b") << utf8 << "a space character";
        QTest::newRow("control character") << 1 << false << "a\x01b" << utf8 << "a control character";
        QTest::newRow("256 characters") << 1 << false << QString(256, 'x') << utf8 << "at most 255 characters";
        QTest::newRow("255 characters") << 1 << false << QString(255, 'x') << utf8 << QString();
        QTest::newRow("not in Latin-1") << 1 << false << QString::fromUtf8("Δknie") << QByteArray("ISO-8859-1")
                                        << "character set";
        QTest::newRow("Latin-1 umlaut") << 1 << false << QString::fromUtf8("Süd") << QByteArray("ISO-8859-1")
                                        << QString();
        QTest::newRow("bad name, channel off") << 0 << true << "left arm" << utf8 << QString();
        QTest::newRow("nothing enabled") << 0 << false << "x" << utf8 << "Nothing to measure";
        QTest::newRow("25 graphs") << 25 << false << "x" << utf8 << "25 graphs";
    }

    void acceptRefusals()
    {
        QFETCH(int, checked);
        QFETCH(bool, aux);
        QFETCH(QString, name);
        QFETCH(QByteArray, codec);
        QFETCH(QString, problem);
        QTextCodec *previous = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(QTextCodec::codecForName(codec));

        daqConfig cfg;
        cfg.adc16 = QVector<adcChannel>(checked, adcChannel(-6, 6, 1, 0, "x"));
        if (checked > 0)
            cfg.adc16[0].name = name.toUtf8();
        cfg.aux = {aux ? 2 : 0};
        tabdialog dialog(nullptr, cfg, 25, 0, 0, 2);
        dialog.adc16()->nameField(0)->setText(name);
        dialog.show();
        QTest::mouseClick(dialog.buttonBox()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QTextCodec::setCodecForLocale(previous);

        QCOMPARE(dialog.result() == int(QDialog::Accepted), problem.isEmpty());
        QCOMPARE(dialog.isVisible() && dialog.messageLabel()->isVisible(), !problem.isEmpty());
        QVERIFY2(dialog.messageLabel()->text().contains(problem),
                 qPrintable(dialog.messageLabel()->text()));
    }

    void namesRefuseTyping()
    {
        daqConfig cfg;
        tabdialog dialog(nullptr, cfg, 2, 0, 1, 0);
        showPage(dialog, dialog.imu6());
        QLineEdit *field = dialog.imu6()->nameField(0);
        field->clear();
        QTest::keyClicks(field, "left ");
        QCOMPARE(field->text(), QString("left"));
        QVERIFY(dialog.messageLabel()->isVisible());
        QCOMPARE(dialog.messageLabel()->text(),
                 QString("IMU 6 channel 1: a name cannot contain a blank: in the configuration file a name is one word"));
        // The next accepted edit takes the message away.
        QTest::keyClicks(field, "arm");
        QVERIFY(!dialog.messageLabel()->isVisible());
        QCOMPARE(field->text(), QString("leftarm"));
    }
};

QTEST_MAIN(tst_configfile)
#include "tst_configfile.moc"
