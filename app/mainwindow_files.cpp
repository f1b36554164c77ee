// MainWindow: the configuration dialogs and the configuration and trace file actions.
#include "mainwindow.h"

#include "acquisition/acquisitioncontroller.h"
#include "config/admindialog.h"
#include "config/outfiledialog.h"
#include "config/tabdialog.h"
#include "promptqueue.h"
#include "startupoptions.h"

#include <QDebug>
#include <QFile>
#include <QMessageBox>
#include <QStatusBar>

void MainWindow::onOpenConfig()
{
    qDebug("on Open Config");
    if (acquisition->wifiTaskRunning())
        return;
    if (!acquisition->checkDeviceConfigurable()) {
        prompts->flush();
        return;
    }
    QString path = acquisition->takeStartupConfiguration();
    if (path.isEmpty()) {
        // Only measurement configurations: the device's network file (with its WiFi
        // passwords) lives in the same folder.
        adminDialog dialog(this, startupOptions().configDirectory, true, QString(), configurationFilter());
        if (dialog.exec() != QDialog::Accepted)
            return;
        path = dialog.getparams().value(0);
    }
    if (path.isEmpty()) {
        qDebug() << "filna = " << path;
        QMessageBox::warning(this, "Kestrova", tr("filename isnt set.\nPlease try again."));
        return;
    }
    acquisition->openConfiguration(path);
    prompts->flush();
}

void MainWindow::onNewConfig()
{
    if (acquisition->wifiTaskRunning())
        return;
    if (!acquisition->checkDeviceConfigurable()) {
        prompts->flush();
        return;
    }
    const QString previousTitle = windowTitle();
    markUnsaved();
    const AcquisitionController &c = *acquisition;
    daqConfig edited;
    tabdialog dialog(this, edited, c.adc16Count(), c.adc24Count(), c.imuCount(), c.auxWordCount());
    if (dialog.exec() != QDialog::Accepted) {
        // Cancelling New keeps what was there before, so a frame size of 0 never streams.
        setWindowTitle(previousTitle);
        return;
    }
    if (!dialog.getparams(edited)) {
        acquisition->discardConfiguration(edited);
        QMessageBox::warning(this, "Kestrova", tr("no device configured.\ngetparams() failed."));
    } else if (!acquisition->acceptConfiguration(edited)) {
        acquisition->discardConfiguration(edited);
    } else {
        qDebug() << "onConfiguration(): timespan =" << edited.timeline << "maxDuration =" << edited.maxDuration;
        describePlot();
    }
    prompts->flush();
}

void MainWindow::onConfiguration()
{
    if (acquisition->wifiTaskRunning())
        return;
    const AcquisitionController &c = *acquisition;
    const daqConfig before = c.configuration();
    tabdialog dialog(this, before, c.adc16Count(), c.adc24Count(), c.imuCount(), c.auxWordCount());
    if (dialog.exec() == QDialog::Accepted) {
        daqConfig edited;
        if (!dialog.getparams(edited)) {
            QMessageBox::warning(this, "Kestrova",
                                 tr("something got wrong with configuration.\ngetparams() failed.\nreset to old config."));
        } else if (acquisition->acceptConfiguration(edited)) {
            qDebug() << "onConfiguration() maxDuration = " << edited.maxDuration;
            describePlot();
        }
    }
    if (c.configuration() != before)
        markUnsaved();
    prompts->flush();
}

void MainWindow::onSaveConfig()
{
    if (acquisition->wifiTaskRunning())
        return;
    outfiledialog dialog(this, startupOptions().configDirectory);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString name;
    if (!dialog.getparams(name))
        return;
    QString path = dialog.folder() + "/" + name;
    if (!path.contains(".conf"))
        path += ".conf";
    if (QFile::exists(path)) {
        const auto answer = QMessageBox::question(this, "Kestrova", tr("file exists.\n\nOverwrite it?"),
                                                  QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            setWindowTitle("Kestrova" + tr(":    configuration unsaved"));
            return;
        }
    }
    if (acquisition->saveConfiguration(path)) {
        statusBar()->showMessage(tr("Configuration saved"));
        setWindowTitle("Kestrova:    cfgfile = " + path.section('/', -1));
    } else {
        QMessageBox::warning(this, "Kestrova", tr("could not save configuration.\nDid you configure at least one channel?"));
        statusBar()->showMessage(tr("Error while saving config file."));
    }
}

QStringList MainWindow::configurationFilter()
{
    return {QStringLiteral("*.conf")};
}

void MainWindow::deleteFiles(const QString &folder, const QString &header, bool asWarning, const QStringList &filter)
{
    if (acquisition->wifiTaskRunning())
        return;
    // The trace being written is never offered.
    const QString open = acquisition->currentTraceFile();
    adminDialog dialog(this, folder, false, header, filter, open.isEmpty() ? QStringList() : QStringList{open});
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList paths = dialog.getparams();
    QString question = tr("Delete these files?\n\n");
    for (const QString &p : paths)
        question += p.section('/', -1) + "\n";
    const auto buttons = QMessageBox::Yes | QMessageBox::No;
    const auto answer = asWarning ? QMessageBox::warning(this, "Kestrova", question, buttons)
                                  : QMessageBox::information(this, "Kestrova", question, buttons);
    if (answer != QMessageBox::Yes)
        return;
    for (const QString &p : paths) {
        qDebug() << "proc filename" << p;
        QFile::remove(p);
    }
}

void MainWindow::onButtondeleteConfigfile()
{
    deleteFiles(startupOptions().configDirectory, tr("Delete Config Files"), true, configurationFilter());
}

void MainWindow::onButtondeleteDatafile()
{
    deleteFiles(startupOptions().workingDirectory, tr("Delete Data Files"), false, QStringList{"*.*"});
}
