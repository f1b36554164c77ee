#pragma once

#include <QCoreApplication>
#include <QString>

// What reading a configuration file came to. A missing file, a file that is not a
// regular file, an unreadable one and a malformed one are told apart, so the user
// learns which it was; an invalid file names the line at fault where there is one.
class ConfigLoadResult
{
    Q_DECLARE_TR_FUNCTIONS(ConfigLoadResult)

public:
    enum Problem { None, Missing, NotRegularFile, CannotOpen, Empty, Invalid };

    ConfigLoadResult() = default;
    // `detail`: the system's reason for CannotOpen, what is wrong for Invalid.
    ConfigLoadResult(Problem problem, const QString &path, const QString &detail = QString(), int line = 0);

    bool ok() const { return m_problem == None; }
    Problem problem() const { return m_problem; }
    int line() const { return m_line; }           // 1-based; 0 when no single line is at fault
    const QString &detail() const { return m_detail; }
    const QString &path() const { return m_path; }

    // For the log and for callers that only test for success: empty on success, else
    // "could not open configuration file.", "configuration file empty." or
    // "configuration file is invalid." followed by a line with the detail.
    QString text() const;
    // For a message box: says in plain words what is wrong with which file and asks
    // for another one.
    QString warning() const;

private:
    QString lineDetail() const;

    Problem m_problem = None;
    QString m_path;
    QString m_detail;
    int m_line = 0;
};
