// MainWindow: opening, saving and deleting configuration and trace files.
#include "mainwindow.h"

#include "config/admindialog.h"
#include "config/configdevicecheck.h"
#include "config/configfile.h"
#include "config/outfiledialog.h"
#include "startupoptions.h"

#include <QDebug>
#include <QFile>
#include <QMessageBox>
#include <QStatusBar>

void MainWindow::onOpenConfig()
{
    qDebug("on Open Config");
    if (wifiTaskPending || !deviceCanBeConfigured())
        return;
    QString path;
    if (!configFileName.isEmpty()) {
        // A name from the command line is used once.
        path = startupOptions().configDirectory + "/" + configFileName;
        configFileName.clear();
    } else {
        adminDialog dialog(this, startupOptions().configDirectory, true, QString());
        if (dialog.exec() != QDialog::Accepted)
            return;
        path = dialog.getparams().value(0);
    }
    qDebug() << "filna = " << path;
    if (path.isEmpty()) {
        QMessageBox::warning(this, "Kestrova", tr("filename isnt set.\nPlease try again."));
        return;
    }
    applyLoadedConfiguration(path);
}

void MainWindow::applyLoadedConfiguration(const QString &path)
{
    const QString error = loadConfiguration(conf, path);
    if (!error.isEmpty()) {
        configValid = false;
        qDebug() << "################## error: could not load configuration: " << error;
        QMessageBox::warning(this, "Kestrova", tr("configuration file invalid.\nPlease choose a new one."));
        return;
    }
    if (const char *mismatch = configDeviceMismatch(conf, nAdc16, nAdc24, nImu, nAux)) {
        configValid = false;
        QMessageBox::warning(this, "Kestrova", tr(mismatch));
        return;
    }
    if (!acceptConfiguration()) {
        configValid = false;
        return;
    }
    const QString name = path.section('/', -1);
    setWindowTitle("Kestrova     cfgfile = " + name);
    configSaved = true;
    confBackup = conf;
    statusBar()->showMessage(name + " " + tr("loaded"));
}

void MainWindow::onSaveConfig()
{
    if (wifiTaskPending)
        return;
    const QString folder = startupOptions().configDirectory;
    outfiledialog dialog(this, folder);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString name;
    if (!dialog.getparams(name))
        return;
    QString path = folder + "/" + name;
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
    qDebug() << "Try to save on filna " << path << "conf.imu6.size() = " << conf.imu6.size();
    if (saveConfiguration(conf, path)) {
        configSaved = true;
        statusBar()->showMessage(tr("Configuration saved"));
        setWindowTitle("Kestrova:    cfgfile = " + path.section('/', -1));
    } else {
        QMessageBox::warning(this, "Kestrova", tr("could not save configuration.\nDid you configure at least one channel?"));
        statusBar()->showMessage(tr("Error while saving config file."));
    }
}

void MainWindow::deleteFiles(const QString &folder, const QString &header, bool asWarning)
{
    if (wifiTaskPending)
        return;
    adminDialog dialog(this, folder, false, header);
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
    deleteFiles(startupOptions().configDirectory, tr("Delete Config Files"), true);
}

void MainWindow::onButtondeleteDatafile()
{
    deleteFiles(startupOptions().workingDirectory, tr("Delete Data Files"), false);
}
