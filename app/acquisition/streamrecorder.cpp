#include "streamrecorder.h"

#include "config/daqconfig.h"
#include "recording/recordspace.h"
#include "recording/traceannotations.h"

#include <QDebug>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {
QString megabytes(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}
}

StreamRecorder::StreamRecorder(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<AcquisitionStatus::Summary>();
}

StreamRecorder::~StreamRecorder()
{
    if (m_active || m_closing)
        finishAndWait(10000);
}

StreamRecorder::Start StreamRecorder::start(const daqConfig &conf, const QString &fileName, const QDateTime &when,
                           quint64 firstFrame, bool withStream, quint64 frameLimit, QString *error)
{
    if (m_active)
        finish(End::Stop);
    m_fileName = fileName;
    if (QFileInfo::exists(fileName)) {
        *error = tr("The trace file %1 exists already.").arg(fileName);
        return Start::Failed;
    }
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        *error = tr("The trace file %1 cannot be created: the folder %2 does not exist.").arg(fileName, folder);
        return Start::Failed;
    }
    const RecordSpace space = checkRecordSpace(folder, conf);
    if (!space.canStart) {
        *error = tr("The folder %1 has room for less than one second of recording (%2 free).")
                     .arg(folder, megabytes(space.bytesAvailable));
        return Start::NoSpace;
    }
    m_writer = std::make_unique<TraceWriter>();
    connect(m_writer.get(), &TraceWriter::failed, this, &StreamRecorder::onFailed);
    connect(m_writer.get(), &TraceWriter::finished, this, &StreamRecorder::onFinished);
    connect(m_writer.get(), &TraceWriter::committed, this, [this](quint64, qint64 bytes) { m_fileBytes = bytes; });
    if (!m_writer->start(conf, fileName, when, error))
        return Start::Failed;
    m_sampleRate = std::max(1, int(conf.sampleRate));
    m_firstFrame = firstFrame;
    m_withStream = withStream;
    m_limit = frameLimit;
    m_frames = 0;
    m_lost = 0;
    m_fileBytes = QFileInfo(fileName).size();
    m_shortOfSpace = space.lessThanAMinute;
    m_failed = false;
    m_cause.clear();
    m_end = End::Stop;
    m_closing = false;
    m_active = true;
    return Start::Started;
}

quint64 StreamRecorder::append(const uint8_t *frames, quint64 n)
{
    if (!m_active)
        return 0;
    n = std::min(n, m_limit - std::min(m_limit, m_frames));
    // A refused block is reported by the writer (queue full); nothing after it is taken.
    if (n == 0 || !m_writer->appendFrames(frames, int(n)))
        return 0;
    m_frames += n;
    return n;
}

void StreamRecorder::addGaps(const QVector<RunLosses::Gap> &gaps)
{
    if (!m_active)
        return;
    for (const RunLosses::Gap &gap : gaps) {
        const bool inside = gap.frame > m_firstFrame || (gap.frame == m_firstFrame && m_withStream);
        // Only a loss with a stored frame behind it is part of the recording.
        if (!inside || gap.frame >= m_firstFrame + m_frames)
            continue;
        m_writer->addGap(gap.frame - m_firstFrame, gap.lost, gap.exact);
        m_lost += gap.lost;
    }
}

bool StreamRecorder::addMarker(const QString &text, quint64 *frame, double *seconds, QString *stored)
{
    if (!m_active)
        return false;
    const QByteArray utf8 = TraceAnnotations::fitMarkerText(text.toUtf8());
    *frame = m_frames;
    *seconds = double(m_frames) / m_sampleRate;
    *stored = QString::fromUtf8(utf8);
    return m_writer->addMarker(*frame, *seconds, utf8);
}

void StreamRecorder::finish(End why)
{
    if (!m_active)
        return;
    qDebug() << "recording ends:" << int(why) << m_frames << "frames handed over";
    m_active = false;
    m_closing = true;
    m_end = why;
    m_writer->finish();
}

void StreamRecorder::finishAndWait(int msecs)
{
    finish(End::Shutdown);
    if (!m_closing)
        return;
    if (!m_writer->finishAndWait(msecs))
        qWarning() << "the trace writer did not end in time; the file keeps its last commit";
    // Its own report would come through an event loop that may not run any more.
    disconnect(m_writer.get(), nullptr, this, nullptr);
    onFinished(!m_failed, m_writer->framesCommitted());
}

double StreamRecorder::seconds() const
{
    return double(m_frames) / m_sampleRate;
}

void StreamRecorder::onFailed(TraceWriter::Failure kind, const QString &, const QString &cause, quint64 framesSafe)
{
    qDebug() << "trace writer failed:" << kind << cause << "- the file holds" << framesSafe << "frames";
    m_failed = true;
    m_failure = kind;
    m_cause = cause;
    if (m_active)
        emit writeFailed();
}

void StreamRecorder::onFinished(bool ok, quint64 frames)
{
    if (!m_closing)
        return;
    m_closing = false;
    m_failed = m_failed || !ok;
    m_fileBytes = QFileInfo(m_fileName).size();
    emit finished(summary(frames), m_failed ? failureMessage(frames) : QString());
}

AcquisitionStatus::Summary StreamRecorder::summary(quint64 frames) const
{
    AcquisitionStatus::Summary s;
    s.valid = true;
    s.traceFile = m_fileName;
    s.frames = frames;
    s.seconds = double(frames) / m_sampleRate;
    s.framesLost = m_lost;
    s.atLimit = m_end == End::Limit;
    s.failed = m_failed || m_end == End::WriteFailure || m_end == End::StreamDamaged;
    return s;
}

QString StreamRecorder::failureMessage(quint64 frames) const
{
    const QString holds = tr("The trace file %1 holds the first %2 frames.").arg(m_fileName).arg(frames);
    if (m_failure == TraceWriter::DiskFull)
        return tr("The disk is full: recording stopped.") + ' ' + holds;
    if (m_cause.isEmpty())
        return tr("The trace file could not be written: recording stopped.") + ' ' + holds;
    return tr("The trace file could not be written (%1): recording stopped.").arg(m_cause) + ' ' + holds;
}
