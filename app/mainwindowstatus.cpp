#include "mainwindowstatus.h"

#include <QLocale>

#include <cmath>

namespace {
QString fileName(const QString &path)
{
    return path.section('/', -1);
}

QString clock(double seconds)
{
    const qint64 s = qint64(std::floor(seconds));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}
}

MainWindowStatus::Fields MainWindowStatus::describe(const AcquisitionStatus &status)
{
    Fields f;
    f.connection = status.device.isEmpty() ? tr("No device")
                                           : tr("%1 over %2").arg(status.device.simplified(), status.link);
    const QLocale locale;
    if (status.sampling)
        f.rate = tr("%1 frames/s").arg(locale.toString(qRound64(status.framesPerSecond)));
    if (status.sampling || status.framesLost > 0)
        f.lost = tr("%1 lost").arg(locale.toString(status.framesLost));
    f.lossWarning = status.framesLost > 0;
    f.recordingNow = status.recording;
    if (status.recording) {
        f.recording = recordingText(status);
        f.traceFile = status.traceFile;
    } else if (status.lastRecording.valid) {
        f.recording = summaryText(status.lastRecording);
        f.traceFile = status.lastRecording.traceFile;
    }
    return f;
}

QString MainWindowStatus::recordingText(const AcquisitionStatus &status)
{
    QString text = tr("Recording %1, %2, %3").arg(elapsed(status.elapsedSeconds), fileName(status.traceFile),
                                                 bytes(status.traceBytes));
    if (status.recordingFramesLost > 0)
        text += tr(", %1 frames lost").arg(QLocale().toString(status.recordingFramesLost));
    if (status.freeBytes >= 0)
        text += tr(", %1 free").arg(bytes(status.freeBytes)) + timeLeft(status);
    return text;
}

// The free space in recording time at the rate the file has grown so far.
QString MainWindowStatus::timeLeft(const AcquisitionStatus &status)
{
    if (status.elapsedSeconds < 2 || status.traceBytes <= 0)
        return QString();
    const double seconds = double(status.freeBytes) / (double(status.traceBytes) / status.elapsedSeconds);
    if (seconds >= 100 * 3600)
        return QString();
    const QString left = seconds < 60 ? tr("less than a minute")
                         : seconds < 3600 ? tr("%1 min").arg(qint64(seconds / 60))
                                          : clock(seconds);
    return tr(" (%1 left)").arg(left);
}

QString MainWindowStatus::summaryText(const AcquisitionStatus::Summary &summary)
{
    QString text = tr("Last recording: %1, %2 frames, %3")
                       .arg(exactSeconds(summary.seconds), QLocale().toString(summary.frames),
                            fileName(summary.traceFile));
    if (summary.framesLost > 0)
        text += tr(", %1 frames lost").arg(QLocale().toString(summary.framesLost));
    if (summary.failed)
        text += tr(" (stopped by a failure)");
    else if (summary.atLimit)
        text += tr(" (maximum duration reached)");
    return text;
}

QString MainWindowStatus::elapsed(double seconds)
{
    if (seconds < 60)
        return QLocale().toString(seconds, 'f', 1) + QStringLiteral(" s");
    return clock(seconds);
}

QString MainWindowStatus::exactSeconds(double seconds)
{
    const QString text = QLocale().toString(seconds, 'f', 3) + QStringLiteral(" s");
    return seconds < 60 ? text : text + QStringLiteral(" (") + clock(seconds) + QLatin1Char(')');
}

QString MainWindowStatus::bytes(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}
