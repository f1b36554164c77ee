#include "hdf5tools.h"

#include <QProcess>

QString runTool(const QString &program, const QStringList &arguments, int timeoutMs, QByteArray *output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return program + QStringLiteral(" did not finish");
    }
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(process.readAllStandardError().left(600));
    return QString();
}

QString runPython(const QString &script, const QStringList &arguments, QByteArray *output)
{
    return runTool(QStringLiteral("/usr/bin/python3"), QStringList{"-c", script} + arguments, 60000, output);
}

QString readableByTools(const QString &file)
{
    const QString problem = runTool(QStringLiteral("h5dump"), {"-o", "/dev/null", file});
    return !problem.isEmpty() ? problem
                              : runPython(QStringLiteral("import h5py, sys\n"
                                                         "f = h5py.File(sys.argv[1], 'r')\n"
                                                         "f['gaps'][...]\n"
                                                         "f.visititems(lambda name, item: item[...] if isinstance(item, h5py.Dataset) else None)\n"),
                                          {file});
}
