#include "tracewriter.h"

#include "callmailbox.h"
#include "tracewriterthread.h"

namespace {

// The reports come from the writer thread (or from appendFrames); each one becomes a
// signal emitted on the writer object's thread, through its mailbox. Reports still
// waiting die with the object.
TraceWriterThread::Reports reportsTo(TraceWriter *writer, CallMailbox *mailbox, const QString &fileName,
                                     const std::weak_ptr<TraceWriterThread> &thread)
{
    TraceWriterThread::Reports reports;
    reports.failed = [writer, mailbox, fileName](TraceWriter::Failure kind, const QString &cause,
                                                 quint64 framesSafe) {
        mailbox->post([=] { emit writer->failed(kind, fileName, cause, framesSafe); });
    };
    reports.committed = [writer, mailbox](quint64 frames, qint64 bytes) {
        mailbox->post([=] { emit writer->committed(frames, bytes); });
    };
    reports.finished = [writer, mailbox, thread](bool ok, quint64 frames) {
        mailbox->post([=] {
            // The thread has reported its end; joining it takes no time.
            if (const auto ended = thread.lock())
                ended->waitUntilDone(10000);
            emit writer->finished(ok, frames);
        });
    };
    return reports;
}

} // namespace

TraceWriter::TraceWriter(QObject *parent)
    : QObject(parent), m_mailbox(new CallMailbox(this))
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
    if (m_thread->start(conf, fileName, start, reportsTo(this, m_mailbox, fileName, m_thread), &reason))
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
