// MainWindow: the acquisition loop, configuring the device, sampling and recording.
#include "mainwindow.h"

#include "acquisition/configcommand.h"
#include "config/tabdialog.h"
#include "display/renderarea.h"
#include "link/serialcom.h"
#include "link/udp_com.h"
#include "recording/myHdf5.h"
#include "recording/tracelayout.h"
#include "startupoptions.h"

#include <QAction>
#include <QDateTime>
#include <QDebug>
#include <QMessageBox>

void MainWindow::acquisitionStep()
{
    if (pollCountdown > 0)
        --pollCountdown;
    bool timedOut = false;
    switch (measurementState) {
    case 0:
        if (link->pendingCommands() == 0 && pollCountdown == 0) {
            sendQuery("conf:sca:num?");
            pollCountdown = 60;
        }
        break;
    case 1:
        sendConfiguration();
        link->resetErrorCount();
        measurementState = 2;
        break;
    case 2:
        if (link->pendingCommands() != 0)
            break;
        if (link->errorCount() != 0) {
            qDebug("Hw reported error");
            measurementState = 6;
        } else {
            qDebug("imus are configured");
            measurementState = 3;
            if (configValid)
                setActions(-1, -1, -1, -1, -1, 1, -1, 1);
        }
        break;
    case 3:
        if (link->pendingCommands() == 0 && pollCountdown == 0) {
            if (countPollEnabled)
                sendQuery("conf:sca:num?");
            pollCountdown = 60;
        }
        if (!configValid) {
            setActions(1, 1, 0, 0, 1, 0, 0, 0);
            measurementState = 0;
        }
        samplesRecorded = 0;
        break;
    case 4:
        timedOut = stepStreaming();
        break;
    case 5:
        timedOut = stepStopping();
        break;
    default:
        qDebug("errstate");
        QMessageBox::critical(this, "Kestrova", tr("Internal error\nprogram is closed now\n"));
        sampling = false;
        close();
        return;
    }
    if (!timedOut)
        blinkRecord();
}

void MainWindow::blinkRecord()
{
    if (!recording)
        return;
    if (++recordBlinkTicks > 15) {
        recordBlinkTicks = 0;
        recordBlink = !recordBlink;
        recordAct->setEnabled(recordBlink);
    }
}

// One step of streaming: every whole frame that arrived is recorded and displayed.
// Returns true when the stream ended without a stop request.
bool MainWindow::stepStreaming()
{
    QByteArray chunk;
    link->readBlocks(chunk, quint32(conf.sampleSize));
    // Bytes of a frame that is not complete yet wait for the next step.
    received += chunk;
    const int size = pipeline.converter().frameSize();
    quint32 n = size > 0 ? quint32(received.size() / size) : 0;
    const auto *frames = reinterpret_cast<const uint8_t *>(received.constData());

    if (recording) {
        if (quint64(samplesRecorded) + n > maxSampleCount) {
            n = quint32(qMax<qint64>(0, qint64(maxSampleCount) - qint64(samplesRecorded)));
            onButtonStop();
        }
        if (n >= 1 && hdf->isOpened() && !pipeline.record(frames, int(n), *hdf, traceDatasets))
            traceWriteFailed = true;
        // A failing disk must not go unnoticed while the run seems to record.
        const QString problem = traceWriteFailed ? " - " + tr("ERROR: frames could not be written") : QString();
        showStatus("file: " + fileName.section('/', -1) + ", " + QString::number(samplesRecorded) + problem);
        samplesRecorded += n;
    }
    if (n != 0) {
        pipeline.display(frames, int(n), *renderArea);
        renderArea->applyScales(false);
    }
    received.remove(0, int(n) * size);
    if (measurementState == 5)
        received.clear(); // what lies beyond the limit is neither stored nor shown

    if (link->dataTimedOut()) {
        unexpectedStop();
        return true;
    }
    return false;
}

