#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCodec>

#include "config/adc16tab.h"
#include "config/adc24tab.h"
#include "config/auxtab.h"
#include "config/generaltab.h"
#include "config/imu6tab.h"
#include "config/tabdialog.h"

namespace {

void showPage(tabdialog &dialog, QWidget *page)
{
    dialog.show();
    dialog.tabWidget()->setCurrentWidget(page);
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

void click(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(box->width() / 2, box->height() / 2));
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

class tst_tabdialog : public QObject
{
    Q_OBJECT

private slots:
    void tabsAndRatesFollowDevice()
    {
        daqConfig cfg;
        cfg.sampleRate = 2000;
        tabdialog all(nullptr, cfg, 4, 2, 1, 2);
        QCOMPARE(all.windowTitle(), QString("Kestrova"));
        QStringList titles;
        for (int i = 0; i < all.tabWidget()->count(); ++i)
            titles << all.tabWidget()->tabText(i);
        QCOMPARE(titles, QStringList({"General", "ADC24", "ADC16", "IMU 6", "Aux"}));
        QCOMPARE(all.adc16()->channelCount(), 4);
        QCOMPARE(all.imu6()->channelCount(), 1);
        // With 24-bit inputs the device offers up to 4000 frames/s.
        QComboBox *rates = all.general()->sampleRateBox();
        QCOMPARE(rates->currentText(), QString("2000"));
        rates->setCurrentIndex(3);
        daqConfig out;
        all.adc24()->checkBox(0)->setChecked(true);
        QVERIFY(all.getparams(out));
        QCOMPARE(out.sampleRate, 4000);

        // Without them up to 1000: a stored rate it lacks falls back to the first.
        tabdialog some(nullptr, cfg, 3, 0, 0, 0);
        QCOMPARE(some.tabWidget()->count(), 2);
        QVERIFY(!some.adc24() && !some.imu6() && !some.aux());
        rates = some.general()->sampleRateBox();
        QStringList items;
        for (int i = 0; i < rates->count(); ++i)
            items << rates->itemText(i);
        QCOMPARE(items, QStringList({"100", "200", "500", "1000"}));
        some.adc16()->checkBox(0)->setChecked(true);
        QVERIFY(some.getparams(out));
        QCOMPARE(out.sampleRate, 100);
    }

    // A click checks every box up to it, or unchecks from it on.
    void pressedCheckBoxKeepsPrefix()
    {
        daqConfig cfg;
        tabdialog dialog(nullptr, cfg, 8, 0, 4, 0);
        adc16Tab *adc = dialog.adc16();
        showPage(dialog, adc);
        const QList<QPair<int, QString>> clicks{{2, "11100000"}, {1, "10000000"}, {5, "11111100"}, {0, "00000000"}};
        for (const auto &[box, states] : clicks) {
            click(adc->checkBox(box));
            QCOMPARE(checkedStates(adc), states);
        }
        imu6Tab *imu = dialog.imu6();
        showPage(dialog, imu);
        click(imu->checkBox(3));
        QCOMPARE(checkedStates(imu), QString("1111"));
        click(imu->checkBox(3));
        daqConfig out;
        QVERIFY(dialog.getparams(out));
        QCOMPARE(out.imu6.size(), 3);
        QCOMPARE(out.adc16.size(), 0);
    }

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

QTEST_MAIN(tst_tabdialog)
#include "tst_tabdialog.moc"
