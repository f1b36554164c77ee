#include "devicecore.h"

#include "devsimoptions.h"
#include "faultsettings.h"
#include "netrecordstore.h"

#include <QList>
#include <cstdio>

namespace {

// Splits "a,b,c" into numbers; false when a part is not a number.
bool numbers(const QByteArray &args, QVector<double> &values)
{
    values.clear();
    const QList<QByteArray> parts = args.split(',');
    for (const QByteArray &part : parts) {
        bool ok = false;
        const double v = part.trimmed().toDouble(&ok);
        if (!ok)
            return false;
        values.append(v);
    }
    return true;
}

bool isWhole(double v, double lo, double hi)
{
    return v >= lo && v <= hi && v == double(qint64(v));
}

} // namespace

DeviceCore::DeviceCore(const DevsimOptions &options, const FaultSettings *faults, NetRecordStore *store)
    : m_options(options), m_faults(faults), m_store(store)
{
    m_rate = 1000;
    m_layout = StreamLayout();
    m_layout.n24 = m_options.n24;
    m_layout.n16 = m_options.n16;
    m_layout.nImu = m_options.nImu;
    m_layout.nAux = m_options.nAux;
    m_layout.accRange = QVector<double>(m_options.nImu, 6.0);
    m_layout.gyroRange = QVector<double>(m_options.nImu, 500.0);
}

QByteArray DeviceCore::errorText(const QByteArray &line, const char *reason)
{
    return QByteArray("error: ") + reason + ": " + line;
}

DeviceCore::Outcome DeviceCore::execute(const QByteArray &rawLine)
{
    Outcome out;
    const QByteArray line = rawLine.trimmed();
    if (line.isEmpty())
        return out;
    const int space = line.indexOf(' ');
    const QByteArray keyword = (space < 0 ? line : line.left(space)).toLower();
    const QByteArray args = space < 0 ? QByteArray() : line.mid(space + 1).trimmed();

    if (keyword == "*idn?") {
        out.replies.append({m_options.idnText().toUtf8(), false});
    } else if (keyword == "conf:sca:num?" && !m_options.countsText.isEmpty()) {
        out.replies.append({m_options.countsText.toUtf8(), false});
    } else if (keyword == "conf:sca:num?") {
        out.replies.append({QByteArray::number(m_options.n24) + ',' + QByteArray::number(m_options.n16) + ','
                                + QByteArray::number(m_options.nImu) + ',' + QByteArray::number(m_options.nAux),
                            false});
    } else if (keyword == "*rst") {
        // The configuration is kept: hosts reset on every connect and need not resend it.
        out.streamStopped = m_streaming;
        m_streaming = false;
    } else if (keyword == "abort") {
        out.streamStopped = m_streaming;
        m_streaming = false;
    } else if (keyword == "init") {
        start(out, line);
    } else if (keyword == "mem:raw?") {
        memoryRead(args, out, line);
    } else if (keyword == "mem:raw") {
        memoryWrite(args, out, line);
    } else if (keyword.startsWith("conf:")) {
        if (!configure(keyword, args, out, line) && out.replies.isEmpty())
            out.replies.append({errorText(line, "invalid parameter"), false});
    } else {
        out.replies.append({errorText(line, "unknown command"), false});
    }
    return out;
}

bool DeviceCore::configure(const QByteArray &keyword, const QByteArray &args, Outcome &out, const QByteArray &line)
{
    if (m_faults->confError) {
        out.replies.append({errorText(line, "configuration refused"), false});
        return false;
    }
    if (m_streaming) {
        out.replies.append({errorText(line, "busy streaming"), false});
        return false;
    }
    if (keyword == "conf:sca:rat")
        return setRate(args);
    if (keyword == "conf:sca:hea")
        return args == "0" || args == "1";
    if (keyword == "conf:imu:para")
        return setImu(args);
    if (keyword == "conf:sca:ove") {
        bool ok = false;
        const int v = args.toInt(&ok);
        return ok && v >= 1 && v <= 8;
    }
    if (keyword == "conf:sca:gai")
        return setGain(args);
    if (keyword == "conf:dev")
        return setLayout(args);
    out.replies.append({errorText(line, "unknown command"), false});
    return false;
}

bool DeviceCore::setRate(const QByteArray &args)
{
    bool ok = false;
    const int rate = args.toInt(&ok);
    if (!ok || rate < 1 || rate > 8000)
        return false;
    m_rate = rate;
    return true;
}

bool DeviceCore::setImu(const QByteArray &args)
{
    QVector<double> v;
    if (!numbers(args, v) || v.size() != 3 || !isWhole(v[0], 0, m_options.nImu - 1))
        return false;
    if (v[1] <= 0.0 || v[1] > 64.0 || v[2] <= 0.0 || v[2] > 4000.0)
        return false;
    const int i = int(v[0]);
    while (m_layout.accRange.size() <= i) {
        m_layout.accRange.append(6.0);
        m_layout.gyroRange.append(500.0);
    }
    m_layout.accRange[i] = v[1];
    m_layout.gyroRange[i] = v[2];
    return true;
}

bool DeviceCore::setGain(const QByteArray &args)
{
    QVector<double> v;
    return numbers(args, v) && v.size() == 2 && isWhole(v[0], 0, m_options.n24 - 1) && isWhole(v[1], 1, 128);
}

bool DeviceCore::setLayout(const QByteArray &args)
{
    QVector<double> v;
    if (!numbers(args, v) || v.size() < 3 || v.size() > 4)
        return false;
    if (!isWhole(v[0], 0, m_options.n24) || !isWhole(v[1], 0, m_options.n16) || !isWhole(v[2], 0, m_options.nImu))
        return false;
    if (v.size() == 4 && !isWhole(v[3], 0, m_options.nAux))
        return false;
    StreamLayout l = m_layout;
    l.n24 = int(v[0]);
    l.n16 = int(v[1]);
    l.nImu = int(v[2]);
    l.nAux = v.size() == 4 ? int(v[3]) : 0;
    if (l.frameSize() == 0)
        return false;
    m_layout = l;
    return true;
}

void DeviceCore::start(Outcome &out, const QByteArray &line)
{
    // The device changed under the configuration: stream everything it now has.
    if (m_layout.n24 > m_options.n24 || m_layout.n16 > m_options.n16 || m_layout.nImu > m_options.nImu
        || m_layout.nAux > m_options.nAux) {
        m_layout.n24 = m_options.n24;
        m_layout.n16 = m_options.n16;
        m_layout.nImu = m_options.nImu;
        m_layout.nAux = m_options.nAux;
    }
    if (m_layout.frameSize() == 0) {
        out.replies.append({errorText(line, "nothing configured"), false});
        return;
    }
    m_streaming = true;
    out.streamStarted = true;
}

void DeviceCore::memoryRead(const QByteArray &args, Outcome &out, const QByteArray &line)
{
    QVector<double> v;
    if (!numbers(args, v) || v.size() != 2 || v[0] != memoryKey || !isWhole(v[1], 1, 4096)) {
        out.replies.append({errorText(line, "invalid parameter"), false});
        return;
    }
    out.replies.append({m_store->readMemory(int(v[1])), true});
}

void DeviceCore::memoryWrite(const QByteArray &args, Outcome &out, const QByteArray &line)
{
    bool ok = false;
    if (args.trimmed().toInt(&ok) != memoryKey || !ok) {
        out.replies.append({errorText(line, "invalid parameter"), false});
        return;
    }
    out.expectRecord = true;
}

void DeviceCore::storeRecord(const QByteArray &bytes)
{
    m_store->store(bytes);
}