// The stream stopped although nobody asked for it.
void MainWindow::unexpectedStop()
{
    qDebug("istimeouted");
    sampling = false;
    recording = false;
    measurementState = 0;
    renderArea->clearGraphs();
    link->sendCommand("abort", false, false, false, 0);
    qDebug("############# internal error 2");
    showStatus(tr("unexpected stop sampling"));
    // The trace file is made safe before the user is asked anything.
    closeTraceFile();
    QMessageBox::warning(this, "Kestrova",
                         tr("internal error 2.\nsampling stopped unexpectedly.\nconfiguration is invalidated."));
    setLogoImage(":/images/logoblue.png");
    setActions(1, 1, 0, 1, 1, 0, 0, 0);
}

bool MainWindow::stepStopping()
{
    QByteArray discard;
    link->readBlocks(discard, 1);
    received.clear();
    closeTraceFile();
    if (!link->dataTimedOut())
        return false;
    qDebug("HW timeout registriert");
    setActions(1, 1, 1, 1, 1, 1, 0, 1, 1);
    measurementState = 3;
    sampling = false;
    recording = false;
    return true;
}

void MainWindow::closeTraceFile()
{
    if (!hdf->isOpened())
        return;
    qDebug() << "reportedConnectionErrMsg: " << link->report();
    hdf->closeFile();
    traceDatasets.clear();
}

void MainWindow::sendConfiguration()
{
    qDebug() << "Send commands to configure IMU rat=" << conf.sampleRate;
    const QByteArray text = configurationCommandText(conf, deviceFamily, usingUdp());
    if (!link->sendCommand(QString::fromLatin1(text), false, false, false, 0)) {
        renderArea->clearGraphs();
        qDebug("Error sending conf:dev command");
    }
}

// New and Open need a device that has answered with at least one channel.
bool MainWindow::deviceCanBeConfigured()
{
    if (!portOpened) {
        QMessageBox::warning(this, "Kestrova", tr("No Device found. Check your connections."));
        return false;
    }
    if (nAdc16 == 0 && nAdc24 == 0 && nImu == 0 && nAux == 0) {
        QMessageBox::warning(this, "Kestrova", tr("Device has no channels to configure. Check your connections."));
        return false;
    }
    return true;
}

void MainWindow::onNewConfig()
{
    if (wifiTaskPending || !deviceCanBeConfigured())
        return;
    const daqConfig previous = conf;
    const bool previousValid = configValid;
    const QString previousTitle = windowTitle();
    markUnsaved();
    conf.setDefaults();
    tabdialog dialog(this, conf, nAdc16, nAdc24, nImu, nAux);
    if (dialog.exec() == QDialog::Accepted) {
        if (!dialog.getparams(conf)) {
            QMessageBox::warning(this, "Kestrova", tr("no device configured.\ngetparams() failed."));
            configValid = false;
            renderArea->clearGraphs();
        } else if (!acceptConfiguration()) {
            configValid = false;
            renderArea->clearGraphs();
        } else {
            qDebug() << "onConfiguration(): timespan =" << conf.timeline << "maxDuration =" << conf.maxDuration;
        }
    } else {
        // Cancelling New keeps what was there before, so a frame size of 0 never streams.
        conf = previous;
        configValid = previousValid;
        setWindowTitle(previousTitle);
    }
    confBackup = conf;
}

void MainWindow::onConfiguration()
{
    if (wifiTaskPending)
        return;
    confBackup = conf;
    conf.setDefaults();
    tabdialog dialog(this, confBackup, nAdc16, nAdc24, nImu, nAux);
    if (dialog.exec() == QDialog::Accepted) {
        if (!dialog.getparams(conf)) {
            conf = confBackup;
            QMessageBox::warning(this, "Kestrova",
                                 tr("something got wrong with configuration.\ngetparams() failed.\nreset to old config."));
        } else if (!acceptConfiguration()) {
            conf = confBackup;
        } else {
            qDebug() << "onConfiguration() maxDuration = " << conf.maxDuration;
        }
    } else {
        conf = confBackup;
    }
    if (conf != confBackup) {
        configSaved = false;
        markUnsaved();
    }
}
