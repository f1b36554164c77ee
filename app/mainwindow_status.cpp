// MainWindow: the permanent status fields, the plot's description of the configuration
// and the markers it draws.
#include "mainwindow.h"

#include "acquisition/acquisitioncontroller.h"
#include "display/renderarea.h"
#include "mainwindowstatus.h"
#include "renderareasink.h"

#include <QLabel>
#include <QLocale>
#include <QStatusBar>

namespace {
QLabel *statusField(QWidget *parent, const char *name)
{
    auto *field = new QLabel(parent);
    field->setObjectName(name);
    field->setTextFormat(Qt::PlainText);
    field->setContentsMargins(6, 0, 6, 0);
    return field;
}

void setField(QLabel *field, const QString &text, const QString &style = QString())
{
    if (field->text() != text)
        field->setText(text);
    if (field->styleSheet() != style)
        field->setStyleSheet(style);
    field->setVisible(!text.isEmpty());
}
}

void MainWindow::createStatusFields()
{
    recordingField = statusField(this, "statusRecording");
    rateField = statusField(this, "statusRate");
    lostField = statusField(this, "statusLost");
    connectionField = statusField(this, "statusConnection");
    for (QLabel *field : {recordingField, rateField, lostField, connectionField})
        statusBar()->addPermanentWidget(field);
}

void MainWindow::showStatus()
{
    const MainWindowStatus::Fields f = MainWindowStatus::describe(acquisition->status());
    setField(connectionField, f.connection);
    setField(rateField, f.rate);
    setField(lostField, f.lost, f.lossWarning ? QStringLiteral("color: #c92a2a; font-weight: bold") : QString());
    setField(recordingField, f.recording, f.recordingNow ? QStringLiteral("color: #c92a2a") : QString());
    recordingField->setToolTip(f.recording + (f.traceFile.isEmpty() ? QString() : "\n" + f.traceFile));
    connectionField->setToolTip(f.connection);
}

// Scales in the units of what each band shows and the time axis in seconds follow the
// configuration the acquisition took.
void MainWindow::describePlot()
{
    if (acquisition->isConfigValid())
        plotSink->describeConfiguration(acquisition->configuration());
}

// The plot has taken every frame the recording has; the marker belongs at its next one.
void MainWindow::onMarkerAdded(quint64, double seconds, const QString &text)
{
    const QString label = text.isEmpty() ? QLocale().toString(seconds, 'f', 3) + QStringLiteral(" s") : text;
    renderArea->addMarker(renderArea->history().framesReceived(), label);
}
