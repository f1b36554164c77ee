#include "tracewriter.h"

#include "tracewriterthread.h"

#include <QMetaObject>

namespace {

// The reports come from the writer thread (or from appendFrames); each one becomes a
// signal emitted on the writer object's thread. Events still posted die with the object.
TraceWriterThread::Reports reportsTo(TraceWriter *writer, const QString &fileName,
                                     const std::weak_ptr<TraceWriterThread> &thread)
{
    TraceWriterThread::Reports reports;
    reports.failed = [writer, fileName](TraceWriter::Failure kind, const QString &cause, quint64 framesSafe) {
        QMetaObject::invokeMethod(writer, [=] { emit writer->failed(kind, fileName, cause, framesSafe); },
                                  Qt::QueuedConnection);
    };
    reports.committed = [writer](quint64 frames, qint64 bytes) {
        QMetaObject::invokeMethod(writer, [=] { emit writer->committed(frames, bytes); },
                                  Qt::QueuedConnection);
    };
    reports.finished = [writer, thread](bool ok, quint64 frames) {
        QMetaObject::invokeMethod(writer, [=] {
            // The thread has reported its end; joining it takes no time.
            if (const auto ended = thread.lock())
                ended->waitUntilDone(10000);
            emit writer->finished(ok, frames);
        }, Qt::QueuedConnection);
    };
    return reports;
}

} // namespace

TraceWriter::TraceWriter(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<TraceWriter::Failure>();
}

TraceWriter::~TraceWriter()
{
    if (!m_thread)
        return;
    if (!m_thread->isDone())
        finishAndWait(10000);
    // A writer stuck in a hanging disk is left to end on its own, reporting nothing.
    m_thread->detach();
}

bool TraceWriter::start(const daqConfig &conf, const QString &fileName, const QDateTime &start,
                        QString *error)
{
    if (m_thread && !m_thread->isDone())
        finishAndWait(10000);
    if (m_thread)
        m_thread->detach();

    m_fileName = fileName;
    m_thread = std::make_shared<TraceWriterThread>(m_options);
    QString reason;
    if (m_thread->start(conf, fileName, start, reportsTo(this, fileName, m_thread), &reason))
        return true;
    m_thread.reset();
    if (error)
        *error = reason;
    return false;
}

bool TraceWriter::appendFrames(const uint8_t *frames, int n)
{
    return m_thread && m_thread->appendFrames(frames, n);
}

bool TraceWriter::addGap(quint64 frameIndex, quint64 lostFrames, bool exact)
{
    return m_thread && m_thread->addGap(frameIndex, lostFrames, exact);
}

bool TraceWriter::addMarker(quint64 frameIndex, double seconds, const QByteArray &utf8Text)
{
    return m_thread && m_thread->addMarker(frameIndex, seconds, utf8Text);
}

void TraceWriter::finish()
{
    if (m_thread)
        m_thread->finish();
}

bool TraceWriter::finishAndWait(int msecs)
{
    if (!m_thread)
        return true;
    m_thread->finish();
    if (m_thread->waitUntilDone(msecs))
        return true;
    m_thread->abort();
    return m_thread->waitUntilDone(2000);
}

bool TraceWriter::isRecording() const
{
    return m_thread && !m_thread->isDone();
}

quint64 TraceWriter::framesHandedOver() const
{
    return m_thread ? m_thread->framesHandedOver() : 0;
}

quint64 TraceWriter::framesCommitted() const
{
    return m_thread ? m_thread->framesCommitted() : 0;
}

double TraceWriter::queueFill() const
{
    return m_thread ? m_thread->queueFill() : 0.0;
}
