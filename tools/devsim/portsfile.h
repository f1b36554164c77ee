#pragma once

#include <QSet>
#include <QString>

struct DevsimOptions;

// Writes the declaration of the simulated USB serial port into the file the programs
// read for virtual ports. Lines of other writers are kept; the file is replaced
// atomically so that a reader never sees half a line.
class PortsFile
{
public:
    PortsFile(const QString &fileName, const DevsimOptions &options);

    // Declares the port at `path` (replacing an earlier declaration of ours), or
    // removes our declaration when path is empty.
    bool declare(const QString &path);

private:
    QByteArray lineFor(const QString &path) const;

    QString m_fileName;
    const DevsimOptions &m_options;
    QSet<QString> m_ourPaths;   // every path we ever declared
};
