#include "tracefilename.h"

#include <QFileInfo>

QString newTraceFileName(const QString &folder, const QDateTime &start)
{
    const QString base = folder + "/trace" + start.toString("_yyyy.MM.dd_hh-mm-ss");
    QString name = base + ".h5";
    for (int i = 1; QFileInfo::exists(name); ++i)
        name = base + "_" + QString::number(i) + ".h5";
    return name;
}
