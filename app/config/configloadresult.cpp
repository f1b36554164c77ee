#include "configloadresult.h"

#include <QDir>

ConfigLoadResult::ConfigLoadResult(Problem problem, const QString &path, const QString &detail, int line)
    : m_problem(problem), m_path(path), m_detail(detail), m_line(line)
{
}

QString ConfigLoadResult::lineDetail() const
{
    return m_line > 0 ? tr("line %1: %2").arg(m_line).arg(m_detail) : m_detail;
}

QString ConfigLoadResult::text() const
{
    switch (m_problem) {
    case None:
        return QString();
    case Missing:
        return QStringLiteral("could not open configuration file.\n") + tr("There is no file %1.").arg(m_path);
    case NotRegularFile:
        return QStringLiteral("could not open configuration file.\n") + tr("%1 is not a regular file.").arg(m_path);
    case CannotOpen:
        return QStringLiteral("could not open configuration file.\n") + m_path + QStringLiteral(": ") + m_detail;
    case Empty:
        return QStringLiteral("configuration file empty.");
    case Invalid:
        break;
    }
    return QStringLiteral("configuration file is invalid.\n") + lineDetail();
}

QString ConfigLoadResult::warning() const
{
    const QString file = QDir::toNativeSeparators(m_path);
    switch (m_problem) {
    case None:
        return QString();
    case Missing:
        return tr("configuration file not found:\n%1\nPlease choose a new one.").arg(file);
    case NotRegularFile:
        return tr("%1\nis not a configuration file (not a regular file).\nPlease choose a new one.").arg(file);
    case CannotOpen:
        return tr("could not open configuration file\n%1:\n%2\nPlease choose a new one.").arg(file, m_detail);
    case Empty:
        return tr("configuration file invalid: the file is empty.\n%1\nPlease choose a new one.").arg(file);
    case Invalid:
        break;
    }
    return tr("configuration file invalid.\n%1\n%2\nPlease choose a new one.").arg(file, lineDetail());
}
