// MainWindow: making a configuration valid, Start, Stop and Record.
#include "mainwindow.h"

#include "display/renderarea.h"
#include "link/udp_com.h"
#include "recording/myHdf5.h"
#include "recording/tracelayout.h"
#include "startupoptions.h"

#include <QAction>
#include <QDateTime>
#include <QDebug>
#include <QMessageBox>
#include <QThread>

// A configuration the user accepted or loaded becomes the current one and is sent to
// the device on the next step. Refused (false, nothing changed) when its display row
// does not fit the plot area.
bool MainWindow::acceptConfiguration()
{
    FrameConverter candidate;
    candidate.configure(conf);
    if (candidate.rowLength() > FrameConverter::maxRowValues) {
        QMessageBox::warning(this, "Kestrova",
                             tr("The configuration has %1 display channels; at most %2 can be shown.\n"
                                "Please enable fewer channels.")
                                 .arg(candidate.rowLength())
                                 .arg(FrameConverter::maxRowValues));
        return false;
    }
    configValid = true;
    configSaved = false;
    startValidConfiguration();
    measurementState = 1;
    return true;
}

void MainWindow::startValidConfiguration()
{
    windowSamples = int(double(conf.sampleRate) * conf.timeline);
    maxSampleCount = quint32(double(conf.sampleRate) * conf.maxDuration);
    if (maxSampleCount == 0)
        maxSampleCount = 0xFFFFFFFF;
    pipeline.configure(conf);
    received.clear();
    qDebug() << "startValidConfiguration() nwin =" << windowSamples << " maxsamplecount =" << maxSampleCount
             << " samplesize =" << conf.sampleSize << "sizes: adc16" << conf.adc16.size() << ", imu6"
             << conf.imu6.size() << ", aux" << conf.aux.size();

    renderArea->clearGraphs();
    for (const adcChannel &c : qAsConst(conf.adc24))
        renderArea->addGraph(1, QString::fromUtf8(c.name), false, true);
    for (const adcChannel &c : qAsConst(conf.adc16))
        renderArea->addGraph(1, QString::fromUtf8(c.name), false, true);
    for (const imuChannel &imu : qAsConst(conf.imu6))
        renderArea->addGraph(6, QString::fromUtf8(imu.name), true, true);
    if (conf.auxActive())
        renderArea->addGraph(unsigned(conf.aux.first()), "Aux", false, true);
    renderArea->setConfigValid(unsigned(windowSamples), 10, false);
    renderArea->history().setAutoscaleState(0);
    renderArea->applyScales(true);

    setActions(1, 1, 1, 1, 1, -1, 0, -1);
}

void MainWindow::prepareSampling()
{
    renderArea->history().setRingFill(0);
    renderArea->rebuildColumns();
    renderArea->applyScales(true);
    received.clear();
}

void MainWindow::onButtonStart()
{
    qDebug("Start Button pressed");
    if (wifiTaskPending)
        return;
    setActions(0, 0, 0, 0, 0, 0, 1, 0, 0);
    udpLink->resetIncoming();
    if (measurementState != 3) {
        qDebug() << "#################### error on start button: statemeasurement = " << measurementState;
        showStatus(tr("Error on start button"));
        return;
    }
    link->sendCommand("init", false, true, false, 0);
    qDebug() << "back again siz=" << conf.imu6.size();
    sampling = true;
    pipeline.initFilters(conf);
    prepareSampling();
    measurementState = 4;
    showStatus("Sampling");
}

void MainWindow::onButtonRecord()
{
    qDebug("############### Record Button pressed");
    if (wifiTaskPending)
        return;
    setActions(0, 0, 0, 0, 0, 0, 1, 0, 0);
    if (recording)
        return;
    udpLink->resetIncoming();
    if (measurementState != 3) {
        qDebug() << "#################### error on record button internal errror 1: statemeasurement "
                 << measurementState;
        QMessageBox::warning(this, "Kestrova", tr("internal error 1.\nPlease contact lumetrix."), QMessageBox::Ok);
        return;
    }
    recording = true;
    if (!startTraceFile()) {
        // Recording into a file that does not exist would lose the whole run unseen.
        recording = false;
        setActions(1, 1, 1, 1, 1, 1, 0, 1, 1);
        showStatus(tr("Recording not started"));
        QMessageBox::warning(this, "Kestrova",
                             tr("Could not create the trace file\n%1\nRecording was not started.").arg(fileName));
        return;
    }
    traceWriteFailed = false;
    prepareSampling();
    link->sendCommand("init", false, true, false, 0);
    measurementState = 4;
    sampling = true;
    pipeline.initFilters(conf);
    showStatus(tr("Recording"));
}

bool MainWindow::startTraceFile()
{
    closeTraceFile();
    QList<hdfDataset> records;
    fileName = ::createTraceFile(*hdf, conf, startupOptions().workingDirectory, QDateTime::currentDateTime(), records);
    traceBase = fileName.left(fileName.size() - 3);
    qDebug() << "filna:" << fileName;
    traceDatasets = records.toVector();
    samplesRecorded = 0;
    return hdf->isOpened();
}

void MainWindow::onButtonStop()
{
    qDebug("Stop Button pressed");
    if (wifiTaskPending)
        return;
    if (recording)
        recordAct->setEnabled(false);
    if (measurementState != 4) {
        qDebug("##################### Error on stop button");
        return;
    }
    qDebug("abort streaming");
    measurementState = 5;
    // Repeated until the link takes it; a link that is gone will never take it.
    while (!link->sendWhileStreaming("abort\n")) {
        if (!link->isOpen() || link->isDeviceDisconnected())
            break;
        QThread::yieldCurrentThread();
    }
    if (usingUdp()) {
        const QString report = link->report();
        if (!report.isEmpty())
            qDebug() << "UDP reported errors: msg = " << report;
    }
    showStatus(tr("Sampling stopped"));
}
