#include "portsfile.h"

#include "devsimoptions.h"

#include <QFile>
#include <QList>
#include <QSaveFile>
#include <cstdio>

PortsFile::PortsFile(const QString &fileName, const DevsimOptions &options)
    : m_fileName(fileName), m_options(options)
{
}

QByteArray PortsFile::lineFor(const QString &path) const
{
    const auto hex = [](quint16 v) { return QByteArray::number(v, 16).rightJustified(4, '0'); };
    QByteArray line = path.toLocal8Bit();
    line += '\t' + hex(m_options.vendorId) + '\t' + hex(m_options.productId);
    line += '\t' + m_options.serialNumber.toUtf8();
    line += '\t' + m_options.description.toUtf8();
    line += '\t' + m_options.manufacturer.toUtf8();
    line += "\t0\n";
    return line;
}

bool PortsFile::declare(const QString &path)
{
    if (m_fileName.isEmpty())
        return true;
    QByteArray text;
    QFile old(m_fileName);
    if (old.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = old.readAll().split('\n');
        for (const QByteArray &line : lines) {
            if (line.isEmpty())
                continue;
            const QString linePath = QString::fromLocal8Bit(line.left(line.indexOf('\t')));
            if (!m_ourPaths.contains(linePath))
                text += line + '\n';
        }
    }
    if (!path.isEmpty()) {
        m_ourPaths.insert(path);
        text += lineFor(path);
    }
    QSaveFile f(m_fileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit()) {
        std::fprintf(stderr, "devsim: cannot write ports file %s\n", qPrintable(m_fileName));
        return false;
    }
    return true;
}
